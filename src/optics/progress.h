#pragma once

#include <string>

namespace optics {

//! How a calculation tells whoever watches it which stage it is in. The
//! window shows the stage names in its status bar; tests record them.
class Progress {
public:
    virtual ~Progress() = default;
    //! The stage that starts now ("Fast Fourier Transform"); an empty name
    //! when the picture is ready and nothing more is running.
    virtual void stage(const std::string& name) = 0;
    //! A long step is about to start: a good moment to show pending texts
    //! and pictures.
    virtual void flush() {}
};

//! Progress that nobody watches.
class NoProgress final : public Progress {
public:
    void stage(const std::string&) override {}
};

}  // namespace optics
