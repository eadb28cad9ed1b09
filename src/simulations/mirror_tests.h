#pragma once

// The mirror maker's tests of the Tests page: a Ronchi grating and a
// Foucault knife edge in the light cone near focus, and an interferogram,
// each drawn from the pupil wavefront the star calculation uses (named
// errors, screens and measured wavefront together).
//
// Coordinates: the pictures show the pupil as the Wavefront page does, x to
// the right and y up, the disc inscribed in 257 x 257 pixels around pixel
// (128, 128). Offsets along the axis are millimetres from focus, negative
// inside focus (towards the mirror), with the sign of the focus error: a
// focus error of W waves moves the focus as far as FocusTravelMm(W) does, so
// a grating at offset z of a perfect mirror shows what a grating at focus of
// a mirror with that defocus shows.

#include "base/result.h"
#include "imaging/display.h"
#include "imaging/pixel_buffer.h"
#include "optics/fft_lanes.h"
#include "optics/phase_screen.h"
#include "optics/star_calculator.h"

#include <memory>
#include <string>
#include <vector>

namespace sim {

//! Side of the three pictures in pixels.
inline constexpr int kTestPictureSide = 257;

//! The pictures of the page.
enum class MirrorTest { Ronchi, Knife, Fringes };

//! A Ronchi grating near focus.
struct RonchiSettings {
    double linesPerMm = 4.0;  //!< grating frequency (4 is about 100 per inch)
    double offsetMm = 6.0;    //!< grating distance from focus, negative inside
    double angle = 0.0;       //!< degrees; 0 puts the lines upright
};

//! A knife edge near focus: at angle 0 it comes in from the left up to the
//! axis; the angle turns it counter-clockwise about the axis.
struct KnifeSettings {
    double offsetMm = 0.0;  //!< distance from focus, negative inside
    double angle = 0.0;     //!< degrees
};

//! The interferogram of the wavefront against a reference.
struct FringeSettings {
    double tilt = 6.0;      //!< straight fringes the reference's tilt adds across the aperture
    double angle = 0.0;     //!< degrees; 0 makes tilt fringes upright
    double defocus = 0.0;   //!< waves of defocus added to the reference
    int perWave = 1;        //!< fringes per wave: 1 as the star sees it, 2 in a double-pass test
};

//! Everything one picture needs, complete.
struct MirrorTestRequest {
    MirrorTest test = MirrorTest::Ronchi;
    //! The pupil: one request, or for a white-light Ronchigram one per
    //! wavelength (the Chromatic page's plan), each with its wavelength,
    //! focus and spherical aberration.
    std::vector<optics::StarRequest> pupils;
    double focalRatio = 6.0;  //!< f/N of the telescope
    RonchiSettings ronchi;
    KnifeSettings knife;
    FringeSettings fringes;
    //! The display curve the knife-edge picture is drawn through.
    double gamma = 0.5;
    double slope = 4.5;
};

//! What one picture was made from and shows.
struct MirrorTestResult {
    MirrorTestRequest request;
    imaging::PixelBuffer picture{kTestPictureSide, kTestPictureSide};
    //! Mean level (0..1) of the open aperture in the picture, over every
    //! channel.
    double meanLevel = 0.0;
    //! Peak-to-valley and RMS of the (first) pupil's wavefront, waves at 555 nm.
    double peakToValley = 0.0;
    double rms = 0.0;
};

//! The largest knife offset (mm, either side of focus) whose defocused cone
//! stays well inside the grid's field of about 51 arcseconds (its radius at
//! most 160 of the 256 cells) at the aperture of `star` and f/`focalRatio`.
double LargestKnifeOffsetMm(const optics::StarRequest& star, double focalRatio);

//! Beam diameter at the grating over the grating's period: the number of
//! bands a perfect mirror shows across the pupil.
double RonchiBandCount(const RonchiSettings& ronchi, double focalRatio);

//! Whether `request` can be drawn: every pupil fits the grid, the focal
//! ratio is positive and finite, and a knife offset is within
//! LargestKnifeOffsetMm. The refusal is one sentence for the user.
base::Status CheckMirrorTest(const MirrorTestRequest& request);

//! Draws one picture. Screens come from `screens`; the knife edge's
//! transforms run with `kernel` in a workspace of its own. A request that
//! CheckMirrorTest refuses is refused with the same sentence.
base::Result<MirrorTestResult> DrawMirrorTest(const MirrorTestRequest& request, optics::ScreenCache& screens,
                                              optics::LaneKernel kernel = optics::PreferredLaneKernel());
//! The same, the knife edge drawn in `workspace` (a calculator's, or one kept
//! for these pictures), whose pupil and field grids it overwrites; the
//! picture is the same to the bit.
base::Result<MirrorTestResult> DrawMirrorTest(const MirrorTestRequest& request, optics::ScreenCache& screens,
                                              optics::Workspace& workspace, optics::LaneKernel kernel);

//! Where the light of a pupil point lands in a plane `offsetMm` from focus,
//! in millimetres (x right, y up), by geometric optics: the point (x, y) of
//! the unit pupil and the wavefront's slope there (waves at 555 nm per unit
//! of the pupil radius) at f/`focalRatio`.
struct LandingPoint {
    double x = 0.0;
    double y = 0.0;
};
LandingPoint RayLanding(double x, double y, double slopeX, double slopeY, double offsetMm, double focalRatio);

}  // namespace sim
