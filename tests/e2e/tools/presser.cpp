// presser: plays the user at the desktop for the end-to-end tests under Wine.
//
//   presser.exe RESULT_FILE COMMAND ARGS... [COMMAND ARGS...]...
//
// Runs the commands in order and stops at the first that fails. Every
// command appends lines "key<TAB>value" to RESULT_FILE (UTF-8; texts are hex
// of their UTF-8 bytes, in keys ending in "_hex"), and a failure appends
// "error<TAB>command: reason". Results go to a file because the standard
// output of a Wine program is unreliable through pipes. An argument written
// "hex:..." is decoded from hex of UTF-8, so any text can be passed.
//
// Commands (the arity follows the name):
//   window TITLE          top-level window that later clicks aim at
//                         (default "Pinrow")
//   waitwin MS            wait until that window is visible (looking every
//                         millisecond); records the milliseconds since the
//                         last click and since its release
//   notepad MS            wait for the editor (class Notepad, child Edit)
//   editor CLASS MS       the same for an editor of another window class
//   place X Y W H         move and size the editor's window (pixels)
//   focus MS              bring the editor to the front, then wait MS
//   front MS              bring the aimed window to the front, then wait MS
//   type TEXT             type TEXT with Unicode key events
//   keys CHORD            press a chord such as "ctrl+right", "shift+tab",
//                         "space" or "left"
//   hold KEY / release KEY  press or release one key ("shift", "ctrl"...)
//   click CAPTION         real left click on the child button with CAPTION;
//                         records the system's tick count and the
//                         performance counter (ms) at the release
//   clickpic LEFT TOP     real left click on the child at LEFT, TOP (twips,
//                         inside the client area): the picture buttons
//   clickon CLASS LEFT TOP  real left click on the window of CLASS at LEFT,
//                         TOP (twips of the aimed window's client area),
//                         waiting until one is there
//   doubleclick CLASS LEFT TOP  the same with a real double click
//   wheel CLASS LEFT TOP DELTA  the pointer to that window, then a real turn
//                         of the mouse wheel by DELTA (120 a notch, up)
//   textwidth POINTS WEIGHT TEXT  record the width of TEXT in ＭＳ Ｐゴシック
//                         (as the program makes it) at the screen's dpi:
//                         "advance ink" in pixels
//   textheight POINTS WEIGHT WIDTH TEXT  record the height in pixels of TEXT
//                         wrapped at WIDTH pixels as a static control wraps
//                         it, in ＭＳ Ｐゴシック at the screen's dpi
//   editroom CLASS LEFT TOP  record the room of the edit control (a disabled
//                         one too) with its corner there: "client width,
//                         left margin, right margin" in pixels
//   waitat CLASS LEFT TOP MS  wait until a window of CLASS lies at LEFT, TOP
//   waitctl CLASS LEFT TOP TEXT MS  wait until that window reads TEXT;
//                         records the milliseconds since the last click
//   focused               record the focused window: class and rectangle
//                         in the aimed window's client area (twips)
//   waitfocus CLASS LEFT TOP MS  wait until the focused window is of CLASS
//                         with its corner at LEFT, TOP (twips)
//   controls              record every visible control of the aimed window
//                         the same way
//   focusbtn CAPTION      give the keyboard focus to that child button
//   drag CAPTION DX DY    hold Shift, press the mouse on the button, move by
//                         DX, DY pixels in steps (the first leaves the
//                         button), release, release Shift
//   dragcorner DX DY      press on the aimed window's bottom right corner,
//                         record what the window says lies there (17: a
//                         sizing corner), move by DX, DY pixels in steps,
//                         release
//   answer TITLE TEXT MS  wait for an input box with TITLE, record its
//                         prompt, type TEXT and press OK ("::cancel": Cancel)
//   dialogs               record the visible dialogs (title and texts)
//   dismiss TITLE MS      wait for a message box with TITLE, record its
//                         text and press OK
//   waitgone MS           wait until the aimed window is gone
//   settext TEXT          replace the editor's text
//   gettext               record the editor's text
//   wait MODE TEXT MS     poll the editor's text until it MODE TEXT, with
//                         MODE one of equals, endswith, contains, changed;
//                         records the milliseconds since the last click
//   sleep MS
//   clipboard             record the clipboard's text
//   waitclip TEXT MS      wait until the clipboard's text is TEXT; records
//                         the milliseconds since the last click
//   keepclip TEXT MS      the clipboard's text stays TEXT for MS: fails as
//                         soon as it holds another text
//   desktop               record the screen size in pixels ("W H")
//   bar                   record the aimed window's children and geometry
//   closebar MS           ask the aimed window to close, wait until it went
//   minimize MS           minimize the editor's window, wait until it is
//   iconic                record whether the editor's window is minimized
//   hookalerts            start listening for alerts (EVENT_SYSTEM_ALERT)
//                         of every program
//   alerts MS             take the alerts for MS milliseconds; records
//                         each as "alert" with the class and the text of
//                         the window it came from
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "wintools.h"

namespace {

using wintools::Children;
using wintools::ClassOf;
using wintools::DecodeArg;
using wintools::FromUtf8;
using wintools::ToUtf8;

// ---------------------------------------------------------------------------
// Text helpers

std::string Hex(const std::wstring& w) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : ToUtf8(w)) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

int ToInt(const std::wstring& s) { return std::stoi(ToUtf8(s)); }

// ---------------------------------------------------------------------------
// Results and timing

FILE* g_out = nullptr;
LARGE_INTEGER g_clickTime{};
// When the last `click` let the button go: a button acts on the release.
LARGE_INTEGER g_releaseTime{};

void Record(const std::string& key, const std::string& value) {
  fprintf(g_out, "%s\t%s\n", key.c_str(), value.c_str());
  fflush(g_out);
}

// A performance counter reading as milliseconds: the same clock every
// process reads, so a program's own time stamps line up with it.
std::string CounterMs(const LARGE_INTEGER& t) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  char ms[32];
  snprintf(ms, sizeof ms, "%.3f", t.QuadPart * 1000.0 / freq.QuadPart);
  return ms;
}

double MsSince(const LARGE_INTEGER& t0) {
  LARGE_INTEGER now, freq;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&freq);
  return (now.QuadPart - t0.QuadPart) * 1000.0 / freq.QuadPart;
}

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Polls `ready` every `pollMs` until it holds or `ms` have passed.
bool WaitFor(int ms, const std::function<bool()>& ready, DWORD pollMs = 5) {
  DWORD start = GetTickCount();
  while (!ready()) {
    if ((int)(GetTickCount() - start) > ms) return false;
    Sleep(pollMs);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Windows

// The text a window keeps itself (captions, labels); never blocks.
std::wstring CaptionOf(HWND h) {
  wchar_t buf[4096] = {};
  InternalGetWindowText(h, buf, 4096);
  return buf;
}

// The text of another process's edit control needs WM_GETTEXT.
std::wstring EditText(HWND edit) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000,
                           &len))
    throw Failure("editor does not answer WM_GETTEXTLENGTH");
  std::wstring text(len + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXT, len + 1, (LPARAM)&text[0],
                           SMTO_ABORTIFHUNG, 2000, &got))
    throw Failure("editor does not answer WM_GETTEXT");
  text.resize(got);
  return text;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> list;
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      (LPARAM)&list);
  return list;
}

// A child's rectangle relative to its parent's client area, in pixels.
RECT RectInParent(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), (POINT*)&r, 2);
  return r;
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

// The width of a text in the program's font at the screen's dpi: its
// advance, and its ink (less the first glyph's left and the last glyph's
// right bearing), pixels.
void RecordTextWidth(int points, int weight, const std::wstring& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(
      -MulDiv(points, ScreenDpi(), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
      SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
  ABC first{}, last{};
  GetCharABCWidthsW(dc, text.front(), text.front(), &first);
  GetCharABCWidthsW(dc, text.back(), text.back(), &last);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  Record("textwidth", std::to_string(size.cx) + " " +
                          std::to_string(size.cx - first.abcA - last.abcC));
}

// The height of a text wrapped at a width, as a word-wrapping static
// control draws it, in the program's font at the screen's dpi, pixels.
void RecordTextHeight(int points, int weight, int width,
                      const std::wstring& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(
      -MulDiv(points, ScreenDpi(), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
      SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), (int)text.size(), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  Record("textheight", std::to_string(r.bottom));
}

int TwipsPerPixel() {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return 1440 / (dpi > 0 ? dpi : 96);
}

// ---------------------------------------------------------------------------
// Synthetic input

void SendKey(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  bool extended = vk >= VK_PRIOR && vk <= VK_DOWN;
  in.ki.dwFlags =
      (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  SendInput(1, &in, sizeof in);
  Sleep(20);
}

void SendUnicodeChar(wchar_t c) {
  INPUT in[2] = {};
  for (int i = 0; i < 2; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wScan = c;
    in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
  }
  SendInput(2, in, sizeof in[0]);
  Sleep(10);
}

// Mouse events always carry their position: under Wine an event without
// one may be placed where the previous move went, not where the pointer is.
void SendMouseAt(POINT p, DWORD flags) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = (LONG)(((LONGLONG)p.x * 65536 + w - 1) / w);
  in.mi.dy = (LONG)(((LONGLONG)p.y * 65536 + h - 1) / h);
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

// Moves the pointer as a mouse does and waits until it is there.
void MovePointer(POINT p) {
  SendMouseAt(p, 0);
  POINT now{};
  bool there = WaitFor(500, [&] {
    GetCursorPos(&now);
    return now.x == p.x && now.y == p.y;
  });
  if (!there)
    throw Failure("the pointer went to " + std::to_string(now.x) + "," +
                  std::to_string(now.y) + " instead of " + std::to_string(p.x) +
                  "," + std::to_string(p.y));
  Sleep(15);
}

// Holds the pointer at `p` until it has stayed there for a while: under
// Wine the display may still report earlier positions of a fast move,
// which would put the pointer back along its path.
void RestPointer(POINT p) {
  int still = 0;
  for (int i = 0; i < 100 && still < 8; ++i) {
    POINT now;
    GetCursorPos(&now);
    if (now.x == p.x && now.y == p.y) {
      ++still;
      Sleep(25);
    } else {
      still = 0;
      MovePointer(p);
    }
  }
}

const std::map<std::wstring, WORD>& KeyNames() {
  static const std::map<std::wstring, WORD> names = {
      {L"ctrl", VK_CONTROL}, {L"shift", VK_SHIFT},   {L"alt", VK_MENU},
      {L"left", VK_LEFT},    {L"right", VK_RIGHT},   {L"up", VK_UP},
      {L"down", VK_DOWN},    {L"end", VK_END},       {L"home", VK_HOME},
      {L"enter", VK_RETURN}, {L"escape", VK_ESCAPE}, {L"tab", VK_TAB},
      {L"space", VK_SPACE},  {L"pgup", VK_PRIOR},    {L"pgdn", VK_NEXT}};
  return names;
}

WORD KeyCode(const std::wstring& name) {
  auto it = KeyNames().find(name);
  if (it != KeyNames().end()) return it->second;
  if (name.size() == 1 && iswalnum(name[0])) return (WORD)towupper(name[0]);
  throw Failure("unknown key " + ToUtf8(name));
}

// "ctrl+right": every key but the last is held while the last is pressed.
void PressChord(const std::wstring& chord) {
  std::vector<WORD> keys;
  size_t start = 0;
  for (size_t plus; (plus = chord.find(L'+', start)) != std::wstring::npos;
       start = plus + 1)
    keys.push_back(KeyCode(chord.substr(start, plus - start)));
  keys.push_back(KeyCode(chord.substr(start)));
  for (WORD k : keys) SendKey(k, false);
  for (auto k = keys.rbegin(); k != keys.rend(); ++k) SendKey(*k, true);
}

// Brings a window of another process to the front; Wine and Windows both
// honour this from a process that has just received input.
bool BringToFront(HWND h) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    SetForegroundWindow(h);
    if (GetForegroundWindow() == h) return true;
    Sleep(50);
  }
  return false;
}

// ---------------------------------------------------------------------------
// The session: the windows found so far and the commands

class Session {
 public:
  using Args = std::vector<std::wstring>;
  struct Command {
    size_t arity;
    std::function<void(Session&, const Args&)> run;
  };
  static const std::map<std::wstring, Command>& Commands();

  std::wstring windowTitle = L"Pinrow";
  HWND notepad = nullptr;
  HWND edit = nullptr;

  HWND Aimed() {
    HWND h = FindWindowW(nullptr, windowTitle.c_str());
    if (!h) throw Failure("no window titled " + ToUtf8(windowTitle));
    return h;
  }

  HWND Editor() {
    if (!edit) throw Failure("editor not found yet (run notepad first)");
    return edit;
  }

  HWND ButtonByCaption(const std::wstring& caption) {
    for (HWND c : Children(Aimed()))
      if (CaptionOf(c) == caption && IsWindowVisible(c)) return c;
    throw Failure("no button captioned " + ToUtf8(caption));
  }

  // The visible child whose top-left corner is nearest to the point.
  HWND ChildAt(int leftTwips, int topTwips) {
    int tpp = TwipsPerPixel();
    HWND best = nullptr;
    long bestDist = 4 * tpp;  // tolerate a few pixels of rounding
    for (HWND c : Children(Aimed())) {
      if (!IsWindowVisible(c)) continue;
      RECT r = RectInParent(c);
      long d = labs(r.left * tpp - leftTwips) + labs(r.top * tpp - topTwips);
      if (d <= bestDist) best = c, bestDist = d;
    }
    if (!best) throw Failure("no child at the given position");
    return best;
  }

  // Moves the pointer onto the button and makes sure it is the window
  // there (a tooltip may still hang over the spot for a moment).
  static void PointAt(HWND button, POINT p) {
    MovePointer(p);
    HWND over = nullptr;
    if (!WaitFor(1000, [&] { return (over = WindowFromPoint(p)) == button; }))
      throw Failure("the button is covered by a window of class " +
                    ToUtf8(ClassOf(over)) + " titled " +
                    ToUtf8(CaptionOf(GetAncestor(over, GA_ROOT))));
  }

  void Click(HWND button) {
    RECT r;
    GetWindowRect(button, &r);
    POINT center{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    PointAt(button, center);
    QueryPerformanceCounter(&g_clickTime);
    SendMouseAt(center, MOUSEEVENTF_LEFTDOWN);
    Sleep(30);
    SendMouseAt(center, MOUSEEVENTF_LEFTUP);
    QueryPerformanceCounter(&g_releaseTime);
    Record("release_counter_ms", CounterMs(g_releaseTime));
    Record("clicked", Hex(CaptionOf(button)));
    Record("click_tick", std::to_string(GetTickCount()));
  }

  // Presses with Shift held on the button's centre, leaves the button with
  // the first move (as a quick hand does), goes on in even steps to the
  // centre moved by dx, dy, rests there and lets go.
  void Drag(HWND button, int dx, int dy) {
    RECT r;
    GetWindowRect(button, &r);
    POINT from{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT to{from.x + dx, from.y + dy};
    POINT out = FirstPointOutside(r, from, to);
    PointAt(button, from);
    SendKey(VK_SHIFT, false);
    SendMouseAt(from, MOUSEEVENTF_LEFTDOWN);
    Sleep(100);
    const int steps = 10;
    for (int i = 0; i <= steps; ++i) {
      MovePointer({out.x + (to.x - out.x) * i / steps,
                   out.y + (to.y - out.y) * i / steps});
      Sleep(25);
    }
    RestPointer(to);
    SendMouseAt(to, MOUSEEVENTF_LEFTUP);
    Sleep(100);
    SendKey(VK_SHIFT, true);
    Record("dragged", Hex(CaptionOf(button)));
  }

  // Drags the aimed window's bottom right corner as a hand does.
  void DragCorner(int dx, int dy) {
    HWND w = Aimed();
    RECT r;
    GetWindowRect(w, &r);
    POINT from{r.right - 2, r.bottom - 2};
    POINT to{from.x + dx, from.y + dy};
    MovePointer(from);
    RestPointer(from);
    DWORD_PTR hit = 0;
    SendMessageTimeoutW(w, WM_NCHITTEST, 0, MAKELPARAM(from.x, from.y),
                        SMTO_ABORTIFHUNG, 2000, &hit);
    Record("hittest", std::to_string(hit));
    SendMouseAt(from, MOUSEEVENTF_LEFTDOWN);
    Sleep(100);
    const int steps = 10;
    for (int i = 1; i <= steps; ++i) {
      MovePointer({from.x + dx * i / steps, from.y + dy * i / steps});
      Sleep(25);
    }
    RestPointer(to);
    SendMouseAt(to, MOUSEEVENTF_LEFTUP);
    Sleep(100);
  }

  // The first point on the way from `from` to `to` that lies outside `r`
  // (or `to` itself when the whole way stays inside).
  static POINT FirstPointOutside(const RECT& r, POINT from, POINT to) {
    const int parts = 64;
    for (int i = 1; i < parts; ++i) {
      POINT p{from.x + (to.x - from.x) * i / parts,
              from.y + (to.y - from.y) * i / parts};
      if (!PtInRect(&r, p)) return p;
    }
    return to;
  }

  // Keyboard focus can only be set from the thread that owns the focus
  // queue, so the tool joins the bar's input queue for the moment.
  void FocusButton(HWND button) {
    HWND top = GetAncestor(button, GA_ROOT);
    if (!BringToFront(top)) throw Failure("cannot bring the bar to the front");
    DWORD theirs = GetWindowThreadProcessId(top, nullptr);
    DWORD mine = GetCurrentThreadId();
    AttachThreadInput(mine, theirs, TRUE);
    SetFocus(button);
    HWND focused = GetFocus();
    AttachThreadInput(mine, theirs, FALSE);
    if (focused != button) throw Failure("the button did not take the focus");
    Sleep(100);
  }

  // The point `leftTwips`, `topTwips` of the aimed window's client area
  // (a pixel inside it) on the screen.
  POINT ClientPoint(int leftTwips, int topTwips) {
    int tpp = TwipsPerPixel();
    POINT p{leftTwips / tpp + 2, topTwips / tpp + 2};
    ClientToScreen(Aimed(), &p);
    return p;
  }

  // Waits until a window of class `cls` lies at the point of the aimed
  // window's client area (keys sent before, a page switched, may still be
  // on their way); returns it.
  HWND WaitAt(const std::wstring& cls, int leftTwips, int topTwips, int ms) {
    POINT p = ClientPoint(leftTwips, topTwips);
    HWND under = nullptr;
    bool found = WaitFor(ms, [&] {
      under = WindowFromPoint(p);
      return under && GetAncestor(under, GA_ROOT) == Aimed() &&
             _wcsicmp(ClassOf(under).c_str(), cls.c_str()) == 0 &&
             IsWindowEnabled(under);
    });
    if (!found)
      throw Failure("no " + ToUtf8(cls) + " at the point but a " +
                    ToUtf8(under ? ClassOf(under) : L"nothing"));
    return under;
  }

  // The window of class `cls` at the point, once one is there, with the
  // pointer resting over it.
  HWND PointOn(const std::wstring& cls, int leftTwips, int topTwips, POINT& p) {
    p = ClientPoint(leftTwips, topTwips);
    MovePointer(p);
    HWND under = WaitAt(cls, leftTwips, topTwips, 5000);
    RestPointer(p);
    return under;
  }

  // A real click (or double click) on the window of class `cls` at the
  // point, once one is there.
  void ClickOn(const std::wstring& cls, int leftTwips, int topTwips,
               int clicks = 1) {
    POINT p;
    HWND under = PointOn(cls, leftTwips, topTwips, p);
    QueryPerformanceCounter(&g_clickTime);
    for (int i = 0; i < clicks; ++i) {
      SendMouseAt(p, MOUSEEVENTF_LEFTDOWN);
      Sleep(30);
      SendMouseAt(p, MOUSEEVENTF_LEFTUP);
      Sleep(30);
    }
    Record("clicked", ToUtf8(ClassOf(under)) + " " + Hex(CaptionOf(under)));
  }

  void Wheel(const std::wstring& cls, int leftTwips, int topTwips, int delta) {
    POINT p;
    HWND under = PointOn(cls, leftTwips, topTwips, p);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(delta);
    SendInput(1, &in, sizeof in);
    Sleep(50);
    Record("wheeled", ToUtf8(ClassOf(under)));
  }

  // The visible control of class `cls` (a disabled one too) whose corner
  // lies at the point, twips of the aimed window's client area.
  HWND ControlAt(const std::wstring& cls, int leftTwips, int topTwips) {
    int tpp = TwipsPerPixel();
    for (HWND c : Children(Aimed())) {
      if (!IsWindowVisible(c) || _wcsicmp(ClassOf(c).c_str(), cls.c_str()))
        continue;
      RECT r;
      GetWindowRect(c, &r);
      MapWindowPoints(HWND_DESKTOP, Aimed(), (POINT*)&r, 2);
      if (labs(r.left * tpp - leftTwips) + labs(r.top * tpp - topTwips) <=
          4 * tpp)
        return c;
    }
    throw Failure("no " + ToUtf8(cls) + " at the given position");
  }

  // The room an edit control of another process gives its text.
  void EditRoom(const std::wstring& cls, int leftTwips, int topTwips) {
    HWND edit = ControlAt(cls, leftTwips, topTwips);
    RECT client{};
    GetClientRect(edit, &client);
    DWORD_PTR margins = 0;
    SendMessageTimeoutW(edit, EM_GETMARGINS, 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &margins);
    Record("editroom", std::to_string(client.right) + " " +
                           std::to_string(LOWORD(margins)) + " " +
                           std::to_string(HIWORD(margins)));
  }

  static HWND FocusOf(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
    return info.hwndFocus;
  }

  // A window's rectangle in the aimed window's client area, twips.
  std::string ClientRectTwips(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, Aimed(), (POINT*)&r, 2);
    int tpp = TwipsPerPixel();
    char line[96];
    snprintf(line, sizeof line, "%ld %ld %ld %ld", r.left * tpp, r.top * tpp,
             (r.right - r.left) * tpp, (r.bottom - r.top) * tpp);
    return line;
  }

  // The window with the keyboard focus in the aimed window's thread, as
  // "class left top width height" (twips of the aimed window's client area).
  std::string FocusLine() {
    HWND f = FocusOf(Aimed());
    return f ? ToUtf8(ClassOf(f)) + " " + ClientRectTwips(f) : "nothing";
  }

  // Waits until the focus is on a window of class `cls` whose corner lies
  // at the point (twips), and records it.
  void WaitFocus(const std::wstring& cls, int left, int top, int ms) {
    std::string want = ToUtf8(cls) + " " + std::to_string(left) + " " +
                       std::to_string(top) + " ";
    std::string now;
    bool ok = WaitFor(ms, [&] {
      now = FocusLine();
      return now.compare(0, want.size(), want) == 0;
    });
    Record("focused", now);
    if (!ok) throw Failure("the focus is on " + now);
  }

  // Every visible control of the aimed window: class, rectangle in its
  // client area (twips) and text.
  void RecordControls() {
    for (HWND c : Children(Aimed())) {
      if (!IsWindowVisible(c)) continue;
      Record("control", ToUtf8(ClassOf(c)) + " " + ClientRectTwips(c) + " " +
                            Hex(CaptionOf(c)));
    }
  }

  void Run(const Args& argv);
};

HWND FindDialog(const std::wstring& title) {
  for (HWND h : TopLevelWindows())
    if (IsWindowVisible(h) && CaptionOf(h) == title) return h;
  return nullptr;
}

HWND ChildOfClass(HWND parent, const std::wstring& cls) {
  for (HWND c : Children(parent))
    if (_wcsicmp(ClassOf(c).c_str(), cls.c_str()) == 0) return c;
  return nullptr;
}

void RecordDialogTexts(HWND dialog, const std::string& key) {
  for (HWND c : Children(dialog))
    if (_wcsicmp(ClassOf(c).c_str(), L"Static") == 0 && !CaptionOf(c).empty())
      Record(key, Hex(CaptionOf(c)));
}

void Answer(const std::wstring& title, const std::wstring& text, int ms) {
  HWND dialog = nullptr;
  if (!WaitFor(ms, [&] { return (dialog = FindDialog(title)) != nullptr; }))
    throw Failure("no dialog titled " + ToUtf8(title));
  Sleep(100);  // let the box finish its initialisation
  Record("dialog_class", ToUtf8(ClassOf(dialog)));
  RecordDialogTexts(dialog, "prompt_hex");
  bool cancel = text == L"::cancel";
  if (!cancel) {
    HWND edit = ChildOfClass(dialog, L"Edit");
    if (!edit) throw Failure("the input box has no edit field");
    SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)text.c_str());
  }
  int id = cancel ? IDCANCEL : IDOK;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               (LPARAM)GetDlgItem(dialog, id));
  if (!WaitFor(ms,
               [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }))
    throw Failure("the input box did not close");
  Record("answered", Hex(title));
}

// Waits for a message box with the title, records its text and presses OK.
void Dismiss(const std::wstring& title, int ms) {
  HWND box = nullptr;
  if (!WaitFor(ms, [&] { return (box = FindDialog(title)) != nullptr; }))
    throw Failure("no box titled " + ToUtf8(title));
  Sleep(100);  // let the box finish its initialisation
  RecordDialogTexts(box, "box_text_hex");
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               (LPARAM)GetDlgItem(box, IDOK));
  if (!WaitFor(ms, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
    throw Failure("the box did not close");
}

bool TextMatches(const std::wstring& mode, const std::wstring& text,
                 const std::wstring& expected, const std::wstring& before) {
  if (mode == L"equals") return text == expected;
  if (mode == L"contains") return text.find(expected) != std::wstring::npos;
  if (mode == L"changed") return text != before;
  if (mode == L"endswith")
    return text.size() >= expected.size() &&
           text.compare(text.size() - expected.size(), expected.size(),
                        expected) == 0;
  throw Failure("unknown wait mode " + ToUtf8(mode));
}

void WaitText(Session& s, const Session::Args& a) {
  std::wstring before = EditText(s.Editor()), text = before;
  bool ok = WaitFor(ToInt(a[2]), [&] {
    text = EditText(s.Editor());
    return TextMatches(a[0], text, a[1], before);
  });
  char ms[32];
  snprintf(ms, sizeof ms, "%.1f", MsSince(g_clickTime));
  Record("text_hex", Hex(text));
  if (!ok) throw Failure("the editor's text did not match in time");
  Record("since_click_ms", ms);
}

// The clipboard's text; false when the clipboard could not be opened.
bool ClipboardText(std::wstring& text) {
  text.clear();
  if (!OpenClipboard(nullptr)) return false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return true;
}

void RecordClipboard() {
  std::wstring text;
  if (!ClipboardText(text)) throw Failure("cannot open the clipboard");
  Record("clipboard_hex", Hex(text));
}

void WaitClipboard(const std::wstring& expected, int ms) {
  std::wstring text;
  const bool ok =
      WaitFor(ms, [&] { return ClipboardText(text) && text == expected; });
  char since[32];
  snprintf(since, sizeof since, "%.1f", MsSince(g_clickTime));
  Record("clipboard_hex", Hex(text));
  if (!ok) throw Failure("the clipboard did not hold the text in time");
  Record("since_click_ms", since);
}

void KeepClipboard(const std::wstring& expected, int ms) {
  std::wstring text;
  // A clipboard another program has open is looked at again next time;
  // looking seldom leaves it free for the programs under test.
  const bool changed = WaitFor(
      ms, [&] { return ClipboardText(text) && text != expected; }, 50);
  if (!changed) return;
  Record("clipboard_hex", Hex(text));
  throw Failure("the clipboard's text changed");
}

void RecordBar(Session& s) {
  HWND bar = s.Aimed();
  RECT c;
  GetClientRect(bar, &c);
  char line[160];
  snprintf(line, sizeof line, "%d %ld %ld", TwipsPerPixel(), c.right, c.bottom);
  Record("tpp_client", line);
  for (HWND ch : Children(bar)) {
    RECT r = RectInParent(ch);
    snprintf(line, sizeof line, "%ld %ld %ld %ld %d", r.left, r.top,
             r.right - r.left, r.bottom - r.top, IsWindowVisible(ch) ? 1 : 0);
    Record("child", std::string(line) + " " + Hex(CaptionOf(ch)));
  }
}

void RecordDialogs() {
  for (HWND h : TopLevelWindows()) {
    if (!IsWindowVisible(h) || ClassOf(h) != L"#32770") continue;
    Record("dialog_hex", Hex(CaptionOf(h)));
    RecordDialogTexts(h, "dialog_text_hex");
  }
}

void FindEditor(Session& s, const std::wstring& cls, int ms) {
  bool ok = WaitFor(ms, [&] {
    s.notepad = FindWindowW(cls.c_str(), nullptr);
    s.edit = s.notepad ? FindWindowExW(s.notepad, nullptr, L"Edit", nullptr)
                       : nullptr;
    return s.edit != nullptr && IsWindowVisible(s.notepad);
  });
  if (!ok) throw Failure("the editor did not appear");
}

void Front(HWND h, int ms) {
  if (!BringToFront(h)) throw Failure("cannot bring the window to the front");
  Sleep(ms);
  if (GetForegroundWindow() != h) throw Failure("the window lost the front");
}

// Alerts arrive while the thread takes its messages (out of context).
void CALLBACK OnAlert(HWINEVENTHOOK, DWORD, HWND h, LONG, LONG, DWORD, DWORD) {
  Record("alert", ToUtf8(ClassOf(h)) + " " + Hex(CaptionOf(h)));
}

void HookAlerts() {
  if (!SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, OnAlert,
                       0, 0, WINEVENT_OUTOFCONTEXT))
    throw Failure("SetWinEventHook failed");
}

void TakeAlerts(int ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  while ((int)(GetTickCount() - start) < ms) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
}

void Minimize(Session& s, int ms) {
  ShowWindowAsync(s.notepad, SW_MINIMIZE);
  if (!WaitFor(ms, [&] { return IsIconic(s.notepad) != FALSE; }))
    throw Failure("the editor did not minimize");
}

void CloseBar(Session& s, int ms) {
  HWND bar = s.Aimed();
  PostMessageW(bar, WM_CLOSE, 0, 0);
  if (!WaitFor(ms, [&] { return !IsWindow(bar); }))
    throw Failure("the window did not close");
}

using S = Session;
using A = Session::Args;

const std::map<std::wstring, Session::Command>& Session::Commands() {
  static const std::map<std::wstring, Command> table = {
      {L"window", {1, [](S& s, const A& a) { s.windowTitle = a[0]; }}},
      {L"waitwin",
       {1,
        [](S& s, const A& a) {
          if (!WaitFor(
                  ToInt(a[0]),
                  [&] {
                    HWND h = FindWindowW(nullptr, s.windowTitle.c_str());
                    return h && IsWindowVisible(h);
                  },
                  1))
            throw Failure("window did not appear");
          char ms[32];
          snprintf(ms, sizeof ms, "%.1f", MsSince(g_clickTime));
          Record("shown_since_click_ms", ms);
          snprintf(ms, sizeof ms, "%.1f", MsSince(g_releaseTime));
          Record("shown_since_release_ms", ms);
        }}},
      {L"notepad",
       {1, [](S& s, const A& a) { FindEditor(s, L"Notepad", ToInt(a[0])); }}},
      {L"editor",
       {2, [](S& s, const A& a) { FindEditor(s, a[0], ToInt(a[1])); }}},
      {L"focus",
       {1,
        [](S& s, const A& a) {
          s.Editor();
          Front(s.notepad, ToInt(a[0]));
        }}},
      {L"place",
       {4,
        [](S& s, const A& a) {
          s.Editor();
          SetWindowPos(s.notepad, nullptr, ToInt(a[0]), ToInt(a[1]),
                       ToInt(a[2]), ToInt(a[3]), SWP_NOZORDER | SWP_NOACTIVATE);
        }}},
      {L"front", {1, [](S& s, const A& a) { Front(s.Aimed(), ToInt(a[0])); }}},
      {L"type",
       {1,
        [](S&, const A& a) {
          for (wchar_t c : a[0]) SendUnicodeChar(c);
        }}},
      {L"keys", {1, [](S&, const A& a) { PressChord(a[0]); }}},
      {L"hold", {1, [](S&, const A& a) { SendKey(KeyCode(a[0]), false); }}},
      {L"release", {1, [](S&, const A& a) { SendKey(KeyCode(a[0]), true); }}},
      {L"click",
       {1, [](S& s, const A& a) { s.Click(s.ButtonByCaption(a[0])); }}},
      {L"clickon",
       {3,
        [](S& s, const A& a) { s.ClickOn(a[0], ToInt(a[1]), ToInt(a[2])); }}},
      {L"doubleclick",
       {3, [](S& s,
              const A& a) { s.ClickOn(a[0], ToInt(a[1]), ToInt(a[2]), 2); }}},
      {L"wheel",
       {4,
        [](S& s, const A& a) {
          s.Wheel(a[0], ToInt(a[1]), ToInt(a[2]), ToInt(a[3]));
        }}},
      {L"textwidth",
       {3,
        [](S&, const A& a) {
          RecordTextWidth(ToInt(a[0]), ToInt(a[1]), a[2]);
        }}},
      {L"textheight",
       {4,
        [](S&, const A& a) {
          RecordTextHeight(ToInt(a[0]), ToInt(a[1]), ToInt(a[2]), a[3]);
        }}},
      {L"editroom",
       {3,
        [](S& s, const A& a) { s.EditRoom(a[0], ToInt(a[1]), ToInt(a[2])); }}},
      {L"waitat",
       {4,
        [](S& s, const A& a) {
          s.WaitAt(a[0], ToInt(a[1]), ToInt(a[2]), ToInt(a[3]));
        }}},
      {L"waitctl",
       {5,
        [](S& s, const A& a) {
          HWND c = s.WaitAt(a[0], ToInt(a[1]), ToInt(a[2]), ToInt(a[4]));
          std::wstring text;
          bool ok = WaitFor(ToInt(a[4]), [&] {
            text = EditText(c);
            return text == a[3];
          });
          char ms[32];
          snprintf(ms, sizeof ms, "%.1f", MsSince(g_clickTime));
          if (!ok) throw Failure("the control reads " + ToUtf8(text));
          Record("since_click_ms", ms);
        }}},
      {L"focused",
       {0, [](S& s, const A&) { Record("focused", s.FocusLine()); }}},
      {L"waitfocus",
       {4,
        [](S& s, const A& a) {
          s.WaitFocus(a[0], ToInt(a[1]), ToInt(a[2]), ToInt(a[3]));
        }}},
      {L"controls", {0, [](S& s, const A&) { s.RecordControls(); }}},
      {L"clickpic",
       {2, [](S& s,
              const A& a) { s.Click(s.ChildAt(ToInt(a[0]), ToInt(a[1]))); }}},
      {L"focusbtn",
       {1, [](S& s, const A& a) { s.FocusButton(s.ButtonByCaption(a[0])); }}},
      {L"drag",
       {3,
        [](S& s, const A& a) {
          s.Drag(s.ButtonByCaption(a[0]), ToInt(a[1]), ToInt(a[2]));
        }}},
      {L"dragcorner",
       {2, [](S& s, const A& a) { s.DragCorner(ToInt(a[0]), ToInt(a[1])); }}},
      {L"answer", {3, [](S&, const A& a) { Answer(a[0], a[1], ToInt(a[2])); }}},
      {L"dialogs", {0, [](S&, const A&) { RecordDialogs(); }}},
      {L"dismiss", {2, [](S&, const A& a) { Dismiss(a[0], ToInt(a[1])); }}},
      {L"waitgone",
       {1,
        [](S& s, const A& a) {
          if (!WaitFor(ToInt(a[0]), [&] {
                HWND h = FindWindowW(nullptr, s.windowTitle.c_str());
                return !h || !IsWindowVisible(h);
              }))
            throw Failure("the window did not go");
        }}},
      {L"settext",
       {1,
        [](S& s, const A& a) {
          SendMessageW(s.Editor(), WM_SETTEXT, 0, (LPARAM)a[0].c_str());
        }}},
      {L"gettext",
       {0,
        [](S& s, const A&) { Record("text_hex", Hex(EditText(s.Editor()))); }}},
      {L"wait", {3, WaitText}},
      {L"sleep", {1, [](S&, const A& a) { Sleep(ToInt(a[0])); }}},
      {L"clipboard", {0, [](S&, const A&) { RecordClipboard(); }}},
      {L"waitclip",
       {2, [](S&, const A& a) { WaitClipboard(a[0], ToInt(a[1])); }}},
      {L"keepclip",
       {2, [](S&, const A& a) { KeepClipboard(a[0], ToInt(a[1])); }}},
      {L"desktop",
       {0,
        [](S&, const A&) {
          Record("desktop", std::to_string(GetSystemMetrics(SM_CXSCREEN)) +
                                " " +
                                std::to_string(GetSystemMetrics(SM_CYSCREEN)));
        }}},
      {L"bar", {0, [](S& s, const A&) { RecordBar(s); }}},
      {L"closebar", {1, [](S& s, const A& a) { CloseBar(s, ToInt(a[0])); }}},
      {L"minimize",
       {1,
        [](S& s, const A& a) {
          s.Editor();
          Minimize(s, ToInt(a[0]));
        }}},
      {L"iconic",
       {0,
        [](S& s, const A&) {
          s.Editor();
          Record("iconic", IsIconic(s.notepad) ? "1" : "0");
        }}},
      {L"hookalerts", {0, [](S&, const A&) { HookAlerts(); }}},
      {L"alerts", {1, [](S&, const A& a) { TakeAlerts(ToInt(a[0])); }}},
  };
  return table;
}

void Session::Run(const Args& argv) {
  for (size_t i = 0; i < argv.size();) {
    std::wstring name = argv[i++];
    auto it = Commands().find(name);
    if (it == Commands().end())
      throw Failure("unknown command " + ToUtf8(name));
    if (i + it->second.arity > argv.size())
      throw Failure("too few arguments for " + ToUtf8(name));
    Args args;
    for (size_t k = 0; k < it->second.arity; ++k)
      args.push_back(DecodeArg(argv[i++]));
    try {
      it->second.run(*this, args);
    } catch (const std::exception& e) {
      throw Failure(ToUtf8(name) + ": " + e.what());
    }
    Record("done", ToUtf8(name));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  g_out = _wfopen(argv[1], L"wb");
  if (!g_out) return 2;
  int rc = 0;
  try {
    Session().Run(Session::Args(argv + 2, argv + argc));
    Record("ok", "");
  } catch (const std::exception& e) {
    Record("error", e.what());
    rc = 1;
  }
  fclose(g_out);
  return rc;
}
