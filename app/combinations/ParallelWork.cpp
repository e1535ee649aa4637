#include "app/combinations/ParallelWork.h"

#include <QByteArray>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kIdleEvery = std::chrono::milliseconds(20);

int configuredWorkers()
{
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("VENDRA_THREADS", &ok);
    if (ok && wanted >= 1)
        return std::min(wanted, 256);
    return std::clamp(int(std::thread::hardware_concurrency()), 1, 256);
}

// One run handed to the workers.
struct Job {
    const std::function<void(int, int)> *task = nullptr;
    int chunks = 0;
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorMutex;
};

class Pool {
public:
    explicit Pool(int workers)
    {
        m_threads.reserve(size_t(workers));
        for (int w = 0; w < workers; ++w)
            m_threads.emplace_back([this, w] { loop(w); });
    }
    ~Pool()
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }

    int size() const { return int(m_threads.size()); }

    // False when a run is already going on (the caller then works alone).
    bool tryRun(Job &job, const std::function<void()> &idle)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_job)
                return false;
            m_job = &job;
            m_active = int(m_threads.size());
            ++m_generation;
        }
        m_wake.notify_all();
        std::unique_lock lock(m_mutex);
        while (m_active > 0) {
            if (idle) {
                m_done.wait_for(lock, kIdleEvery, [this] { return m_active == 0; });
                if (m_active == 0)
                    break;
                lock.unlock();
                idle();
                lock.lock();
            } else {
                m_done.wait(lock, [this] { return m_active == 0; });
            }
        }
        m_job = nullptr;
        return true;
    }

private:
    void loop(int worker)
    {
        uint64_t seen = 0;
        while (true) {
            Job *job = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return m_quit || m_generation != seen; });
                if (m_quit)
                    return;
                seen = m_generation;
                job = m_job;
            }
            work(*job, worker);
            {
                std::lock_guard lock(m_mutex);
                --m_active;
            }
            m_done.notify_all();
        }
    }

    static void work(Job &job, int worker)
    {
        while (!job.failed.load(std::memory_order_relaxed)) {
            const int chunk = job.next.fetch_add(1, std::memory_order_relaxed);
            if (chunk >= job.chunks)
                return;
            try {
                (*job.task)(chunk, worker);
            } catch (...) {
                std::lock_guard lock(job.errorMutex);
                if (!job.error)
                    job.error = std::current_exception();
                job.failed = true;
            }
        }
    }

    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    Job *m_job = nullptr;
    int m_active = 0;
    uint64_t m_generation = 0;
    bool m_quit = false;
};

Pool *pool()
{
    static Pool instance(configuredWorkers() > 1 ? configuredWorkers() : 0);
    return instance.size() > 0 ? &instance : nullptr;
}

void runHere(int chunks, const std::function<void(int, int)> &task, const std::function<void()> &idle)
{
    auto last = Clock::now();
    for (int chunk = 0; chunk < chunks; ++chunk) {
        task(chunk, 0);
        if (idle && Clock::now() - last >= kIdleEvery) {
            idle();
            last = Clock::now();
        }
    }
}

} // namespace

namespace ParallelWork {

int workerCount()
{
    static const int count = configuredWorkers();
    return count;
}

void run(int chunks, const std::function<void(int chunk, int worker)> &task, const std::function<void()> &idle)
{
    if (chunks <= 0)
        return;
    Pool *p = chunks > 1 ? pool() : nullptr;
    if (p) {
        Job job;
        job.task = &task;
        job.chunks = chunks;
        if (p->tryRun(job, idle)) {
            if (job.error)
                std::rethrow_exception(job.error);
            return;
        }
    }
    runHere(chunks, task, idle);
}

} // namespace ParallelWork
