#include "optics/seeing.h"

#include "optics/constants.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace optics {

namespace {

struct Calibration {
    double amount;
    double width;  // long-exposure FWHM / (lambda / D)
};

// tools/seeing_calibration 200 8: seeds 1..200 of an 8-inch aperture. The
// table ends where the long exposure of small apertures grows past what the
// image grid (51 arcsec) holds.
constexpr std::array<Calibration, 16> kSeeingTable{{
    {0.00, 1.0218},
    {0.02, 1.0279},
    {0.04, 1.0474},
    {0.06, 1.0846},
    {0.08, 1.1489},
    {0.10, 1.2597},
    {0.12, 1.4586},
    {0.15, 2.0931},
    {0.20, 3.5742},
    {0.25, 4.7504},
    {0.30, 5.7621},
    {0.40, 8.8133},
    {0.50, 11.6696},
    {0.60, 15.0170},
    {0.80, 20.8042},
    {1.00, 25.8053},
}};

// lambda / D in arcseconds at 555 nm.
double DiffractionArcsec(double apertureInches)
{
    return kReferenceWavelength * 1e-9 / (apertureInches * kMillimetresPerInch * 1e-3) * (180.0 * 3600.0)
           / std::numbers::pi;
}

}  // namespace

double SeeingAtReference(double seeingArcsec500)
{
    return seeingArcsec500 * std::pow(kReferenceWavelength / kSeeingWavelength, -0.2);
}

double LongExposureWidth(double amount)
{
    if (!(amount > kSeeingTable.front().amount))
        return kSeeingTable.front().width;
    for (std::size_t n = 1; n < kSeeingTable.size(); ++n) {
        const Calibration& a = kSeeingTable[n - 1];
        const Calibration& b = kSeeingTable[n];
        if (amount <= b.amount)
            return a.width + (amount - a.amount) / (b.amount - a.amount) * (b.width - a.width);
    }
    return kSeeingTable.back().width;
}

double TurbulenceForSeeing(double seeingArcsec500, double apertureInches)
{
    if (!(seeingArcsec500 > 0.0) || !(apertureInches > 0.0))
        return 0.0;
    const double seeing = SeeingAtReference(seeingArcsec500) / DiffractionArcsec(apertureInches);
    const double own = kSeeingTable.front().width;
    const double wanted = std::sqrt(seeing * seeing + own * own);
    // The table rises throughout: the segment that holds the width wanted.
    for (std::size_t n = 1; n < kSeeingTable.size(); ++n) {
        const Calibration& a = kSeeingTable[n - 1];
        const Calibration& b = kSeeingTable[n];
        if (wanted <= b.width)
            return a.amount + (wanted - a.width) / (b.width - a.width) * (b.amount - a.amount);
    }
    return kSeeingTable.back().amount;
}

double SeeingForTurbulence(double amount, double apertureInches)
{
    if (!(amount > 0.0) || !(apertureInches > 0.0))
        return 0.0;
    const double width = LongExposureWidth(amount);
    const double own = kSeeingTable.front().width;
    const double seeing = std::sqrt(std::max(0.0, width * width - own * own)) * DiffractionArcsec(apertureInches);
    return seeing / std::pow(kReferenceWavelength / kSeeingWavelength, -0.2);
}

}  // namespace optics
