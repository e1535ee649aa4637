#pragma once

#include "common/widgets/DialogSTemplate.h"

class QSpinBox;

// "Количество тестов": how many of the newest draws a test runs over, 1 to a maximum the caller
// gives (the number of draws less one), 10 by default.
class TFormTestCnt : public TDialogSTemplate {
    Q_OBJECT
public:
    TFormTestCnt(QWidget *parent, int maximum);

    QSpinBox *countEdit() const { return m_edCount; }
    int count() const;

private:
    QSpinBox *m_edCount;
};

// Asks for the number of tests; 0 when cancelled or when the maximum is below 1 (no dialog then).
int AskTestCount(int maximum, QWidget *parent);
