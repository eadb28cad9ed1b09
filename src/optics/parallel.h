#pragma once

#include <functional>

namespace optics {

//! Runs the iterations of a loop whose iterations are independent of each
//! other, perhaps on several threads at once. Whatever runs them, every
//! iteration sees exactly the arithmetic it would see alone, so the results
//! do not depend on how the loop was split.
class LoopRunner {
public:
    virtual ~LoopRunner() = default;
    //! Calls body(first, last) for consecutive ranges that together cover
    //! 0 .. count - 1 exactly once, in any order and possibly at the same
    //! time; returns when every range is done.
    virtual void run(int count, const std::function<void(int first, int last)>& body) = 0;
};

//! Runs every loop on the calling thread, in order.
class InOrder final : public LoopRunner {
public:
    void run(int count, const std::function<void(int first, int last)>& body) override
    {
        if (count > 0)
            body(0, count);
    }
};

}  // namespace optics
