// Handlers of the screen settings: placeholders until the parameter controls exist.
#include "app/main_window.h"

namespace app {

void TForm1::RMSSpinChange() {}
void TForm1::Roughchange() {}
void TForm1::RandSeedSpinChange() {}

}  // namespace app
