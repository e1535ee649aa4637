#include "ui/scenarios/ScrRatesDialog.h"

#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Translate.h"
#include "common/widgets/FormLayouts.h"
#include "common/widgets/ListView.h"

#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TFormScrRates::TFormScrRates(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormScrRates"_s);
    setWindowTitle(Tr(u"Оценки пользователей"));
    resize(700, 360);

    m_lvRates = new TQSortListView(clientArea());
    m_lvRates->setObjectName(u"lvRates"_s);
    m_lvRates->setShowGrid(true);
    m_lvRates->addColumn(Tr(u"Имя"), 150);
    m_lvRates->addColumn(Tr(u"Оценка"), 60, Qt::AlignCenter);
    m_lvRates->addColumn(Tr(u"Дата"), 120, Qt::AlignCenter);
    m_lvRates->addColumn(Tr(u"Программа"), 100);
    m_lvRates->addColumn(Tr(u"Версия"), 80, Qt::AlignCenter);
    m_lvRates->addColumn(Tr(u"Комментарии"), 5000);

    auto *layout = new QVBoxLayout(clientArea());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_lvRates);

    okButton()->hide();
    okButton()->setDefault(false);
    cancelButton()->setText(Tr(u"Закрыть"));
    cancelButton()->setToolTip(Tr(u"Закрыть окно"));

    RestoreListViewSettings(section(), m_lvRates, false);
}

TFormScrRates::~TFormScrRates()
{
    try {
        SaveListViewSettings(section(), m_lvRates, false);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
}

QString TFormScrRates::section()
{
    return u"TFormScrRates"_s;
}

void TFormScrRates::addRate(const TScriptRate &rate)
{
    TListItem item;
    item.texts = rate.texts();
    m_lvRates->listModel()->addItem(item);
}

bool ShowScrRatesDialog(int scriptId, QWidget *parent, const ScriptRatesFetch &fetch)
{
    TFormScrRates dialog(parent);
    if (!fetch(scriptId, [&dialog](const TScriptRate &rate) { dialog.addRate(rate); }))
        return false;
    ExecDialog(dialog);
    return true;
}
