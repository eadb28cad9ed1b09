#pragma once

#include "optics/parallel.h"

#include <functional>
#include <thread>
#include <vector>

namespace testing_support {

//! Shares a loop out over three threads at once, the last range started
//! first: a result that depended on the order or the split would show.
class ThreeThreads final : public optics::LoopRunner {
public:
    void run(int count, const std::function<void(int, int)>& body) override
    {
        std::vector<std::thread> threads;
        for (int part = 2; part >= 0; --part) {
            const int first = count * part / 3;
            const int last = count * (part + 1) / 3;
            if (first < last)
                threads.emplace_back([&body, first, last] { body(first, last); });
        }
        for (std::thread& t : threads)
            t.join();
    }
};

}  // namespace testing_support
