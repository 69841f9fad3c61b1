// The user at a control, for the platform contract suite: each backend
// plays these its own way (user_headless.cpp through the headless test
// hooks, user_win32.cpp with the messages the window system sends for
// them), so the suite holds both to the same outcome.
#pragma once

#include <string>

#include "platform/forms.h"

namespace contract {

// Types text at the end of a text box, a character at a time.
void UserType(platform::TextBox& box, const std::wstring& text);
// Pastes text at the end of a text box in one edit.
void UserPaste(platform::TextBox& box, const std::wstring& text);
// Turns the mouse wheel over a control of a shown form by delta (120 a
// notch, positive away from the user) and lets the program take it.
void UserWheel(platform::Control& control, int delta);
// Lets `ms` milliseconds pass for the timer while the program takes its
// messages.
void TimePasses(platform::Timer& timer, int ms);

// Brings a shown form forward from a window of another program (the
// window system's idea of one: another thread's) and lets the program take
// what follows.
void UserComeBack(platform::Form& form);

}  // namespace contract
