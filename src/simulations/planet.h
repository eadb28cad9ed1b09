#pragma once

#include "imaging/pixel_buffer.h"
#include "optics/engine.h"
#include "optics/status_sink.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

//! A 24-bit picture in someone else's memory: rows top down, three bytes a
//! pixel in the order red, green, blue, `stride` bytes from one row to the
//! next.
struct RgbPicture {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    const std::uint8_t* pixel(int x, int y) const { return data + y * stride + static_cast<std::ptrdiff_t>(x) * 3; }
};

//! Planet pictures are placed one pixel per grid cell, which is 10 pixels per
//! arcsecond; at most this many pixels a side fit the transform area.
inline constexpr int kPlanetSide = 512;

//! Which part of a picture a run uses and where it lands on the grid: picture
//! pixel (left + b, top + a) goes to cell [1 + x0 + b][1 + y0 + a] for
//! b < width, a < height. A picture that fits is used whole and centred with
//! truncating division (257 pixels wide gives x0 = 127); of a larger one the
//! central 512 pixels of that side are used and fill it (x0 = 0).
struct PlanetPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int x0 = 0;
    int y0 = 0;
    //! Whether only the central part of the picture is used.
    bool cropped = false;
};
PlanetPlacement PlacePlanet(int pictureWidth, int pictureHeight);

//! What one convolution takes of each pixel.
enum class PlanetPlane { Grey, Red, Green, Blue };

//! The plane of a pass: grey (0.229 R + 0.589 G + 0.114 B) outside a colour
//! run; in a colour run the channel of its wavelength, 645 nm red, 510 nm
//! green, 440 nm blue (compared exactly; any other wavelength is grey).
PlanetPlane PlaneOf(bool colourPass, double waveLength);

//! One colour of the colour run: the wavelength its star image is computed at
//! and the channel it fills. Run in this order.
struct ColourPassSpec {
    double waveLength;
    PlanetPlane channel;
};
inline constexpr ColourPassSpec kColourPasses[] = {
    {440.0, PlanetPlane::Blue},
    {510.0, PlanetPlane::Green},
    {645.0, PlanetPlane::Red},
};

//! Totals of the red, green and blue bytes over the part of `picture` a run
//! uses.
struct ChannelTotals {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
};
ChannelTotals PlanetTotals(const RgbPicture& picture);

//! Writes `plane` of `picture` into the data area of `grid` as PlacePlanet
//! places it, on 0 everywhere else.
void PlacePlanetPicture(const RgbPicture& picture, PlanetPlane plane, optics::Grid& grid);

//! Convolves `plane` of `picture` with the star image in StarGrid. On entry
//! StarGrid holds the star image of the pass; on exit KernelGrid holds a copy
//! of it, OtfReal / OtfImag the spectrum of the star image scaled to unit sum
//! and FieldReal / FieldImag the circular convolution of the placed picture
//! with it, times 262144, with the zero offset of the star image at [1][1] as
//! the display step expects (which then replaces StarGrid). The forward
//! transforms run lines along the first index first, the inverse lines along
//! the second index first. Status panel 0 names each transform.
void ConvolvePlanet(optics::Engine& engine, const RgbPicture& picture, PlanetPlane plane,
                    optics::StatusSink& status);

//! Draws the middle 256 x 256 cells of ColourGrid ([129..384][129..384]) into
//! `buffer`, one cell a pixel, after limiting every channel of those cells to
//! 255 in ColourGrid itself; channels are rounded, halves to even.
void DrawPlanetComposite(optics::Engine& engine, imaging::PixelBuffer& buffer);

//! "Calculating wavefront at 440nm": the wavelength in the shortest form that
//! reads back as the same number, with `separator` as decimal separator.
std::string WavelengthStatus(double waveLength, char separator = '.');

//! What the Planet page reads and writes of the shared state: the flags and
//! the wavelength of the runs, the grids through the steps above.
class PlanetRun {
public:
    //! The square roots of a star image take 2 MB, set aside here once.
    explicit PlanetRun(optics::Engine& engine)
        : m_engine(engine), m_amplitude(static_cast<std::size_t>(optics::kLineLength) * optics::kLineLength)
    {
    }

    bool colourPass() const { return m_engine.ColourPass; }
    double waveLength() const { return m_engine.WaveLength; }
    void setWaveLength(double nm) { m_engine.WaveLength = nm; }
    optics::PaintTarget paintTarget() const { return m_engine.PaintTarget; }
    void setPaintTarget(optics::PaintTarget target) { m_engine.PaintTarget = target; }
    //! A grey redraw may replace the picture on screen again.
    void dropComposite() { m_engine.ColourComposite = false; }

    //! One pass: the plane that the colour flag and the wavelength select.
    void convolve(const RgbPicture& picture, optics::StatusSink& status);

    //! Start of a colour run: the picture totals, the colour flag, an empty
    //! ColourGrid.
    void startColourRun(const RgbPicture& picture);
    //! After the pass of `channel`: only that channel's weight is set, the one
    //! that keeps the channel's total (AccumulateChannel), and the amplitude
    //! of the star image of the pass is added to ColourGrid.
    void accumulate(PlanetPlane channel);
    //! The composite into `buffer` (see DrawPlanetComposite).
    void drawComposite(imaging::PixelBuffer& buffer) { DrawPlanetComposite(m_engine, buffer); }
    //! End of a colour run: the composite is what zoom redraws show (from
    //! ColourGrid as it is, values 0..255), the colour flag is cleared and the
    //! reference wavelength is back.
    void endColourRun();
    //! A colour run whose calculation was refused: the colour flag is cleared
    //! and the reference wavelength is back; no composite is shown.
    void abandonColourRun();

private:
    optics::Engine& m_engine;
    std::vector<double> m_amplitude;
};

}  // namespace sim
