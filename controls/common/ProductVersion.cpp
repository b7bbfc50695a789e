// The product version a control is built with (VERSION of vestrial_control
// in CMake), as the browser reads it from the library.
#include "platform/com/VestrialControl.h"

VST_PRODUCT_VERSION(VESTRIAL_CONTROL_VERSION);
