// System services: message and input boxes, the clipboard, windows of the
// desktop, synthetic keys, the shell.
//
// Errors: every call that can fail throws vb::RuntimeError
// (runtime/vb.h) so the caller's error trap reports it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/forms.h"

namespace platform {

// ---------------------------------------------------------------------------
// System services

// Message box styles and results (the classic values).
enum MsgBoxStyle : int { kOkOnly = 0, kCritical = 16, kExclamation = 48 };
int MsgBox(const std::wstring& prompt, int style, const std::wstring& title);

// A modal box with a prompt, a title, an empty edit field, OK and Cancel.
// Returns the typed text for OK; the empty text for Cancel or closing.
std::wstring InputBox(const std::wstring& prompt, const std::wstring& title);

// Lets pending window events be processed.
void DoEvents();

// Milliseconds since the system started.
std::uint64_t TickCount();
// The user's setting for the longest time between the two clicks of a
// double click, milliseconds.
int DoubleClickTime();

// Clipboard. Both throw vb::RuntimeError when the clipboard can't be had.
void ClipboardClear();
void ClipboardSetText(const std::wstring& text);

// Windows of the desktop.
constexpr WindowHandle kHwndTopmost = -1;
constexpr WindowHandle kHwndNoTopmost = -2;
constexpr unsigned kSwpNoSize = 1;
constexpr unsigned kSwpNoMove = 2;
constexpr unsigned kKeyEventKeyUp = 2;

WindowHandle GetForegroundWindow();
// True when the window belongs to this process (its forms and boxes).
bool IsOwnWindow(WindowHandle h);
bool SetWindowPos(WindowHandle h, WindowHandle insertAfter, int x, int y,
                  int cx, int cy, unsigned flags);
void Sleep(int ms);
void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                std::uintptr_t extra);

// Asks the shell for its default action on a document or web address,
// shown normally, with `owner` as the window of any message it shows and
// `directory` as the working folder. The outcome is not examined.
void ShellOpen(WindowHandle owner, const std::wstring& target,
               const std::wstring& directory);

// The program's own version number and the texts of its version resource.
struct VersionInfo {
  int major = 0, minor = 0, revision = 0;
  std::wstring company;    // the maker
  std::wstring copyright;  // the copyright line
  std::wstring webAddress;
};
VersionInfo AppVersionInfo();

}  // namespace platform
