// The one way from a window to the program's object behind it: a window
// property that only the program sets, read only from windows of this
// process.
#include "platform/win32/base_win32.h"

namespace platform::win32 {
namespace {

// The property's name as an atom, added once for the whole run, so that no
// binding or lookup has to look the name up.
LPCWSTR ObjectProperty() {
  static const ATOM atom = GlobalAddAtomW(L"Pinrow.Object");
  return MAKEINTATOM(atom);
}

bool InThisProcess(HWND hwnd) {
  DWORD process = 0;
  return hwnd && GetWindowThreadProcessId(hwnd, &process) &&
         process == GetCurrentProcessId();
}

}  // namespace

void BindWindow(HWND hwnd, WindowObject& object) {
  SetPropW(hwnd, ObjectProperty(), &object);
}

void UnbindWindow(HWND hwnd) { RemovePropW(hwnd, ObjectProperty()); }

WindowObject* ObjectOf(HWND hwnd) {
  if (!InThisProcess(hwnd)) return nullptr;
  return static_cast<WindowObject*>(GetPropW(hwnd, ObjectProperty()));
}

}  // namespace platform::win32
