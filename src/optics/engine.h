#pragma once

#include "optics/constants.h"
#include "optics/grid.h"

#include <array>
#include <cstdint>
#include <memory>

namespace optics {

//! The picture the star buffer is copied into when it is painted.
enum class PaintTarget : std::int32_t {
    None = 0,
    StarImage = 1,  //!< the star picture of the Startest page
    Chromatic = 2,  //!< the white-light star of the Chromatic page
    Planet = 3,     //!< the aberrated planet of the Planet page
};

//! The whole numeric state of the simulator: every grid, line, table, scalar
//! and flag. One instance is allocated at start-up and shared by reference for
//! the life of the process; nothing grid-sized is allocated after that.
struct Engine {
    // The eleven grids, in storage order. All start at zero.
    Grid ZeroGrid;        //!< all zeros; the source of every clear
    Grid WavefrontGrid;   //!< pupil phase (radians), later the raw intensity
    Grid FieldReal;       //!< pupil field cos(phase), later image-plane amplitude
    Grid FieldImag;       //!< imaginary partner of FieldReal
    Grid OtfReal;         //!< |Re| of the transfer function, or star spectrum
    Grid OtfImag;         //!< aperture mask (1.0 open), |Im| of the transfer function
    Grid TurbulenceGrid;  //!< turbulence phase screen, cells [1..513][1..513]
    Grid RoughnessGrid;   //!< mirror roughness screen, cells [1..513][1..513]
    Grid StarGrid;        //!< normalised PSF, peak near 1 at [257][257]
    Grid IntraGrid;       //!< intra-focal copy of StarGrid
    Grid KernelGrid;      //!< convolution kernel copy of StarGrid

    ColourCells ColourGrid;  //!< red, green, blue accumulation cells

    //! Transform lines; sample n lives in element n + 1, elements 0 and
    //! 513..516 are never touched.
    std::array<float, kGridSide> LineReal;
    std::array<float, kGridSide> LineImag;
    //! BitReverse[k] is the 9-bit reversal of k.
    std::array<std::uint16_t, kLineLength> BitReverse;
    //! Display level for a normalised intensity of k / 1000.
    std::array<double, 1001> DisplayLut;

    // Scalars, with their start values.
    double WaveLength = kReferenceWavelength;  //!< nm
    double FftSign = 1.0;                 //!< +1 forward, -1 during an inverse line transform
    float ApertureInches = 0.0f;          //!< aperture diameter in inches
    std::int32_t AperturePictureRadius = kAperturePictureRadius;
    std::int32_t PupilCellCount = 0;      //!< cells with rho^2 <= 1 in the last pupil
    float PeakIntensity = 0.0f;           //!< peak raw intensity of the last display step
    double IntraPeak = 0.0;
    std::int32_t TurbulenceShift = 0;
    double ScreenRms = 0.0;
    std::uint32_t RandomSeed = 0;         //!< state of the screen random generator
    std::uint8_t StarRed = 0;
    std::uint8_t StarGreen = 0;
    std::uint8_t StarBlue = 0;
    double WeightRed = 0.0;
    double WeightGreen = 0.0;
    double WeightBlue = 0.0;
    double PlanetSumRed = 0.0;
    double PlanetSumGreen = 0.0;
    double PlanetSumBlue = 0.0;
    optics::PaintTarget PaintTarget = optics::PaintTarget::StarImage;

    // Flags.
    bool TurbulenceReady = false;
    bool RoughnessReady = false;
    bool WavefrontImageLoaded = false;
    bool ColourPass = false;
    bool ColourComposite = false;
    bool FirstGammaChange = true;

    //! Allocates a zeroed engine with every scalar and flag at its start value.
    static std::unique_ptr<Engine> Create();
};

//! Clears grid g by copying ZeroGrid over all of its 517 x 517 cells.
void ClearGrid(const Engine& engine, Grid& g);
//! Copies all 517 x 517 cells of `from` into `to`.
void CopyGrid(const Grid& from, Grid& to);

}  // namespace optics
