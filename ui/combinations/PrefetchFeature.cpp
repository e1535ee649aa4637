#include "ui/combinations/PrefetchFeature.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/widgets/ProgressWindow.h"
#include "ui/statistics/StatisticsPage.h"

TPrefetchFeature::TPrefetchFeature(TStatList &list, MainOptions &options, TStatisticsPage &page, QObject *parent)
    : QObject(parent), m_cache(list, options)
{
    TPrefetchProgress progress;
    progress.show = [](const QString &text, int steps) { ShowProgress(text, steps); };
    progress.step = [] { StepProgress(1); };
    progress.close = [] { CloseProgress(); };
    m_cache.setProgress(std::move(progress));
    // The gauge does not move while one file is built, but the window is painted anew.
    m_cache.setIdle([] {
        if (ProgressWindow())
            RepaintProgress();
        else
            ProcessMessages();
    });

    page.setPrefetchSource([this](const TStatMethod &method, TStatPrefetch &prefetch) {
        return m_cache.OpenPrefetchFile(method, prefetch);
    });
    connect(&page, &TStatisticsPage::prefetchsToggled, this, &TPrefetchFeature::onPrefetchsToggled);
}

void TPrefetchFeature::onPrefetchsToggled(bool on)
{
    if (!on)
        return;
    try {
        m_cache.RebuildPrefetchFiles(false, 0);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    } catch (const std::exception &e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    }
}
