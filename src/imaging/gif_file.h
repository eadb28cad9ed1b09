#pragma once

#include "base/result.h"
#include "imaging/pixel_buffer.h"
#include "optics/parallel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace imaging {

//! A picture as a GIF holds it: a palette of at most 256 colours and one
//! palette index a pixel.
struct PalettePicture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> palette;           //!< 1..256 colours
    std::vector<std::uint8_t> indices;  //!< width x height, rows top down

    Rgb pixel(int x, int y) const { return palette[indices[static_cast<std::size_t>(y) * width + x]]; }
};

//! Reduces a 24-bit picture to a palette. A picture of at most 256 colours
//! keeps every colour exactly (a grey star keeps its greys, so it needs no
//! dithering). One of more colours (a colour planet) gets a palette by median
//! cut over its colours at 5 bits a channel, each box of colours becoming
//! their mean, and its pixels are dithered onto that palette (Floyd-Steinberg)
//! so that smooth shading keeps its local brightness and colour.
PalettePicture ReduceToPalette(const PixelBuffer& picture);

//! The frames of an animated GIF, in order, each shown for the same time; the
//! file plays once, or over and over.
class AnimatedGif {
public:
    //! The time a frame is shown, as the window's player shows it.
    static constexpr int kFrameDelayCentiseconds = 5;

    void clear() { m_frames.clear(); }
    //! Whether a viewer plays the file over and over.
    void setLoop(bool loop) { m_loop = loop; }
    bool loop() const { return m_loop; }
    //! Loops the frames are compressed on when the file is made (on the
    //! calling thread without); the file is the same either way.
    void setLoops(optics::LoopRunner* loops) { m_loops = loops; }
    //! Adds `picture`, reduced to a palette, as the last frame.
    void addFrame(const PixelBuffer& picture) { m_frames.push_back(ReduceToPalette(picture)); }
    //! Adds a picture already reduced to its palette.
    void addFrame(PalettePicture picture) { m_frames.push_back(std::move(picture)); }
    int count() const { return static_cast<int>(m_frames.size()); }
    bool empty() const { return m_frames.empty(); }
    const PalettePicture& frame(int index) const { return m_frames[static_cast<std::size_t>(index)]; }

    //! The whole file (GIF89a): the first frame's palette as the global one,
    //! each later frame with its own, every frame at the top left of a screen
    //! as large as the largest, each with a graphic control block giving its
    //! delay, and the looping block when the file loops. giflib writes the
    //! file; the compressed pixels come from a faster compressor of our own
    //! through giflib's calls for ready-made codes. Fails when there is no
    //! frame or the encoder fails.
    base::Result<std::string> encode() const;
    //! Writes the file through WriteFile (file_output.h): a file is replaced
    //! only once it is complete. A failure names the file.
    base::Status write(const std::string& path) const;

private:
    std::vector<PalettePicture> m_frames;
    bool m_loop = false;
    optics::LoopRunner* m_loops = nullptr;
};

}  // namespace imaging
