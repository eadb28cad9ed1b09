// Handlers of the screen settings. The screens depend only on these values,
// so only these handlers mark them for rebuilding.
#include "app/main_window.h"
#include "app/pages/turbulence_page.h"
#include "ui/number_edit.h"

namespace app {

namespace {

// A negative amplitude is meant as its size: typed -0.3 becomes 0.30.
void makePositive(ui::NumberEdit* amplitude)
{
    const double v = amplitude->value();
    if (v < 0.0)
        amplitude->setValue(-v);
}

}  // namespace

void TForm1::RMSSpinChange()
{
    m_engine.TurbulenceReady = false;
    makePositive(TurbulenceTab->RMSSpin);
}

void TForm1::Roughchange()
{
    m_engine.RoughnessReady = false;
    makePositive(TurbulenceTab->Roughspin);
}

void TForm1::RandSeedSpinChange()
{
    m_engine.TurbulenceReady = false;
    m_engine.RoughnessReady = false;
}

}  // namespace app
