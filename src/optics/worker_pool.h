#pragma once

#include "optics/parallel.h"
#include "optics/phase_screen.h"
#include "optics/star_calculator.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace optics {

//! Threads that run calculations, each with a star calculator (and so a
//! workspace) of its own, all sharing one screen cache. A job runs on the
//! first worker that is free. A worker with nothing to do helps the others:
//! the loops of a calculation (the line passes of its transforms, the rows of
//! its pupil and star image) are shared out to idle workers, so a single
//! calculation uses every core that no other job needs. Results do not depend
//! on how work was shared: every line and row sees the same arithmetic.
class WorkerPool {
public:
    //! A job: what to do on a worker, with that worker's calculator.
    using Job = std::function<void(StarCalculator& calculator)>;

    //! `workers` threads (at least one) whose calculators take their screens
    //! from `screens`, which must outlive the pool.
    WorkerPool(int workers, ScreenCache& screens);
    //! Drops the jobs not started yet, waits for the running ones to end.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return static_cast<int>(m_workers.size()); }
    //! As many workers as the cores this process may run on, at most 8.
    static int DefaultSize();

    //! Queues a job.
    void submit(Job job);
    //! Queues the jobs, in order, and only then wakes the workers: none
    //! starts before all are queued, so the thread that queues them is not
    //! held up halfway by the workers it woke.
    void submit(std::vector<Job> jobs);
    //! Drops the jobs not started yet; they never run.
    void dropQueued();
    //! Waits until no job is queued or running.
    void waitIdle();
    //! Whether a job is queued or running.
    bool busy() const;

    //! Loops for a thread that is not one of the workers (the window's): the
    //! idle workers help with them. Results are those of any LoopRunner.
    LoopRunner& loops();

    //! Makes every worker's transforms use `kernel` (tests and measurements).
    void setLaneKernel(LaneKernel kernel);

private:
    struct Region;
    class SharedLoops;
    struct Worker;

    void work(Worker& worker);
    //! Waits for an offer after the `seen`-th without sleeping, until
    //! `until`; whether one came.
    bool lookOut(int seen, std::chrono::steady_clock::time_point until) const;
    //! Runs ranges of `region` until none is left.
    static void runRanges(Region& region);
    bool helpWanted() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // a job, a loop to help with, or the end
    std::condition_variable m_done;  // a helper left a loop, or a job ended
    std::deque<Job> m_jobs;
    std::vector<Region*> m_regions;
    int m_running = 0;
    bool m_stopping = false;
    // Counts jobs submitted, loops shared and the end, so that an idle worker
    // sees them without the lock.
    std::atomic<int> m_offers{0};
    std::unique_ptr<SharedLoops> m_outsideLoops;
    std::vector<std::unique_ptr<Worker>> m_workers;
};

}  // namespace optics
