// A timer on the form's window: WM_TIMER with the timer's id runs Tick.
#include "platform/win32/form_win32.h"

namespace platform::win32 {

Win32Timer::~Win32Timer() { Stop(); }

void Win32Timer::SetInterval(int ms) {
  // A negative interval can only come from a hand-edited setting; it stops
  // the timer like 0 does.
  interval_ = ms > 0 ? ms : 0;
  if (interval_ == 0) {
    KillTimer(owner_, id_);
    return;
  }
  SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr);
}

void Win32Timer::Stop() {
  if (IsWindow(owner_)) KillTimer(owner_, id_);
}

}  // namespace platform::win32
