#include "optics/psf.h"

#include "optics/fft.h"

#include <cmath>

namespace optics {

void TransformPupilField(Engine& engine, StatusSink& status)
{
    status.setStatus(0, "Start Fourier Transform");
    Transform2D(engine, engine.FieldReal, engine.FieldImag);
}

void ComputeTransferFunction(Engine& engine, StatusSink& status)
{
    status.setStatus(0, "Calculating PSF/MTF");
    CopyGrid(engine.FieldReal, engine.OtfReal);
    CopyGrid(engine.FieldImag, engine.OtfImag);
    TransformIntensity2D(engine, engine.OtfReal, engine.OtfImag);
}

const std::array<double, 101> PerfectMtfTable = {
    1.0000, 0.9867, 0.9734, 0.9601, 0.9469, 0.9336, 0.9203, 0.9070, 0.8937, 0.8804,
    0.8672, 0.8539, 0.8406, 0.8273, 0.8140, 0.8007, 0.7876, 0.7744, 0.7613, 0.7481,
    0.7351, 0.7221, 0.7091, 0.6961, 0.6833, 0.6704, 0.6577, 0.6449, 0.6322, 0.6195,
    0.6068, 0.5940, 0.5815, 0.5690, 0.5566, 0.5441, 0.5317, 0.5192, 0.5069, 0.4948,
    0.4826, 0.4706, 0.4587, 0.4468, 0.4349, 0.4232, 0.4114, 0.3998, 0.3882, 0.3766,
    0.3651, 0.3538, 0.3426, 0.3314, 0.3204, 0.3093, 0.2986, 0.2878, 0.2770, 0.2664,
    0.2560, 0.2457, 0.2355, 0.2254, 0.2155, 0.2056, 0.1958, 0.1861, 0.1768, 0.1674,
    0.1582, 0.1491, 0.1403, 0.1316, 0.1231, 0.1148, 0.1066, 0.0984, 0.0908, 0.0831,
    0.0757, 0.0685, 0.0615, 0.0547, 0.0482, 0.0421, 0.0364, 0.0308, 0.0255, 0.0203,
    0.0158, 0.0115, 0.0080, 0.0048, 0.0021, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000,
    0.0000,
};

double MtfFrequency(int i, double waveLength, float apertureInches)
{
    // lambda / 555 x 16 / D / 0.71 x i / 255, step by step in extended
    // precision: one index of the transfer function is 0.1003 arcsec^-1
    // scaled to the cut-off frequency of the aperture.
    long double f = 0.0018018018018018018L;
    f = f * static_cast<long double>(waveLength);
    f = f * 16.0L;
    f = f / static_cast<long double>(apertureInches);
    f = f * 1.0L;
    f = f * 1.4084507042253521L;
    f = f * i;
    f = f * 0.0039215686274509804L;
    return static_cast<double>(f);
}

double PsfScale(const Engine& engine)
{
    if (engine.PupilCellCount <= 0)
        return 0.0;
    const double root = std::sqrt(static_cast<double>(engine.PeakIntensity)) / engine.PupilCellCount;
    return root * root;
}

PsfMtfCurves ExtractCurves(const Engine& engine)
{
    PsfMtfCurves curves;
    curves.psfScale = PsfScale(engine);
    const Grid& star = engine.StarGrid;
    for (int i = -100; i <= 100; ++i) {
        const int n = i + 100;
        curves.psfX[n] = {i * 0.1, star(kCentre + i, kCentre) * curves.psfScale};
        curves.psfY[n] = {i * 0.1, star(kCentre, kCentre + i) * curves.psfScale};
    }
    for (int i = 0; i <= 100; ++i)
        curves.perfect[i] = {i * 0.010416666666666667, PerfectMtfTable[i]};
    const Grid& otf = engine.OtfReal;
    const double zero = otf(1, 1);
    for (int i = 0; i <= 255; ++i) {
        const double f = MtfFrequency(i, engine.WaveLength, engine.ApertureInches);
        curves.mtfX[i] = {f, otf(1 + i, 1) / zero};
        curves.mtfY[i] = {f, otf(1, 1 + i) / zero};
    }
    return curves;
}

}  // namespace optics
