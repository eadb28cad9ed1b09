#include "optics/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace optics {

namespace {

// How long an idle worker looks out for work before it sleeps. The loops of
// one calculation come up to a few tenths of a millisecond apart (between
// them its worker does what it does not share, and the window's thread takes
// each result and may start the next run). A sleeping worker must be woken
// for each: tens of microseconds on a quiet machine, and up to milliseconds
// on a virtual machine whose host has halted the idle core.
constexpr auto kLookOut = std::chrono::milliseconds(1);
// The first looks (about 50 microseconds) only pause; after them a worker
// lets any other thread that wants its core go first between looks (the
// window's thread may share it).
constexpr int kPausedLooks = 2000;

void Pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// The cores this process may run on, in order (none where that cannot be
// told).
std::vector<int> UsableCores()
{
    std::vector<int> cores;
#if defined(__linux__)
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return cores;
    for (int core = 0; core < CPU_SETSIZE; ++core)
        if (CPU_ISSET(core, &allowed))
            cores.push_back(core);
#endif
    return cores;
}

// Keeps the calling thread on `core`; a refusal only costs speed.
void StayOn(int core)
{
#if defined(__linux__)
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    pthread_setaffinity_np(pthread_self(), sizeof one, &one);
#else
    (void)core;
#endif
}

}  // namespace

// A loop being shared out: ranges are taken by counting up `next`. Helpers
// register in `users` (under the pool's lock) while they work on it, so its
// owner knows when nobody touches it any more.
struct WorkerPool::Region {
    const std::function<void(int, int)>* body = nullptr;
    int count = 0;
    int range = 1;
    std::atomic<int> next{0};
    int users = 0;
};

// The LoopRunner of one worker's calculator, or of a thread outside the pool:
// shares a loop with the idle workers and takes part in it itself.
class WorkerPool::SharedLoops final : public LoopRunner {
public:
    //! `outside`: for a thread that is not one of the workers, which all may
    //! help it.
    SharedLoops(WorkerPool& pool, bool outside) : m_pool(pool), m_outside(outside) {}

    void run(int count, const std::function<void(int, int)>& body) override
    {
        if (count <= 0)
            return;
        const int helpers = m_pool.size() - (m_outside ? 0 : 1);
        const int workers = helpers + 1;
        if (helpers < 1 || count == 1) {
            body(0, count);
            return;
        }
        Region region;
        region.body = &body;
        region.count = count;
        // A few ranges a worker, so that a worker that joins late still finds work.
        region.range = std::max(1, count / (4 * workers));
        {
            std::lock_guard lock(m_pool.m_mutex);
            m_pool.m_regions.push_back(&region);
            m_pool.m_offers.fetch_add(1, std::memory_order_release);
        }
        m_pool.m_wake.notify_all();
        runRanges(region);
        std::unique_lock lock(m_pool.m_mutex);
        std::erase(m_pool.m_regions, &region);
        m_pool.m_done.wait(lock, [&] { return region.users == 0; });
    }

private:
    WorkerPool& m_pool;
    bool m_outside;
};

struct WorkerPool::Worker {
    Worker(WorkerPool& pool, ScreenCache& screens) : loops(pool, false), calculator(screens)
    {
        calculator.setLoops(&loops);
    }

    SharedLoops loops;
    StarCalculator calculator;
    // The core the worker keeps to, or -1 for any.
    int core = -1;
    std::thread thread;
};

WorkerPool::WorkerPool(int workers, ScreenCache& screens) : m_outsideLoops(std::make_unique<SharedLoops>(*this, true))
{
    const int n = std::max(1, workers);
    for (int i = 0; i < n; ++i)
        m_workers.push_back(std::make_unique<Worker>(*this, screens));
    // A pool with a worker for every core keeps each worker on a core of its
    // own. Left to choose, the system may queue a woken worker behind the
    // thread that woke it, on a busy core, for milliseconds while another
    // core stays idle (seen on virtual machines, whose idle cores look busy
    // to it): a shared calculation then runs on one core. A pool smaller or
    // larger than the machine is left to the system, so that other programs
    // keep the cores it does not use.
    if (const std::vector<int> cores = UsableCores(); static_cast<int>(cores.size()) == n) {
        for (int i = 0; i < n; ++i)
            m_workers[static_cast<std::size_t>(i)]->core = cores[static_cast<std::size_t>(i)];
    }
    for (auto& worker : m_workers)
        worker->thread = std::thread([this, w = worker.get()] { work(*w); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
        m_offers.fetch_add(1, std::memory_order_release);
    }
    m_wake.notify_all();
    for (auto& worker : m_workers)
        worker->thread.join();
}

LoopRunner& WorkerPool::loops()
{
    return *m_outsideLoops;
}

int WorkerPool::DefaultSize()
{
    // The cores this process may use, which are fewer than the machine's when
    // it was started on some of them only (taskset, a container's CPU set):
    // a worker more than that would only take turns with another.
    const std::size_t usable = UsableCores().size();
    const unsigned cores = usable > 0 ? static_cast<unsigned>(usable) : std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 8u));
}

void WorkerPool::submit(Job job)
{
    std::vector<Job> one;
    one.push_back(std::move(job));
    submit(std::move(one));
}

void WorkerPool::submit(std::vector<Job> jobs)
{
    {
        std::lock_guard lock(m_mutex);
        for (Job& job : jobs)
            m_jobs.push_back(std::move(job));
        m_offers.fetch_add(1, std::memory_order_release);
    }
    // Every idle worker, not only the one that will take the job: the job
    // shares its first loop within microseconds, and the others are then
    // already up and looking out for it.
    m_wake.notify_all();
}

void WorkerPool::dropQueued()
{
    std::lock_guard lock(m_mutex);
    m_jobs.clear();
    m_done.notify_all();
}

void WorkerPool::waitIdle()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&] { return m_jobs.empty() && m_running == 0; });
}

bool WorkerPool::busy() const
{
    std::lock_guard lock(m_mutex);
    return !m_jobs.empty() || m_running > 0;
}

void WorkerPool::setLaneKernel(LaneKernel kernel)
{
    waitIdle();
    for (auto& worker : m_workers)
        worker->calculator.setLaneKernel(kernel);
}

bool WorkerPool::helpWanted() const
{
    return std::any_of(m_regions.begin(), m_regions.end(),
                       [](const Region* r) { return r->next.load(std::memory_order_relaxed) < r->count; });
}

void WorkerPool::runRanges(Region& region)
{
    for (;;) {
        const int first = region.next.fetch_add(region.range, std::memory_order_relaxed);
        if (first >= region.count)
            return;
        (*region.body)(first, std::min(first + region.range, region.count));
    }
}

bool WorkerPool::lookOut(int seen, std::chrono::steady_clock::time_point until) const
{
    const auto noOffer = [&] { return m_offers.load(std::memory_order_acquire) == seen; };
    for (int look = 0; look < kPausedLooks && noOffer(); ++look)
        Pause();
    while (noOffer()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::yield();
    }
    return true;
}

void WorkerPool::work(Worker& worker)
{
#if defined(__linux__)
    // So that the workers can be told apart in top, perf and debuggers.
    pthread_setname_np(pthread_self(), "calc-worker");
#endif
    if (worker.core >= 0)
        StayOn(worker.core);
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto hasWork = [&] { return m_stopping || !m_jobs.empty() || helpWanted(); };
        if (!hasWork()) {
            // A calculation shares one loop after another: waking a sleeping
            // thread for each would cost more than a look-out for the next
            // one first. A worker woken with nothing to do (another took the
            // job) looks out too, for the loops of that job. An offer that
            // others took before this worker got to it (a short loop, shared
            // by a thread that was running) does not end the look-out.
            const auto until = std::chrono::steady_clock::now() + kLookOut;
            bool offered = true;
            while (offered && !hasWork()) {
                const int seen = m_offers.load(std::memory_order_acquire);
                lock.unlock();
                offered = lookOut(seen, until);
                lock.lock();
            }
            if (!hasWork()) {
                m_wake.wait(lock);
                continue;
            }
        }
        if (m_stopping)
            return;
        if (!m_jobs.empty()) {
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            ++m_running;
            lock.unlock();
            job(worker.calculator);
            job = nullptr;
            lock.lock();
            --m_running;
            m_done.notify_all();
            continue;
        }
        // The loops' ranges are taken without the lock: the loop that woke
        // this worker may have been finished by the others meanwhile.
        const auto wanted = std::find_if(m_regions.begin(), m_regions.end(), [](const Region* r) {
            return r->next.load(std::memory_order_relaxed) < r->count;
        });
        if (wanted == m_regions.end())
            continue;
        Region& region = **wanted;
        ++region.users;
        lock.unlock();
        runRanges(region);
        lock.lock();
        if (--region.users == 0)
            m_done.notify_all();
    }
}

}  // namespace optics
