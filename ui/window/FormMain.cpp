#include "ui/window/FormMain.h"

#include "common/Translate.h"
#include "app/draws/ResultsSiteDates.h"

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
