#pragma once

#include "optics/progress.h"

#include <string>
#include <vector>

namespace testing_support {

//! Progress that keeps every stage name in the order it was reported.
class RecordingProgress : public optics::Progress {
public:
    void stage(const std::string& name) override { stages.push_back(name); }

    std::vector<std::string> stages;
};

}  // namespace testing_support
