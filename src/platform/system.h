// System services: message and input boxes, the clipboard, windows of the
// desktop, synthetic keys, the shell.
//
// Errors: every call that can fail throws vb::RuntimeError
// (runtime/vb.h) so the caller's error trap reports it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clipboard_rules.h"
#include "platform/window_handle.h"

namespace platform {

// ---------------------------------------------------------------------------
// System services

// Message and input boxes are owned by the program's active form: the
// settings dialog while it is open, otherwise the bar, whichever window of
// the desktop is active.
//
// Message box styles and results (the classic values).
enum MsgBoxStyle : int {
  kOkOnly = 0,
  kYesNo = 4,
  kRetryCancel = 5,
  kCritical = 16,
  kQuestion = 32,
  kExclamation = 48,
  kInformation = 64,
};
enum MsgBoxResult : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdRetry = 4,
  kIdYes = 6,
  kIdNo = 7
};
// Shows a modal message box and returns the button chosen. While the
// session ends no box is shown: the call returns at once as if cancelled
// (OK for a box without Cancel).
int MsgBox(const std::wstring& prompt, int style, const std::wstring& title);
// The answer of a box that no one answers: Cancel for the styles whose last
// button is Cancel (1 OK/Cancel, 3 Yes/No/Cancel, 5 Retry/Cancel), No for
// 4 Yes/No, else OK.
inline int UnansweredResult(int style) {
  const int buttons = style & 0xF;
  if (buttons == 4) return kIdNo;
  return buttons == 1 || buttons == 3 || buttons == 5 ? kIdCancel : kIdOk;
}

// A modal box with a prompt, a title, an empty edit field, OK and Cancel.
// Returns the typed text for OK; the empty text for Cancel or closing.
std::wstring InputBox(const std::wstring& prompt, const std::wstring& title);

// Lets pending window events be processed.
void DoEvents();

// The user's setting for the longest time between the two clicks of a
// double click, milliseconds.
int DoubleClickTime();

// The clipboard. Every opening waits out another program that holds the
// clipboard briefly (a clipboard listener reads every change), for about a
// second; then vb::RuntimeError is thrown and the content stays as it was.
//
// The system's sequence number of the clipboard changes whenever its
// content changes or it is emptied; what a call changed is known by the
// number it gives back.

// Replaces the clipboard's content with the text, in one opening of the
// clipboard, marked Japanese and kept out of the clipboard history and the
// cloud clipboard. Returns the sequence number the change gave.
std::uint32_t ClipboardSetText(const std::wstring& text);
// Empties the clipboard; returns the sequence number that gave.
std::uint32_t ClipboardClear();
// The sequence number as it is now, without opening the clipboard.
std::uint32_t ClipboardSequence();

// What the clipboard holds, read in one opening of it.
struct ClipboardContent {
  std::uint32_t sequence = 0;
  // The process of the window that owns the content (0: none).
  std::uint32_t ownerProcess = 0;
  ClipboardKinds kinds;
  // Its CF_UNICODETEXT up to the first NUL, read only when asked for.
  std::wstring text;
  bool textRead = false;
};
// Reads the list of formats and the owner; then, while the clipboard is
// still open, the text when `readText` (given what was found so far) says
// so and there is text.
ClipboardContent ReadClipboard(
    const std::function<bool(const ClipboardContent&)>& readText);

// Windows of the desktop.
constexpr WindowHandle kHwndTopmost = -1;
constexpr WindowHandle kHwndNoTopmost = -2;
constexpr unsigned kSwpNoSize = 1;
constexpr unsigned kSwpNoMove = 2;
constexpr unsigned kSwpNoActivate = 0x10;

WindowHandle GetForegroundWindow();
// True when the window belongs to this process (its forms and boxes).
bool IsOwnWindow(WindowHandle h);
bool SetWindowPos(WindowHandle h, WindowHandle insertAfter, int x, int y,
                  int cx, int cy, unsigned flags);
// Whether the window is in the topmost group.
bool IsTopmost(WindowHandle h);
void Sleep(int ms);
// Waits without running any of the program's events, taking only the
// messages other programs send to its windows and wait for: an editor that
// copies waits in EmptyClipboard until the clipboard's last owner, this
// program, has been told (under Wine; Windows only notifies it).
void PauseTakingSentMessages(int ms);
// Milliseconds from an arbitrary start, for measuring waits.
std::uint64_t TickCount();

// Whether the window may be recorded as the window to paste into: a window
// of another program that can be typed into, not a surface of the shell
// (see platform/target_rules.h for which ones and why).
bool MayBeTarget(WindowHandle h);

// The integrity level of a window's process against this one's.
enum class Integrity {
  NotHigher,   // the same or lower: it takes this program's input
  Higher,      // elevated: the system drops input from this program
  Unreadable,  // its process or token cannot be opened (another account's
               // program, an administrator's, a protected process)
};

// What decides whether keys may be typed into a window of another program.
// Reading them never waits on the window's program.
struct WindowFacts {
  bool exists = false;       // still a window
  bool mayBeTarget = false;  // as MayBeTarget
  bool minimized = false;
  bool inFront = false;  // the foreground window, or the root owner of it
  Integrity integrity = Integrity::NotHigher;
  // A console or terminal, where Ctrl+C stops the running program
  // (platform/target_rules.h).
  bool terminal = false;
  std::uint32_t process = 0;  // its process id
};
WindowFacts InspectWindow(WindowHandle h);

// Whether the window's program takes a message within `ms` milliseconds;
// false at once for a window the system already reports as hung. The one
// call of the paste that waits on the target, and only that long.
bool AnswersWithin(WindowHandle h, int ms);
// Restores a minimized window without waiting for its program.
void RestoreWindowAsync(WindowHandle h);
// Asks the system to make the window the foreground window; false when it
// refused. Windows grants it to the program the user gave the last input,
// so right after a click on the bar.
bool SetForegroundWindow(WindowHandle h);

// A synthetic key event for a virtual-key code, as the keyboard sends it:
// with the key's scan code, and its extended flag where it has one.
struct KeyEvent {
  std::uint8_t vk = 0;
  bool up = false;
};
// Inserts the events into the input stream in one call, so that no other
// input comes between them; returns how many were inserted (fewer than
// given: input was blocked, and the rest were not sent).
int SendKeys(const std::vector<KeyEvent>& events);
// Whether the user holds Shift, Ctrl, Alt or a Windows key.
bool ModifierKeysDown();

// Keys taken from every program (hot keys). A press of one posts a message
// to the window that took it, whichever window is in front, and the key
// itself reaches no other program; the form of that window fires HotKey
// with the key's id. Modifiers as RegisterHotKey takes them:
constexpr unsigned kModAlt = 0x1;
constexpr unsigned kModControl = 0x2;
constexpr unsigned kModNoRepeat = 0x4000;  // a held key presses once
// Takes the key with its modifiers for the window under `id`. False when
// the key is held already (ERROR_HOTKEY_ALREADY_REGISTERED): by another
// program, or by this one under another id. An id that held a key before
// keeps that one too, until UnregisterHotKey. Any other failure throws.
bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers,
                    std::uint8_t vk);
// Gives back the key held under `id`; nothing when none is.
void UnregisterHotKey(WindowHandle window, int id);
// Throws away the presses of the window's keys that wait to be handled
// (they came while the program was busy).
void DropPendingHotKeys(WindowHandle window);
// Of `keys` (virtual-key codes), those that a keyboard layout the user has
// installed turns into a character with Ctrl+Alt (platform/hotkey_rules.h).
std::vector<std::uint8_t> KeysTypingWithCtrlAlt(
    const std::vector<std::uint8_t>& keys);
// After a hot key with Alt, the window in front saw Alt go down and sees
// it come up with no key between (the hot key's key went to the program),
// which opens its menu. While the user still holds Alt, a key that means
// nothing goes in between, so the release opens none.
void KeepAltFromOpeningMenu();
// Whether a modal window of the program (a form shown modally, a message
// or input box) is open.
bool ModalOpen();

// Shows a short notice (two lines at most) beside a window for about five
// seconds, in front of every window and without taking the activation: on
// the side of the window with room on its monitor, covering none of it.
// Screen readers are told, and the system's warning sound plays.
void ShowNoticeBeside(WindowHandle window, const std::wstring& text);

// Asks the shell for its default action on a document or web address,
// shown normally, with `owner` as the window of any message it shows and
// `directory` as the working folder. The outcome is not examined.
void ShellOpen(WindowHandle owner, const std::wstring& target,
               const std::wstring& directory);

// The end of the user's session (logoff, shutdown, restart, an update):
// `save` runs once, while every window of the program still exists (also
// while one of its message or input boxes is open), and the process ends
// when it returns. SessionEnding() is true from then on.
void OnSessionEnd(std::function<void()> save);
bool SessionEnding();

// One running program per data folder, across the user's session: claims
// the folder for this process, with `window` as the one to bring back. The
// folder is known by its identity on the file system, so every spelling of
// it (a short name, a second drive letter, a junction) is the same folder.
// When another process has claimed it, that process's window is brought to
// the front; when no such window turns up within about two seconds (a bar
// still starting, or one of another user), the claim reports the folder in
// use.
enum class Claim { kOurs, kBroughtBack, kInUse };
Claim ClaimInstance(const std::wstring& folder, WindowHandle window);

// While the program saves at the end of the session, Windows shows the
// reason to the user who waits; called with the bar's window, on its
// thread.
void BlockShutdown(WindowHandle window, const std::wstring& reason);
void UnblockShutdown(WindowHandle window);
// Asks Windows to start the program again when it restarts the computer
// for an update (and the user chose to have programs come back), not after
// a crash or a hang.
void RegisterForRestart();

// The program's own version number and the texts of its version resource.
struct VersionInfo {
  int major = 0, minor = 0, revision = 0;
  std::wstring company;    // the maker
  std::wstring copyright;  // the copyright line
};
VersionInfo AppVersionInfo();

}  // namespace platform
