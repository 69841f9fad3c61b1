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

// Another program as the window system knows one: a window of another
// thread, made foreground, then the form again; the program's pump runs
// until the form has been active a while.
void UserComeBack(platform::Form& form) {
  struct Other {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = nullptr;
  } other;
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* o = static_cast<Other*>(p);
        o->window = CreateWindowExW(
            0, L"STATIC", L"other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
            600, 400, 200, 100, nullptr, nullptr, nullptr, nullptr);
        SetEvent(o->ready);
        MSG msg;
        while (MsgWaitForMultipleObjects(1, &o->done, FALSE, INFINITE,
                                         QS_ALLINPUT) != WAIT_OBJECT_0)
          while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        DestroyWindow(o->window);
        return 0;
      },
      &other, 0, nullptr);
  WaitForSingleObject(other.ready, 5000);
  // The program's own pump, past a quit an earlier test's last form left
  // (a quit pending keeps timers from coming), which is put back after.
  bool quit = false;
  const auto settle = [&quit] {
    for (int i = 0; i < 15; ++i) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
          quit = true;
        else
          DispatchMessageW(&msg);
      }
      Sleep(20);
    }
  };
  SetForegroundWindow(other.window);
  settle();
  SetForegroundWindow(reinterpret_cast<HWND>(form.hWnd()));
  settle();
  SetEvent(other.done);
  WaitForSingleObject(thread, 5000);
  if (quit) PostQuitMessage(0);
  for (HANDLE h : {thread, other.ready, other.done}) CloseHandle(h);
}

}  // namespace contract
