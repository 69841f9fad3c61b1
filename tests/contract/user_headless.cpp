// The user of the contract suite on the headless backend: its test hooks.
#include "platform/headless/headless_forms.h"
#include "user_input.h"

namespace contract {

namespace hl = platform::headless;

void UserType(platform::TextBox& box, const std::wstring& text) {
  hl::Type(box, text);
}

void UserPaste(platform::TextBox& box, const std::wstring& text) {
  hl::Paste(box, text);
}

void UserWheel(platform::Control& control, int delta) {
  hl::Wheel(control, delta);
}

// One period of the timer at a time; at interval 0 one a millisecond, each
// of which the stand-in must ignore.
void TimePasses(platform::Timer& timer, int ms) {
  const int period = timer.Interval() > 0 ? timer.Interval() : 1;
  for (int t = period; t <= ms; t += period) hl::Tick(timer);
}

void UserComeBack(platform::Form& form) { hl::ComeBack(form); }

}  // namespace contract
