// The thin layer over the window system that the forms and the shared module
// stand on. Everything here is backend-neutral: the Win32 backend (in the
// exe) and the headless backend (in the unit tests) implement it. Nothing
// here includes <windows.h>.
#pragma once

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/system.h"
