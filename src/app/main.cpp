// Process entry: loads the bar and runs until it closes.
#include <windows.h>

#include "bar/frmStrell.h"
#include "platform/platform.h"

extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  frmStrell bar;
  if (!bar.LoadAndShow()) return 0;
  return platform::RunMessageLoop();
}
