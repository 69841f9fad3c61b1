// What every file of the Win32 backend stands on: <windows.h> with the
// common controls, twips and pixels at a window's dpi, system libraries
// loaded on demand, the errors that no window procedure lets through, the
// message pump, the one way from a window to the object behind it, and the
// session.
#pragma once

#include <windows.h>
// These need the declarations of <windows.h> first.
#include <commctrl.h>
#include <windowsx.h>

#include <functional>
#include <string>
#include <utility>

namespace platform::win32 {

// ---- units (dpi_win32.cpp) -------------------------------------------------
constexpr float kTwipsPerInch = 1440.0f;

int TwipsToPixels(float twips, UINT dpi);
float PixelsToTwips(int pixels, UINT dpi);
// A font's size in points as the em height in pixels it is made with.
int PointsToPixels(float points, UINT dpi);
UINT DpiOf(HWND hwnd);

// A twip rectangle placed on the pixel grid by rounding its edges, so that
// neighbouring rectangles share their edges without gaps or overlaps.
struct PixelRect {
  int x, y, cx, cy;
};
PixelRect PlaceTwips(float left, float top, float width, float height,
                     UINT dpi);

// ---- libraries loaded on demand ------------------------------------------
// A function of a library of the system folder, loaded on first use (never
// from the program's own folder, which holds the user's files and may be
// writable by others); null when it is missing.
template <class Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module =
      LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? reinterpret_cast<Fn>(
                      reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// ---- errors ----------------------------------------------------------------
// The run-time error number that fits a failed file operation's system code.
int FileErrorNumber(DWORD systemError, int fallback);
// Throws FileBusy for a file another program holds for a moment, else the
// fitting run-time error.
[[noreturn]] void RaiseFileError(DWORD systemError, int fallback);
[[noreturn]] void RaiseFileError(int fallback);

// ---- files -----------------------------------------------------------------
// The path an open file or folder has in the end (links, junctions,
// substituted and mapped drives followed); empty when the system does not
// tell.
std::wstring FinalPathOf(HANDLE h);
// Opens a file or folder only to look at it (no access to its content,
// shared with everyone); INVALID_HANDLE_VALUE when it can't.
HANDLE OpenForLooking(const std::wstring& path);

// Event handlers trap their own errors; what still reaches a window
// procedure is written to the debug output here, and nothing crosses it.
void ReportStray(const char* where) noexcept;

// Runs an event handler; an empty handler does nothing.
template <class Fn, class... Args>
void Fire(const Fn& fn, Args&&... args) {
  if (fn) fn(std::forward<Args>(args)...);
}

// ---- message pump (system_win32.cpp) -------------------------------------
// Whether a modifier key (VK_SHIFT, VK_CONTROL, VK_MENU) is held for the key
// message being handled.
bool ModifierHeld(int vk);
// The program lost the keyboard: a key released elsewhere is not seen.
void ForgetModifiers();
// Translates and dispatches one message, giving the form that owns it a
// chance at its keyboard interface (Tab, Ctrl+Tab, Enter, Esc) first; the
// mouse wheel goes to the program's window under the pointer.
void DispatchOne(MSG& msg);

// ---- modal windows (dialogs_win32.cpp) -------------------------------------
// Counts a modal window of the program for as long as it is open.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

// ---- tooltip windows (tooltips_win32.cpp) --------------------------------
// A tooltip window in front of every window; `style` adds to the tooltip's
// own (TTS_BALLOON for a balloon). It has no owner: a window that owns
// popups is kept below them, and Wine then leaves it out of the topmost
// group, so the bar could not be put in front of every window once it had
// shown a tooltip. Whoever makes one destroys it.
HWND CreateTipWindow(DWORD style, DWORD exStyle = 0);
// Wraps the tip's lines at `widthAt96` pixels of 96 dpi, taken to `dpi`.
void SetTipWidth(HWND tip, int widthAt96, UINT dpi);

// A notice by a window: in front of every window, without taking the
// activation, for a few seconds (it hides itself) or until hidden. A
// pointing notice is a balloon whose stem points at the place it is shown
// at; otherwise it is a box with its top-left corner there. Its window text
// is its text too, its accessible name for screen readers, which are told
// of it as an alert; the system's warning sound plays with it. An empty
// title shows none.
class Balloon {
 public:
  // The place of the notice from its size in pixels.
  using Place = std::function<POINT(SIZE)>;

  explicit Balloon(bool pointing = true) : pointing_(pointing) {}
  ~Balloon();
  Balloon(const Balloon&) = delete;
  Balloon& operator=(const Balloon&) = delete;

  void Show(HWND by, const Place& place, const std::wstring& title,
            const std::wstring& text, int widthAt96, UINT ms);
  void Show(HWND by, POINT at, const std::wstring& title,
            const std::wstring& text, int widthAt96, UINT ms) {
    Show(
        by, [at](SIZE) { return at; }, title, text, widthAt96, ms);
  }
  void Hide();

 private:
  bool pointing_;
  HWND tip_ = nullptr;
  HWND by_ = nullptr;  // the window it was last shown by
};

// ---- from a window to its object (objects_win32.cpp) ----------------------
// What stands behind one of the program's own windows: a form, a control,
// a tab page.
class WindowObject {
 public:
  virtual ~WindowObject() = default;
};

// Ties a window the program made (or subclassed) to its object, in a table
// the process keeps; UnbindWindow unties it as the window goes
// (WM_NCDESTROY).
void BindWindow(HWND hwnd, WindowObject& object);
void UnbindWindow(HWND hwnd);
// The object behind a window, or null for any window the program did not
// tie to one: another process's window, or a window that a control made for
// itself (a drop-down list's own list, an edit inside a combo box). Nothing
// a window carries is ever taken for a pointer.
WindowObject* ObjectOf(HWND hwnd);
// The object of kind T behind a window, or null.
template <class T>
T* ObjectOf(HWND hwnd) {
  return dynamic_cast<T*>(ObjectOf(hwnd));
}

// ---- the session (session_win32.cpp) -------------------------------------
// The session ends: runs the program's save once and ends the process;
// a call while that runs returns at once.
void EndSession();
// A window goes: it no longer stands for a claimed folder.
void ForgetInstance(HWND window);

}  // namespace platform::win32
