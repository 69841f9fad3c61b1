// clipholder: holds the clipboard as a clipboard listener does, and lists
// what is on it.
//
//   clipholder.exe RESULT_FILE hold MS TITLE
//       Writes "ready", waits (30 s at most) until the window titled TITLE
//       comes to the front after another one was there, opens the clipboard
//       at once and keeps it open for MS milliseconds. A window comes to the
//       front as the mouse button goes down on it, and a button's click
//       comes with the release: the clipboard is held as the click is
//       handled. Writes "held" and "released".
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

bool InFront(const wchar_t* title) {
  wchar_t text[256] = {};
  HWND front = GetForegroundWindow();
  return front && InternalGetWindowText(front, text, 256) &&
         wcscmp(text, title) == 0;
}

int Hold(int ms, const wchar_t* title) {
  Line("ready");
  const DWORD start = GetTickCount();
  bool otherSeen = false;
  while (!(otherSeen && InFront(title))) {
    if (GetTickCount() - start > 30000) return 1;
    otherSeen = otherSeen || !InFront(title);
    Sleep(1);
  }
  if (!OpenClipboard(nullptr)) return 1;
  Line("held");
  Sleep(ms);
  CloseClipboard();
  Line("released");
  return 0;
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
  if (wcscmp(argv[2], L"hold") == 0 && argc > 4)
    rc = Hold(_wtoi(argv[3]), argv[4]);
  else if (wcscmp(argv[2], L"formats") == 0)
    rc = Formats();
  fclose(g_out);
  return rc;
}
