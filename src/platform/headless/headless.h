// Test hooks of the headless backend: an in-memory stand-in for the window
// system that records what the program shows, pastes and presses, and that
// tests drive by setting properties and firing events.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_files.h"
#include "platform/hotkey_rules.h"
#include "platform/platform.h"

namespace platform::headless {

// Thrown by EndProcess so a test can see that the process would have ended.
// It is deliberately not a std::exception: no error trap catches it.
struct ProcessEnded {};

// Starts a test afresh: the application folder (a real directory on disk,
// where tag.txt and setup.ini are read and written), an empty log, no
// scripted answers, foreground window 0, an empty clipboard, the clock and
// the double-click time at their start.
void Reset(const std::wstring& appPath);

// Everything observable the program did, in order, one line each:
//   "MsgBox <style> <title> <prompt>"
//   "InputBox <title> <prompt>"
//   "ClipboardSetText <text>" "SetWindowPos <h> <insertAfter> <flags>"
//   "Sleep <ms>"              "Pause <ms>" (PauseTakingSentMessages)
//   "SendKeys <vk> down|up ..." (the events one
//                             call inserted)
//   "Ask <h> <ms>"            (AnswersWithin) "Restore <h>"
//   "SetForegroundWindow <h>" "Notice <h> <text>"
//   "DoEvents"                "ShellOpen <owner> <target> <directory>"
//   "ClipboardClear"          "ReadClipboard" (the list of formats; with
//                             " text" when the text was read too)
//   "BringBack <folder>"      (a second start found the folder claimed)
//   "BlockShutdown <h> <reason>" "UnblockShutdown <h>" "RegisterForRestart"
std::vector<std::wstring>& Log();

struct MsgBoxCall {
  std::wstring prompt;
  int style;
  std::wstring title;
};
std::vector<MsgBoxCall>& MsgBoxes();
// Answers (kIdRetry, kIdCancel, ...) for the next message boxes, in order.
// An unscripted box answers Cancel when it has that button, else OK.
void QueueMsgBoxAnswer(int answer);
// Runs `hook` inside every following message box, while it is open (the
// user clears a read-only flag before pressing Retry); empty removes it.
void OnMsgBox(std::function<void()> hook);

// Answers for the next input boxes, in order; an unscripted box answers
// the empty text (as Cancel does).
void QueueInputBoxAnswer(const std::wstring& answer);
// Runs `hook` inside every following input box, while the box is "open"
// (before it answers), e.g. to let the timer tick then. An empty function
// removes the hook; Reset removes it too.
void OnInputBox(std::function<void()> hook);

// The system clock (TickCount) moves on only when a test moves it or the
// program sleeps; the double-click time is 500 ms (the system's default)
// unless set.
void AdvanceClock(int ms);
void SetDoubleClickTime(int ms);

// The window the desktop reports as foreground.
void SetForegroundWindow(WindowHandle h);
// Handles for which IsOwnWindow is true besides the forms' own.
void AddOwnWindow(WindowHandle h);
// A window of the program's that is gone (forms and controls as they go).
void ForgetOwnWindow(WindowHandle h);

// The session ends (logoff, shutdown): runs what the program registered
// with OnSessionEnd, then "ends the process" (throws ProcessEnded).
void EndSession();

// Another process of the program has claimed this data folder (under any
// spelling of it); with windowShows false its window never turns up (a bar
// still starting, or one of another user).
void ClaimedElsewhere(const std::wstring& folder, bool windowShows = true);

// A window of another program on the desktop, with the Windows behaviours
// the paste must allow for that Wine does not show:
// - className, image (its program's file name), cloaked, noActivate: what
//   decides whether it may become the target (platform/target_rules.h);
//   "Progman" is the desktop, "Shell_TrayWnd" the task bar, and a
//   "Windows.UI.Core.CoreWindow" of "SearchHost.exe" the Search pane;
// - elevated: User Interface Privilege Isolation drops input from a
//   process of a lower integrity level, and SendInput reports no error;
// - unreadable: OpenProcess or OpenProcessToken refuses this program (a
//   program of another account, run as administrator, or a protected
//   process), so its integrity level is unknown;
// - hung: it takes no messages (SendMessageTimeout gives up, with
//   SMTO_ABORTIFHUNG at once for a window Windows reports hung);
// - keepsBack: SetForegroundWindow refuses it (the foreground lock: the
//   call returns FALSE and only the task bar button flashes);
// - slipsBack: SetForegroundWindow reports success, yet the window is not
//   in front afterwards (Windows may deny it even when its conditions are
//   met);
// - minimized: SetForegroundWindow activates it without restoring it.
// - process: the id of its program's process (0: one of its own, the
//   window's handle);
// - copies: what it does with Ctrl+C (nothing when absent).
// SetWindowPos without kSwpNoActivate activates it unless it is elevated,
// hung or keeps back.
//
// What a window does with Ctrl+C: `afterMs` after the keys it puts `text`
// on the clipboard with the text formats and `marks` (registered format
// names: "MSDEVLineSelect" for a line copied with nothing selected), as its
// own (the clipboard's owner in its process) unless `byProcess` names
// another process (a clipboard listener changing it meanwhile). An editor
// that renders late is one whose copy comes after the wait.
struct FakeCopy {
  std::wstring text;
  std::vector<std::wstring> marks;
  int afterMs = 0;
  std::uint32_t byProcess = 0;
};
struct FakeWindow {
  std::wstring className = L"Editor";
  std::wstring image = L"editor.exe";
  bool cloaked = false;
  bool noActivate = false;
  bool hung = false;
  bool elevated = false;
  bool unreadable = false;
  bool keepsBack = false;
  bool slipsBack = false;
  bool minimized = false;
  bool topmost = false;
  std::uint32_t process = 0;
  std::optional<FakeCopy> copies;
};
void AddWindow(WindowHandle h, const FakeWindow& w = {});
// The window is gone (closed by its program).
void CloseWindow(WindowHandle h);
// The window as the desktop holds it now (restored, for one); the window
// must exist.
const FakeWindow& WindowOf(WindowHandle h);

// Another thread blocks input for a moment: the next calls of SendKeys
// insert at most these many of their events each (-1: all of them), as
// SendInput inserts fewer than it is given and says how many; the calls
// after those insert all.
void LimitNextInputs(std::vector<int> inserted);

// The clipboard: its CF_UNICODETEXT, its formats, its owner's process and
// the system's sequence number, which every change of the content or
// emptying moves on (GetClipboardSequenceNumber: "incremented whenever the
// contents of the clipboard change or the clipboard is emptied"; a copy
// rendered late moves it only once rendered). What this program puts there
// has the text formats (CF_UNICODETEXT, CF_LOCALE and the CF_TEXT and
// CF_OEMTEXT the system makes from it) and its two marks, owned by
// kOwnProcess.
constexpr std::uint32_t kOwnProcess = 0xB0B;
std::wstring ClipboardText();
std::vector<platform::ClipboardFormat> ClipboardFormats();
std::uint32_t ClipboardOwnerProcess();
// The text formats of a copy of plain text.
std::vector<platform::ClipboardFormat> TextFormats();
// A registered format of that name.
platform::ClipboardFormat Registered(const std::wstring& name);
// Another program (or the user in one) puts this on the clipboard: `text`
// is the CF_UNICODETEXT's, when the formats have one.
void PutOnClipboard(const std::vector<platform::ClipboardFormat>& formats,
                    const std::wstring& text = L"",
                    std::uint32_t process = 0x4242);
// Another program holds the clipboard for `ms` milliseconds from the next
// attempt to open it: up to about a second is waited out, longer fails it.
void HoldClipboard(int ms);
// The user holds a modifier key during the next `checks` looks at them.
void HoldModifierKeys(int checks);
// The form that owned the last message or input box (0: none).
WindowHandle LastBoxOwner();
// Runs `hook` inside every following Sleep, while the program waits and
// takes no messages; an empty function removes it.
void OnSleep(std::function<void()> hook);

// Keys taken from every program (RegisterHotKey), logged as
//   "RegisterHotKey <h> <id> <modifiers> <vk>" "UnregisterHotKey <h> <id>"
//   "DropPendingHotKeys <h>" "KeepAltFromOpeningMenu".
// A window keeps every key it registered under an id until that id is
// unregistered, also when it registers another key under the same id, and
// registering a key anyone holds fails, as on Windows.
//
// Another program holds the key from now on.
void HoldHotKeyElsewhere(unsigned modifiers, std::uint8_t vk);
// Registering the key fails with an error other than "already held".
void FailHotKey(std::uint8_t vk);
// The user presses the key. When a window of the program holds it, the
// press reaches it as a message: handled at once when `queued` is false
// (the program is waiting for messages, also in a message or input box),
// else kept in the queue until DeliverPendingHotKeys (the program is busy
// and takes none). False when the key went to the window in front instead.
bool PressHotKey(unsigned modifiers, std::uint8_t vk, bool queued = false);
// The program takes the presses waiting in its queue: each fires HotKey.
void DeliverPendingHotKeys();
// The keyboard layouts installed: what each types with Ctrl+Alt and a key
// (keys it does not list type nothing). None unless set.
using FakeLayout = std::map<std::uint8_t, platform::Typed>;
void SetKeyboardLayouts(const std::vector<FakeLayout>& layouts);

}  // namespace platform::headless
