// clipholder: holds the clipboard as a clipboard listener does, and lists
// what is on it.
//
//   clipholder.exe RESULT_FILE hold MS
//       Writes "ready", and at the next press of the left mouse button (30 s
//       at most) opens the clipboard and keeps it open for MS milliseconds,
//       writing "held" and "released". The press is seen by a low-level
//       mouse hook, which the system calls before any window gets the
//       press: the clipboard is held by the time a button's click is
//       handled, however busy the machine.
//   clipholder.exe RESULT_FILE formats
//       Writes one line per format on the clipboard, in the clipboard's
//       order: "format NAME SIZE VALUE", NAME the registered name or the
//       number of a standard format, SIZE the data's bytes, VALUE the data
//       as a hex number when it is 4 bytes long (else "-").
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

FILE* g_out = nullptr;

void Line(const char* text) {
  fprintf(g_out, "%s\n", text);
  fflush(g_out);
}

int g_holdMs = 0;
bool g_held = false;

void CALLBACK Release(HWND, UINT, UINT_PTR, DWORD) {
  if (g_held) {
    CloseClipboard();
    Line("released");
  }
  PostQuitMessage(g_held ? 0 : 1);
}

LRESULT CALLBACK OnMouse(int code, WPARAM w, LPARAM l) {
  if (code == HC_ACTION && w == WM_LBUTTONDOWN && !g_held &&
      OpenClipboard(nullptr)) {
    g_held = true;
    Line("held");
    SetTimer(nullptr, 0, g_holdMs, &Release);
  }
  return CallNextHookEx(nullptr, code, w, l);
}

int Hold(int ms) {
  g_holdMs = ms;
  HHOOK hook =
      SetWindowsHookExW(WH_MOUSE_LL, &OnMouse, GetModuleHandleW(nullptr), 0);
  if (!hook) return 1;
  SetTimer(nullptr, 0, 30000, &Release);
  Line("ready");
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  UnhookWindowsHookEx(hook);
  return static_cast<int>(m.wParam);
}

int Formats() {
  if (!OpenClipboard(nullptr)) return 1;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
    wchar_t name[128] = {};
    char utf8[512] = {};
    if (GetClipboardFormatNameW(f, name, 128) > 0)
      WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8, nullptr,
                          nullptr);
    else
      snprintf(utf8, sizeof utf8, "%u", f);
    HANDLE data = GetClipboardData(f);
    const SIZE_T size = data ? GlobalSize(data) : 0;
    char value[16] = "-";
    if (size == 4) {
      snprintf(value, sizeof value, "%08lx",
               *static_cast<const DWORD*>(GlobalLock(data)));
      GlobalUnlock(data);
    }
    fprintf(g_out, "format %s %u %s\n", utf8, static_cast<unsigned>(size),
            value);
  }
  CloseClipboard();
  fflush(g_out);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  g_out = _wfopen(argv[1], L"wb");
  if (!g_out) return 2;
  int rc = 2;
  if (wcscmp(argv[2], L"hold") == 0 && argc > 3)
    rc = Hold(_wtoi(argv[3]));
  else if (wcscmp(argv[2], L"formats") == 0)
    rc = Formats();
  fclose(g_out);
  return rc;
}
