// A window of the desktop as the forms and the system services both name
// it: a plain number, so that neither needs <windows.h>.
#pragma once

#include <cstdint>

namespace platform {

// A window handle as a plain number; 0 is the null handle.
using WindowHandle = std::intptr_t;

}  // namespace platform
