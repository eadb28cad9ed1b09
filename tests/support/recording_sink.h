#pragma once

#include "optics/status_sink.h"

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

//! A status sink that keeps every text in the order it was set, with its panel.
class RecordingSink : public optics::StatusSink {
public:
    using Text = std::pair<int, std::string>;

    void setStatus(int panel, const std::string& text) override { texts.emplace_back(panel, text); }

    std::vector<Text> texts;
};

}  // namespace testing_support
