// Test hooks of the headless backend: an in-memory stand-in for the window
// system that records what the program shows, pastes and presses, and that
// tests drive by setting properties and firing events.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless_files.h"
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
//   "ClipboardClear"          "ClipboardSetText <text>"
//   "SetWindowPos <h> <insertAfter> <flags>"
//   "Sleep <ms>"              "keybd_event <vk> <flags>"
//   "DoEvents"                "ShellOpen <owner> <target> <directory>"
std::vector<std::wstring>& Log();

struct MsgBoxCall {
  std::wstring prompt;
  int style;
  std::wstring title;
};
std::vector<MsgBoxCall>& MsgBoxes();

// Answers for the next input boxes, in order; an unscripted box answers
// the empty text (as Cancel does).
void QueueInputBoxAnswer(const std::wstring& answer);
// Runs `hook` inside every following input box, while the box is "open"
// (before it answers), e.g. to let the timer tick then. An empty function
// removes the hook; Reset removes it too.
void OnInputBox(std::function<void()> hook);

// The system clock (TickCount) moves on only when a test moves it; the
// double-click time is 500 ms (the system's default) unless set.
void AdvanceClock(int ms);
void SetDoubleClickTime(int ms);

// The window the desktop reports as foreground.
void SetForegroundWindow(WindowHandle h);
// Handles for which IsOwnWindow is true besides the forms' own.
void AddOwnWindow(WindowHandle h);
// A window of the program's that is gone (forms and controls as they go).
void ForgetOwnWindow(WindowHandle h);

std::wstring ClipboardText();
// The next `count` attempts to open the clipboard fail (another program
// holds it).
void HoldClipboard(int count);

}  // namespace platform::headless
