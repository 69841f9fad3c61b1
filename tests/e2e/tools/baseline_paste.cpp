// baseline_paste: the bare minimum that pastes a tag the way the bar does,
// for comparing the bar's latency against under the same Wine session.
//
//   baseline_paste.exe DELAY0 DELAY1 TIMER_MS
//
// Shows a small window titled "BaselinePaste" with one button "HR". A timer
// records the last foreground window other than this one; a click puts
// "<hr size='1'>" on the clipboard, raises that window into the topmost
// group, waits DELAY0 ms, presses left Ctrl and V, waits DELAY1 ms, releases
// V and Ctrl and lowers the window again. Nothing else.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

const wchar_t kText[] = L"<hr size='1'>";
int g_delay0 = 200, g_delay1 = 200;
HWND g_target = nullptr;

void PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (mem) {
    memcpy(GlobalLock(mem), text.c_str(), bytes);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void PasteToTarget() {
  const UINT flags = SWP_NOSIZE | SWP_NOMOVE;
  SetWindowPos(g_target, HWND_TOPMOST, 0, 0, 0, 0, flags);
  Sleep(g_delay0);
  keybd_event(VK_LCONTROL, 0, 0, 0);
  keybd_event('V', 0, 0, 0);
  Sleep(g_delay1);
  keybd_event('V', 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_LCONTROL, 0, KEYEVENTF_KEYUP, 0);
  SetWindowPos(g_target, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_TIMER: {
      HWND fg = GetForegroundWindow();
      if (fg != h && fg != g_target) g_target = fg;
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) {
        PutOnClipboard(h, kText);
        PasteToTarget();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, w, l);
}

HWND CreateBaselineWindow(int timerMs) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"BaselinePaste";
  RegisterClassW(&wc);
  HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"BaselinePaste",
                           WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 700, 20, 160,
                           90, nullptr, nullptr, wc.hInstance, nullptr);
  CreateWindowW(L"BUTTON", L"HR", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                80, 27, h, (HMENU)1, wc.hInstance, nullptr);
  SetTimer(h, 1, timerMs, nullptr);
  return h;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1) g_delay0 = _wtoi(argv[1]);
  if (argc > 2) g_delay1 = _wtoi(argv[2]);
  int timerMs = argc > 3 ? _wtoi(argv[3]) : 100;
  CreateBaselineWindow(timerMs);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}
