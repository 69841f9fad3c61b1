// The user of the contract suite on the Win32 backend: the messages the
// window system sends for typing, pasting and turning the wheel, through the
// program's own message pump.
#include <windows.h>
#include <windowsx.h>

#include "platform/platform.h"
#include "user_input.h"

namespace contract {
namespace {

HWND WindowOf(const platform::Control& control) {
  return reinterpret_cast<HWND>(control.hWnd());
}

void CaretToEnd(HWND edit) {
  const int end = GetWindowTextLengthW(edit);
  SendMessageW(edit, EM_SETSEL, end, end);
}

}  // namespace

void UserType(platform::TextBox& box, const std::wstring& text) {
  HWND edit = WindowOf(box);
  CaretToEnd(edit);
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
  platform::DoEvents();
}

void UserPaste(platform::TextBox& box, const std::wstring& text) {
  HWND edit = WindowOf(box);
  CaretToEnd(edit);
  SendMessageW(edit, EM_REPLACESEL, TRUE,
               reinterpret_cast<LPARAM>(text.c_str()));
  platform::DoEvents();
}

// The system posts the wheel to the window with the focus, here the form,
// with the pointer's place on the screen: over the control's middle.
void UserWheel(platform::Control& control, int delta) {
  HWND h = WindowOf(control);
  RECT r{};
  GetWindowRect(h, &r);
  PostMessageW(GetAncestor(h, GA_ROOT), WM_MOUSEWHEEL,
               MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
               MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  platform::DoEvents();
}

// The system's own clock: WM_TIMER comes through the pump. The forms of
// earlier tests, all closed, asked the thread to quit; that request would
// come before every timer message, so it is taken off first.
void TimePasses(platform::Timer&, int ms) {
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (GetTickCount64() < end) {
    platform::DoEvents();
    Sleep(5);
  }
  platform::DoEvents();
}

}  // namespace contract
