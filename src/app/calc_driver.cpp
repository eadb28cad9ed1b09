// The star calculation: a placeholder until the pupil and PSF stages exist.
#include "app/main_window.h"

namespace app {

void TForm1::ComputePsf() {}
void TForm1::CalcFFTS() {}
void TForm1::CalculateButtonClick() {}

}  // namespace app
