// Process entry: loads the bar and runs until it closes.
#include <windows.h>

#include "bar/frmStrell.h"
#include "platform/platform.h"

extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Libraries come from the system folder only: the program's own folder
  // holds the user's files and may be writable by others.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  frmStrell bar;
  if (!bar.LoadAndShow()) return 0;
  return platform::RunMessageLoop();
}
