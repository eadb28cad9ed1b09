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

double PsfScale(const Engine& engine)
{
    if (engine.PupilCellCount <= 0)
        return 0.0;
    const double root = std::sqrt(static_cast<double>(engine.PeakIntensity)) / engine.PupilCellCount;
    return root * root;
}

}  // namespace optics
