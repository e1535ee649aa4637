#pragma once

#include <functional>

// Pure computation spread over the machine's cores. The tasks read what the calling thread prepared
// and write only their own part of the result; they never touch files, messages or widgets. The
// calling thread waits and keeps the windows alive through its idle call.
namespace ParallelWork {

// The number of worker threads: the machine's hardware threads, or the number in the environment
// variable VENDRA_THREADS (1 runs everything on the calling thread).
int workerCount();

// Runs task(chunk, worker) for every chunk 0..chunks-1 and returns when all have run. worker is in
// 0..workerCount()-1, and two tasks with the same worker index never run at the same time, so a
// task may use per-worker scratch data. While it waits the calling thread calls idle (when given)
// about every 20 ms. The first exception a task raises is raised here once every task has stopped
// (tasks not yet started are skipped). A run started while another is going on (from inside idle)
// runs its tasks on the calling thread.
void run(int chunks, const std::function<void(int chunk, int worker)> &task,
         const std::function<void()> &idle = {});

} // namespace ParallelWork
