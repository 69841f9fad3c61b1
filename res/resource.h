// Resource ids shared by pinrow.rc and the Win32 backend.
#pragma once

#define IDI_PINROW 1
#define IDI_SETTINGS 101
#define IDI_TABLE 102
