// keylog: a paste target that records the key messages it gets.
//
//   keylog.exe RESULT_FILE [topmost] [linecopy]
//   keylog.exe RESULT_FILE witness
//
// Shows a window titled "KeyLog" (class "KeyLog") filled by a multi-line
// edit control, which has the focus and pastes as an editor does. Every key
// message the window's thread takes from its queue is appended to
// RESULT_FILE (flushed at once) as one line:
//
//   down|up VK SCAN EXTENDED SHIFT TIME
//
// in decimal: the virtual-key code, the scan code and the extended flag of
// the message, 1 when Shift was down as the message was made, and the
// message's time (the system's tick count). With
// "topmost" the window puts itself in the topmost group. With "linecopy" it
// answers Ctrl+C as editors do with nothing selected: the whole text (its
// line) and CR LF go on the clipboard, marked with the registered format
// "MSDEVLineSelect" (and the edit control does not see the key). The first
// line, "ready", is written once the window is shown.
//
// WM_COMMAND with the id 999 (driver "command HWND 999") makes the window
// busy: it writes "busy", takes no message for three seconds, then writes
// "awake".
//
// With "witness" it shows no window and records every key event of the
// desktop, whichever window it goes to and whether or not that window is
// still there, through a low-level keyboard hook:
//
//   down|up VK SCAN EXTENDED INJECTED TIME
//
// with the key as the hook sees it (left and right modifiers apart), 1 in
// INJECTED for an event a program sent (SendInput) rather than a keyboard,
// and the event's time. Its first line is "window HWND" (decimal): the
// hidden window that takes WM_COMMAND with the id 998, on which the witness
// sends a marker key through the same input as every other program and
// writes "mark N" (N counting from 1) when its hook sees it; the marker
// reaches no window. Every key sent before the command was taken is then in
// the file above that line. "ready" follows once the hook is in place.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

FILE* g_out = nullptr;
HWND g_edit = nullptr;
constexpr WPARAM kBusyCommand = 999;
constexpr WPARAM kMarkCommand = 998;
// Tells the witness's own marker from any other key.
constexpr ULONG_PTR kMarkTag = 0x504E524D;
int g_marks = 0;

void Line(const char* text) {
  fprintf(g_out, "%s\n", text);
  fflush(g_out);
}

void Log(const MSG& m) {
  const bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
  const bool up = m.message == WM_KEYUP || m.message == WM_SYSKEYUP;
  if (!down && !up) return;
  const unsigned scan = (m.lParam >> 16) & 0xFF;
  const unsigned extended = (m.lParam >> 24) & 1;
  const int shift = GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
  fprintf(g_out, "%s %u %u %u %d %lu\n", down ? "down" : "up",
          static_cast<unsigned>(m.wParam), scan, extended, shift, m.time);
  fflush(g_out);
}

// Puts the edit control's text and CR LF on the clipboard as a line copy.
void CopyLine(HWND owner) {
  const int length = GetWindowTextLengthW(g_edit);
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, (length + 3) * sizeof(wchar_t));
  auto* chars = static_cast<wchar_t*>(GlobalLock(text));
  GetWindowTextW(g_edit, chars, length + 1);
  wcscpy(chars + length, L"\r\n");
  GlobalUnlock(text);
  HGLOBAL mark = GlobalAlloc(GMEM_MOVEABLE, 1);
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, text);
  SetClipboardData(RegisterClipboardFormatW(L"MSDEVLineSelect"), mark);
  CloseClipboard();
  Line("linecopy");
}

bool IsCtrlC(const MSG& m) {
  return m.message == WM_KEYDOWN && m.wParam == 'C' &&
         GetKeyState(VK_CONTROL) < 0;
}

LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(g_edit, 0, 0, LOWORD(l), HIWORD(l), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(g_edit);
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) != kBusyCommand) break;
      Line("busy");
      Sleep(3000);
      Line("awake");
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, w, l);
}

// The witness's hook: logs the event, and takes its own marker out of the
// input so that no window gets it.
LRESULT CALLBACK Witness(int code, WPARAM w, LPARAM l) {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(l);
  if (code != HC_ACTION) return CallNextHookEx(nullptr, code, w, l);
  const bool up = (key->flags & LLKHF_UP) != 0;
  if (key->vkCode == VK_F24 && key->dwExtraInfo == kMarkTag) {
    if (!up) fprintf(g_out, "mark %d\n", ++g_marks);
    fflush(g_out);
    return 1;
  }
  fprintf(g_out, "%s %lu %lu %d %d %lu\n", up ? "up" : "down", key->vkCode,
          key->scanCode, (key->flags & LLKHF_EXTENDED) ? 1 : 0,
          (key->flags & LLKHF_INJECTED) ? 1 : 0, key->time);
  fflush(g_out);
  return CallNextHookEx(nullptr, code, w, l);
}

void SendMarker() {
  INPUT in[2] = {};
  for (int i = 0; i < 2; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = VK_F24;
    in[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
    in[i].ki.dwExtraInfo = kMarkTag;
  }
  SendInput(2, in, sizeof in[0]);
}

LRESULT CALLBACK WitnessProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_COMMAND && LOWORD(w) == kMarkCommand) {
    SendMarker();
    return 0;
  }
  return DefWindowProcW(h, msg, w, l);
}

int RunWitness() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WitnessProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KeyWitness";
  RegisterClassW(&wc);
  HWND h =
      CreateWindowExW(WS_EX_TOOLWINDOW, L"KeyWitness", L"KeyWitness", WS_POPUP,
                      0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  fprintf(g_out, "window %llu\n", (unsigned long long)(ULONG_PTR)h);
  if (!h || !SetWindowsHookExW(WH_KEYBOARD_LL, Witness, wc.hInstance, 0))
    return 1;
  Line("ready");
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  g_out = _wfopen(argv[1], L"wb");
  if (!g_out) return 2;
  if (argc > 2 && wcscmp(argv[2], L"witness") == 0) return RunWitness();
  bool topmost = false, linecopy = false;
  for (int i = 2; i < argc; ++i) {
    topmost = topmost || wcscmp(argv[i], L"topmost") == 0;
    linecopy = linecopy || wcscmp(argv[i], L"linecopy") == 0;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  wc.lpszClassName = L"KeyLog";
  RegisterClassW(&wc);
  HWND h = CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, L"KeyLog", L"KeyLog",
                           WS_OVERLAPPEDWINDOW, 450, 250, 500, 300, nullptr,
                           nullptr, wc.hInstance, nullptr);
  g_edit = CreateWindowW(L"EDIT", L"",
                         WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0,
                         0, 100, 100, h, nullptr, wc.hInstance, nullptr);
  ShowWindow(h, SW_SHOW);
  Line("ready");
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    Log(m);
    if (linecopy && IsCtrlC(m)) {
      CopyLine(h);
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  fclose(g_out);
  return 0;
}
