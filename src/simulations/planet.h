#pragma once

#include "imaging/pixel_buffer.h"
#include "optics/fft_lanes.h"
#include "optics/progress.h"
#include "optics/psf.h"
#include "optics/star_calculator.h"
#include "optics/workspace.h"
#include "simulations/chromatic.h"

#include <cstddef>
#include <array>
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
//! places it, on 0 everywhere else; the rows go through `loops` when given.
void PlacePlanetPicture(const RgbPicture& picture, PlanetPlane plane, optics::Grid& grid,
                        optics::LoopRunner* loops = nullptr);

//! Convolves `plane` of `picture` (grey: 0.229 R + 0.589 G + 0.114 B) with
//! the normalised star image `kernel` and returns the result as the display
//! step forms it. Uses the grids of `workspace`: the spectrum grids end with
//! the spectrum of the kernel scaled to unit sum, the field with the circular
//! convolution of the placed picture with it, times 262144, with the zero
//! offset of the kernel at [1][1] as the display step expects. The forward
//! transforms run lines along the first index first, the inverse lines along
//! the second index first. Each transform is reported by name.
optics::StarImagePtr ConvolvePlanet(optics::Workspace& workspace, const optics::StarImage& kernel,
                                    const RgbPicture& picture, PlanetPlane plane, optics::Progress& progress,
                                    const optics::TransformRunner& runner = {});

//! One pass of a planet run: the star of `request`, and `plane` of `picture`
//! convolved with it, both made with `calculator` (its workspace is left
//! holding the convolution). `request` must fit.
struct PlanetPass {
    optics::StarResult star;
    optics::StarImagePtr planet;
    //! The weight its plane was added to a colour sum with, when it was.
    double weight = 0.0;
};
PlanetPass RunPlanetPass(optics::StarCalculator& calculator, const optics::StarRequest& request,
                         const RgbPicture& picture, PlanetPlane plane, optics::Progress& progress);

//! The request of each colour pass: `controls` at the pass's wavelength.
std::vector<optics::StarRequest> PlanColourPasses(const optics::StarRequest& controls);

//! "Calculating wavefront at 440nm": the wavelength in the shortest form that
//! reads back as the same number, with `separator` as decimal separator.
std::string WavelengthStatus(double waveLength, char separator = '.');

//! The colour planet: each channel's convolved plane added to its colour
//! with the weight that keeps the channel's total brightness of the picture.
class PlanetColourSum {
public:
    //! Takes the channel totals of `picture`. The grid is not cleared here:
    //! each channel's first add writes it anew, on the thread that adds.
    explicit PlanetColourSum(const RgbPicture& picture);

    const ChannelTotals& totals() const { return m_totals; }
    //! Adds the convolved plane of `channel` (not Grey); returns its weight.
    double add(const optics::Grid& plane, PlanetPlane channel, optics::LoopRunner* loops = nullptr);
    //! The add without noting the weight, the square roots kept in
    //! `amplitude`. Each channel goes into cells of its own, so the adds of
    //! the three channels may run at once on different threads; a channel's
    //! sum is then the same as added one after another. The rows go through
    //! `loops` when given.
    double addChannel(const optics::Grid& plane, PlanetPlane channel, std::vector<double>& amplitude,
                      optics::LoopRunner* loops = nullptr);
    //! Notes `weight` as that of the last channel added (lastWeights).
    void noteAdded(PlanetPlane channel, double weight);
    //! The weights as the last add left them: its channel's, the others 0.
    const ChannelWeights& lastWeights() const { return m_weights; }
    //! The composite, its middle 256 x 256 cells limited to 255 in every
    //! channel (the part the picture shows); its cells hold display levels, so
    //! it is shown at scale 1. A channel never added is 0.
    Composite finish();

private:
    std::shared_ptr<optics::ColourCells> m_cells;
    ChannelTotals m_totals;
    ChannelWeights m_weights;
    // Whether each channel was added; each is written by one thread at a time.
    std::array<bool, 3> m_started{};
    // The square roots of a plane (2 MB), for add().
    std::vector<double> m_amplitude;
};

//! A whole colour planet made on one calculator: its three passes in the
//! order of kColourPasses, and their composite.
struct ColourPlanet {
    std::vector<PlanetPass> passes;
    Composite composite;
    ChannelTotals totals;
    ChannelWeights lastWeights;
};
ColourPlanet RunColourPlanet(optics::StarCalculator& calculator, const optics::StarRequest& controls,
                             const RgbPicture& picture, optics::Progress& progress);

}  // namespace sim
