// The pool's workers give exactly the results of one calculator on one
// thread, whether a calculation runs alone (its loops shared out to idle
// workers) or beside others; and the pool drops, waits and stops as it says.
#include "optics/fft.h"
#include "optics/worker_pool.h"
#include "support/checksum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <cmath>
#include <memory>
#include <functional>
#include <future>
#include <latch>
#include <set>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

namespace {

using optics::StarRequest;
using testing_support::GridChecksum;

// What pins a calculation: its star image, its transfer function and pupil
// phase as the workspace holds them, and the pupil summary.
struct Fingerprint {
    std::uint64_t star = 0;
    std::uint64_t spectrum = 0;
    std::uint64_t phase = 0;
    double rms = 0.0;
    double mean = 0.0;
    float peak = 0.0f;

    friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
};

Fingerprint fingerprintOf(optics::StarCalculator& calculator, const StarRequest& request)
{
    optics::NoProgress progress;
    const base::Result<optics::StarResult> result = calculator.calculate(request, progress);
    EXPECT_TRUE(result) << result.error();
    if (!result)
        return {};
    const optics::Workspace& w = calculator.workspace();
    // Without a transfer function the spectrum is whatever was there.
    return {GridChecksum(result->image->grid), request.transferFunction ? GridChecksum(w.spectrumRe) : 0,
            GridChecksum(w.phase),
            result->pupil.rms, result->pupil.mean, result->image->peak};
}

// Requests that reach every part of a calculation: obstruction and spider,
// every error, both screens with drift, other wavelengths, large and small
// pupils, the transfer function, a field not kept.
std::vector<StarRequest> requests()
{
    std::vector<StarRequest> all;
    StarRequest r;
    r.pupil.diameter = 8.0;
    r.transferFunction = true;
    r.wavefrontMap = true;
    all.push_back(r);
    r.pupil.focus = 2.5;
    r.pupil.coma = 0.3;
    r.pupil.comaAngle = 35;
    r.pupil.astigmatism = -0.45;
    r.pupil.spherical = 0.2;
    r.pupil.edge = 0.5;
    r.pupil.turbulence = 0.2;
    r.aperture.obstructionPercent = 25.0;
    r.aperture.spider = true;
    all.push_back(r);
    r.pupil.diameter = 25.0;
    r.waveLength = 405.0;
    r.pupil.roughness = 0.1;
    all.push_back(r);
    r.pupil.diameter = 3.0;
    r.screenDrift = 43;
    r.waveLength = 645.0;
    all.push_back(r);
    // A calculation that hands its field's rows on without storing them, as
    // all but the last of a run do.
    r.pupil.diameter = 8.0;
    r.waveLength = 555.0;
    r.transferFunction = false;
    r.keepField = false;
    all.push_back(r);
    return all;
}

TEST(WorkerPool, EveryKernelGivesTheSequentialBitsAloneAndBesideOtherJobs)
{
    optics::ScreenCache screens;
    optics::StarCalculator alone(screens);
    optics::WorkerPool pool(3, screens);
    const std::vector<StarRequest> all = requests();
    for (optics::LaneKernel kernel : optics::AvailableLaneKernels()) {
        SCOPED_TRACE(optics::LaneKernelName(kernel));
        alone.setLaneKernel(kernel);
        pool.setLaneKernel(kernel);
        std::vector<Fingerprint> expected;
        for (const StarRequest& request : all)
            expected.push_back(fingerprintOf(alone, request));

        // One at a time: the idle workers share the loops.
        for (std::size_t n = 0; n < all.size(); ++n) {
            std::promise<Fingerprint> done;
            pool.submit([&](optics::StarCalculator& c) { done.set_value(fingerprintOf(c, all[n])); });
            EXPECT_EQ(done.get_future().get(), expected[n]) << "request " << n;
        }
        // All at once: each worker busy with its own.
        std::vector<std::promise<Fingerprint>> results(all.size());
        for (std::size_t n = 0; n < all.size(); ++n)
            pool.submit([&, n](optics::StarCalculator& c) { results[n].set_value(fingerprintOf(c, all[n])); });
        for (std::size_t n = 0; n < all.size(); ++n)
            EXPECT_EQ(results[n].get_future().get(), expected[n]) << "request " << n;
    }
}

TEST(WorkerPool, SharedTransformsMatchTheOneThreadForm)
{
    // Grids are 2 MB each: on the heap.
    auto dense = std::make_unique<std::array<optics::Grid, 2>>();
    auto sparse = std::make_unique<std::array<optics::Grid, 2>>();
    // A dense field: no empty columns to skip.
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j) {
            (*dense)[0](i, j) = std::sin(0.01 * i * j) + 0.5;
            (*dense)[1](i, j) = std::cos(0.003 * i + 0.007 * j);
        }
    // A sparse one, whose empty columns the forward transform skips: a disc,
    // and lone values that only one range of rows sees (the first and last
    // rows, a negative zero, a value that rounds to a float zero).
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            if ((i - 257) * (i - 257) + (j - 257) * (j - 257) < 100 * 100)
                (*sparse)[0](i, j) = std::sin(0.01 * i * j);
    (*sparse)[0](1, 20) = 0.5;
    (*sparse)[1](512, 500) = -2.0;
    (*sparse)[0](40, 60) = -0.0;
    (*sparse)[1](470, 440) = 1e-300;
    optics::ScreenCache screens;
    optics::WorkerPool pool(4, screens);
    for (const auto* field : {dense.get(), sparse.get()}) {
        SCOPED_TRACE(field == dense.get() ? "dense" : "sparse");
        for (optics::LaneKernel kernel : optics::AvailableLaneKernels()) {
            SCOPED_TRACE(optics::LaneKernelName(kernel));
            using Transform = std::function<void(optics::Grid&, optics::Grid&, const optics::TransformRunner&)>;
            // The forward transform told of the middle rows finds NaN in the
            // others, and must not read them.
            constexpr optics::FilledRows kMiddle{150, 360};
            const Transform transforms[] = {
                [](optics::Grid& re, optics::Grid& im, const optics::TransformRunner& r) {
                    optics::Transform2D(re, im, r);
                },
                [&](optics::Grid& re, optics::Grid& im, const optics::TransformRunner& r) {
                    optics::Transform2D(re, im, r, kMiddle);
                },
                [](optics::Grid& re, optics::Grid& im, const optics::TransformRunner& r) {
                    optics::TransformIntensity2D(re, im, r);
                },
                [](optics::Grid& re, optics::Grid& im, const optics::TransformRunner& r) {
                    optics::InverseTransform2D(re, im, r);
                },
            };
            for (std::size_t t = 0; t < std::size(transforms); ++t) {
                const Transform& transform = transforms[t];
                auto copies = std::make_unique<std::array<optics::Grid, 4>>();
                auto& [aRe, aIm, bRe, bIm] = *copies;
                aRe = bRe = (*field)[0];
                aIm = bIm = (*field)[1];
                if (t == 1) {
                    for (optics::Grid* g : {&aRe, &aIm, &bRe, &bIm})
                        for (int i = 1; i <= 512; ++i)
                            if (i < kMiddle.first || i > kMiddle.last)
                                std::fill(g->row(i) + 1, g->row(i) + 513, std::nan(""));
                }
                transform(aRe, aIm, {kernel});
                std::promise<void> done;
                pool.submit([&](optics::StarCalculator& c) {
                    auto scratch = std::make_unique<optics::TransformScratch>();
                    transform(bRe, bIm, {kernel, c.loops(), scratch.get()});
                    done.set_value();
                });
                done.get_future().get();
                EXPECT_EQ(GridChecksum(aRe, 0, 516), GridChecksum(bRe, 0, 516));
                EXPECT_EQ(GridChecksum(aIm, 0, 516), GridChecksum(bIm, 0, 516));
            }
        }
    }
}

TEST(WorkerPool, DroppedJobsNeverRunAndStoppingWaitsForRunningOnes)
{
    optics::ScreenCache screens;
    std::atomic<int> ran{0};
    auto pool = std::make_unique<optics::WorkerPool>(1, screens);

    // Jobs queued behind a running one, then dropped: they never run.
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    pool->submit([&](optics::StarCalculator&) {
        started.set_value();
        released.wait();
        ++ran;
    });
    started.get_future().get();
    for (int n = 0; n < 5; ++n)
        pool->submit([&](optics::StarCalculator&) { ran += 100; });
    EXPECT_TRUE(pool->busy());
    pool->dropQueued();
    release.set_value();
    pool->waitIdle();
    EXPECT_FALSE(pool->busy());
    EXPECT_EQ(ran.load(), 1);

    // The pool goes while a job runs and another waits: the running one
    // ends, the waiting one never starts.
    std::promise<void> running;
    std::promise<void> hold;
    std::shared_future<void> held = hold.get_future().share();
    pool->submit([&](optics::StarCalculator&) {
        running.set_value();
        held.wait();
        ++ran;
    });
    pool->submit([&](optics::StarCalculator&) { ran += 100; });
    running.get_future().get();
    std::thread stopper([&] { pool.reset(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    hold.set_value();
    stopper.join();
    EXPECT_EQ(ran.load(), 2);
}

// Many short loops shared from outside the pool, one after another: a
// worker woken for a loop may find it already finished by the others, and
// must then wait for the next one instead of joining a loop that is gone.
TEST(WorkerPool, LoopsThatEndBeforeAHelperArrivesAreLeftAlone)
{
    optics::ScreenCache screens;
    optics::WorkerPool pool(3, screens);
    optics::LoopRunner& loops = pool.loops();
    long long total = 0;
    long long cells = 0;
    for (int round = 0; round < 100000; ++round) {
        const int count = 2 + round % 3;
        cells += count;
        std::vector<int> seen(static_cast<std::size_t>(count), 0);
        loops.run(count, [&](int first, int last) {
            for (int n = first; n < last; ++n)
                ++seen[static_cast<std::size_t>(n)];
        });
        for (const int times : seen)
            total += times == 1 ? 1 : 1000000;
    }
    // Every cell of every loop once.
    EXPECT_EQ(total, cells);
}

#if defined(__linux__)
// The cores a thread may run on.
std::set<int> coresOf(pid_t thread)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    EXPECT_EQ(sched_getaffinity(thread, sizeof allowed, &allowed), 0);
    std::set<int> cores;
    for (int core = 0; core < CPU_SETSIZE; ++core)
        if (CPU_ISSET(core, &allowed))
            cores.insert(core);
    return cores;
}

// A pool with a worker for every core keeps each worker on a core of its
// own; any other pool leaves its workers free to go to every core.
TEST(WorkerPool, OneWorkerACoreWhenThePoolCoversTheMachine)
{
    const std::set<int> usable = coresOf(0);
    ASSERT_FALSE(usable.empty());
    const int coreCount = static_cast<int>(usable.size());
    for (const int workers : {coreCount, coreCount + 1}) {
        SCOPED_TRACE(workers);
        optics::ScreenCache screens;
        optics::WorkerPool pool(workers, screens);
        // As many jobs as workers, each held until all have started: every
        // worker runs one.
        std::latch allStarted(workers);
        std::vector<std::set<int>> seen(static_cast<std::size_t>(workers));
        for (int n = 0; n < workers; ++n) {
            pool.submit([&, n](optics::StarCalculator&) {
                seen[static_cast<std::size_t>(n)] = coresOf(0);
                allStarted.arrive_and_wait();
            });
        }
        pool.waitIdle();
        std::set<int> kept;
        for (const std::set<int>& cores : seen) {
            if (workers == coreCount) {
                ASSERT_EQ(cores.size(), 1u);
                kept.insert(*cores.begin());
            } else {
                EXPECT_EQ(cores, usable);
            }
        }
        if (workers == coreCount) {
            EXPECT_EQ(kept, usable);
        }
    }
}

// The usual pool has a worker for each core the program may run on, not for
// each core of the machine, and at most 8.
TEST(WorkerPool, TheUsualSizeCountsTheCoresTheProgramMayUse)
{
    const std::set<int> usable = coresOf(0);
    ASSERT_FALSE(usable.empty());
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    const struct {
        std::set<int> cores;
        int size;
    } cases[] = {
        {usable, std::min(8, static_cast<int>(usable.size()))},
        {{*usable.begin()}, 1},
    };
    for (const auto& c : cases) {
        cpu_set_t some;
        CPU_ZERO(&some);
        for (const int core : c.cores)
            CPU_SET(core, &some);
        ASSERT_EQ(sched_setaffinity(0, sizeof some, &some), 0);
        EXPECT_EQ(optics::WorkerPool::DefaultSize(), c.size) << c.cores.size() << " cores";
    }
    ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
}
#endif

}  // namespace
