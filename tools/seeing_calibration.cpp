// Calibrates the seeing editor on the program's own turbulence screens: for
// each turbulence amount, the long exposure (the sum of the star images of
// many seeds) of a perfect telescope, and its width at half maximum in units
// of lambda / D. The screens are sampled across the pupil whatever its size
// and the amount is in waves, so the star in units of lambda / D depends on
// the amount alone; the table this prints is kSeeingTable of
// src/optics/seeing.cpp.
//
//   seeing_calibration [SEEDS [DIAMETER_INCHES]]    (default 200 seeds, 8 inches)

#include "optics/figures.h"
#include "optics/star_calculator.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>

int main(int argc, char** argv)
{
    const int seeds = argc > 1 ? std::atoi(argv[1]) : 200;
    const double diameter = argc > 2 ? std::atof(argv[2]) : 8.0;
    if (seeds < 1 || !(diameter >= 2.0 && diameter <= 25.0)) {
        std::fprintf(stderr, "usage: seeing_calibration [SEEDS [DIAMETER_INCHES]]\n");
        return 2;
    }
    const double amounts[] = {0.0,  0.02, 0.04, 0.06, 0.08, 0.10, 0.12, 0.15, 0.20, 0.25,
                              0.30, 0.40, 0.50, 0.60, 0.80, 1.00, 1.25, 1.50, 2.00};

    optics::ScreenCache screens;
    optics::StarCalculator calculator(screens);
    optics::NoProgress quiet;
    const double lambdaOverD = optics::kReferenceWavelength * 1e-9 / (diameter * 0.0254) * 180.0 * 3600.0
                               / std::numbers::pi;
    std::printf("// %d seeds, %g-inch aperture; lambda / D = %.4f arcsec\n", seeds, diameter, lambdaOverD);
    std::printf("// {amount, long-exposure FWHM / (lambda / D)}\n");
    for (const double amount : amounts) {
        auto sum = std::make_unique<optics::Grid>();
        for (int seed = 1; seed <= (amount == 0.0 ? 1 : seeds); ++seed) {
            optics::StarRequest request;
            request.pupil.diameter = diameter;
            request.pupil.turbulence = amount;
            request.screenSeed = seed;
            const optics::StarResult star = calculator.calculate(request, quiet).value();
            // Every star has the same total light, so raw intensities add up to
            // the long exposure.
            const double peak = star.image->peak;
            for (std::size_t n = 0; n < sum->cells.size(); ++n)
                sum->cells[n] += star.image->grid.cells[n] * peak;
        }
        const optics::EncircledEnergy energy(*sum);
        const double width = energy.roundWidth() * optics::kArcsecPerCell;
        std::printf("    {%.2f, %.4f},  // %.3f arcsec\n", amount, width / lambdaOverD, width);
        std::fflush(stdout);
    }
    return 0;
}
