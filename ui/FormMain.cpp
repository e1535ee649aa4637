#include "ui/FormMain.h"

#include "common/Translate.h"
#include "ui/logic/ResultsSiteDates.h"

using namespace Qt::StringLiterals;

TFormMain::TFormMain(const TStartSwitches &switches, QWidget *parent) : TTemplateMain(switches, parent)
{
    setProgramTitle(Tr(u"Анализ статистики лотереи \"Vendra 6 из 45\""));
}

void TFormMain::FormCreate()
{
    InstallResultsDateHooks();
    TTemplateMain::FormCreate();
}
