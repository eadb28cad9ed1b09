#pragma once

#include <string>

namespace optics {

//! How the core reports progress to whoever shows it. The window implements
//! it with its status bar; tests record the sequence of texts.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    //! Puts `text` into status panel `panel` (0: calculation stage, 1: hints
    //! and progress of long runs).
    virtual void setStatus(int panel, const std::string& text) = 0;
    //! Asks for pending pictures and texts to be shown now, in the middle of a
    //! long computation.
    virtual void repaintNow() {}
};

//! A sink that drops everything.
class NullStatusSink final : public StatusSink {
public:
    void setStatus(int, const std::string&) override {}
};

}  // namespace optics
