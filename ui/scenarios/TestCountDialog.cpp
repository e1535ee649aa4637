#include "ui/scenarios/TestCountDialog.h"

#include "common/Translate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace {
constexpr int kDefaultTestCount = 10;
}

TFormTestCnt::TFormTestCnt(QWidget *parent, int maximum) : TDialogSTemplate(parent)
{
    setObjectName(u"FormTestCnt"_s);
    setWindowTitle(Tr(u"Количество тестов"));

    auto *label = new QLabel(Tr(u"Укажите количество тестов:"), clientArea());
    m_edCount = new QSpinBox(clientArea());
    m_edCount->setObjectName(u"edTestCount"_s);
    m_edCount->setRange(1, std::max(1, maximum));
    m_edCount->setValue(std::min(kDefaultTestCount, m_edCount->maximum()));
    label->setBuddy(m_edCount);
    // The count is what the dialog asks for: typing replaces it at once.
    m_edCount->setFocus();
    m_edCount->selectAll();

    auto *layout = new QHBoxLayout(clientArea());
    layout->addWidget(label);
    layout->addWidget(m_edCount, 1);
}

int TFormTestCnt::count() const
{
    return m_edCount->value();
}

int AskTestCount(int maximum, QWidget *parent)
{
    if (maximum < 1)
        return 0;
    TFormTestCnt dialog(parent, maximum);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return 0;
    return dialog.count();
}
