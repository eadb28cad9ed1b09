// Display of the star picture and the phase screens: placeholders until the
// display step and the screen builders are wired in.
#include "app/main_window.h"

namespace app {

void TForm1::GammaSpinChange()
{
    m_engine.FirstGammaChange = false;
}

void TForm1::BrightslideChanged() {}
void TForm1::Changezoom() {}
void TForm1::Starimage1Paint() {}
void TForm1::BuildStarImage() {}
void TForm1::BuildTurbulenceScreen() {}
void TForm1::BuildRoughnessScreen() {}

}  // namespace app
