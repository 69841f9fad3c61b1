// The one way from a window to the program's object behind it: a table of
// the windows the program bound, kept in the process itself. A window
// property would serve too, but reading one is a trip to the server under
// Wine, and the form and its panes look their object up for every message.
#include <unordered_map>

#include "platform/win32/base_win32.h"

namespace platform::win32 {
namespace {

// The program's windows and their objects; only this (GUI) thread binds
// and looks up, and a window leaves the table as it goes, so a handle the
// system gives out again is never taken for the old window's.
std::unordered_map<HWND, WindowObject*>& Bound() {
  static std::unordered_map<HWND, WindowObject*> bound;
  return bound;
}

}  // namespace

void BindWindow(HWND hwnd, WindowObject& object) { Bound()[hwnd] = &object; }

void UnbindWindow(HWND hwnd) { Bound().erase(hwnd); }

WindowObject* ObjectOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  const auto found = Bound().find(hwnd);
  return found == Bound().end() ? nullptr : found->second;
}

}  // namespace platform::win32
