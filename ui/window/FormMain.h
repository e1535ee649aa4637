#pragma once

#include "ui/window/TemplateMain.h"

// The main window of the "6 из 45" game: its caption and its date form.
class TFormMain : public TTemplateMain {
    Q_OBJECT
public:
    explicit TFormMain(const TStartSwitches &switches, QWidget *parent = nullptr);

    void FormCreate() override;
};
