#pragma once

#include "imaging/pixel_buffer.h"
#include "optics/engine.h"

namespace sim {

//! A companion star: separation in arcseconds, magnitude difference, position
//! angle in degrees (0 above the primary, 90 to its right).
struct DoubleStarParams {
    double separation = 1.5;
    double magnitudeDifference = 0.0;
    double positionAngle = 0.0;
};

//! Where the companion's image is read from, in cells (10 per arcsecond):
//! dx = Round(10 s cos((pa + 90) deg)), dy likewise with the sine, halves to
//! even. The companion is drawn at pixel (128 - dx, 128 - dy).
struct CompanionOffset {
    int dx = 0;
    int dy = 0;
};
CompanionOffset CompanionOffsetOf(double separation, double positionAngle);

//! How much fainter the companion is: 2.512 to the power of the magnitude
//! difference, in single precision.
float BrightnessRatio(double magnitudeDifference);

//! The double-star picture, composed from the star image in StarGrid with no
//! new calculation: pixel (x, y) of `buffer` is the grey of
//! DisplayLut[Round(1000 (p + c))] x 255, where p is StarGrid[129 + x][129 + y]
//! and c the companion's cell [129 + x + dx][129 + y + dy] divided by the
//! ratio when that cell lies in the 255 x 255 window from [129][129], else 0;
//! the level is capped at 1000 and the grey at 255, and everything is worked
//! in single precision. Zoom, brightness and star colour play no part.
void ComposeDoubleStar(const optics::Engine& engine, const DoubleStarParams& params, imaging::PixelBuffer& buffer);

//! Resolution limits: arcseconds times millimetres of aperture.
inline constexpr double kDawesConstant = 117.0;
inline constexpr double kRayleighConstant = 140.0;

//! constant / aperture, with an aperture given in inches converted to
//! millimetres: the separation in arcseconds.
double ResolutionLimit(double constant, double aperture, bool inches);

//! What the Double page reads and writes of the shared state.
class DoubleStarView {
public:
    explicit DoubleStarView(optics::Engine& engine) : m_engine(engine) {}

    //! Whether the last picture drawn was the plain star image.
    bool showsStar() const { return m_engine.PaintTarget == optics::PaintTarget::StarImage; }
    //! Back to a plain star: the reference wavelength, drawn on the star page.
    void backToStar()
    {
        m_engine.WaveLength = optics::kReferenceWavelength;
        paintToStar();
    }
    void paintToStar() { m_engine.PaintTarget = optics::PaintTarget::StarImage; }
    void compose(const DoubleStarParams& params, imaging::PixelBuffer& buffer) const
    {
        ComposeDoubleStar(m_engine, params, buffer);
    }

private:
    optics::Engine& m_engine;
};

}  // namespace sim
