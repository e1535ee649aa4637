#pragma once

#include "app/combinations/PrefetchCache.h"

#include <QObject>

class TStatList;
class TStatisticsPage;
struct MainOptions;

// The files of the all-combinations distributions in the main window: the statistics table takes its
// norms from them, the prefetch option creates the missing ones, and the long rebuild shows the
// progress window.
class TPrefetchFeature : public QObject {
    Q_OBJECT
public:
    // Feeds the page's norms from the cache and follows its prefetch option.
    TPrefetchFeature(TStatList &list, MainOptions &options, TStatisticsPage &page, QObject *parent = nullptr);

    TPrefetchCache &cache() { return m_cache; }

    // See TPrefetchCache::RebuildPrefetchFiles: failures are raised to the caller.
    void RebuildPrefetchFiles(bool force, uint32_t groups) { m_cache.RebuildPrefetchFiles(force, groups); }

private:
    // The option was toggled: creates the files that are missing when it is on; failures are reported.
    void onPrefetchsToggled(bool on);

    TPrefetchCache m_cache;
};
