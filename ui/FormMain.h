#pragma once

#include "ui/TemplateMain.h"

// The main window of the "6 из 45" game: its date form and its results page.
class TFormMain : public TTemplateMain {
    Q_OBJECT
public:
    explicit TFormMain(const TStartSwitches &switches, QWidget *parent = nullptr);

    void FormCreate() override;
    int DownloadMonth(int month, int dateLimit) override;
};
