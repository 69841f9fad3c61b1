// The paste sequence: raise the target window, type the paste shortcut into
// it, put it back among the ordinary windows.
//
// The keys pressed are always released and the target always leaves the
// topmost group, even when a step fails; the error then goes on to the
// caller's trap.
#include <algorithm>
#include <cstdint>

#include "bar/frmStrell.h"

namespace {

constexpr unsigned kKeepPlace = platform::kSwpNoSize | platform::kSwpNoMove;

// Keeps a window in the topmost group for its lifetime. Raising it without
// SWP_NOACTIVATE also activates it, so it gets the keyboard.
class RaisedWindow {
 public:
  explicit RaisedWindow(platform::WindowHandle h) : h_(h) {
    platform::SetWindowPos(h_, platform::kHwndTopmost, 0, 0, 0, 0, kKeepPlace);
  }
  ~RaisedWindow() {
    try {
      platform::SetWindowPos(h_, platform::kHwndNoTopmost, 0, 0, 0, 0,
                             kKeepPlace);
    } catch (...) {  // the error that is unwinding is the one to report
    }
  }
  RaisedWindow(const RaisedWindow&) = delete;
  RaisedWindow& operator=(const RaisedWindow&) = delete;

 private:
  platform::WindowHandle h_;
};

// Holds a key down for its lifetime; virtual-key code 0 holds nothing.
class HeldKey {
 public:
  explicit HeldKey(std::uint8_t vk) : vk_(vk) {
    if (vk_ != 0) platform::KeybdEvent(vk_, 0, 0, 0);
  }
  ~HeldKey() {
    if (vk_ == 0) return;
    try {
      platform::KeybdEvent(vk_, 0, platform::kKeyEventKeyUp, 0);
    } catch (...) {
    }
  }
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

 private:
  std::uint8_t vk_;
};

// A modifier code that fits a key byte; anything else sends no modifier.
std::uint8_t ModifierKey(std::int32_t code) {
  return code >= 1 && code <= 255 ? static_cast<std::uint8_t>(code) : 0;
}

// The ANSI code of the first character of the paste key. A character with
// no single-byte code (or none at all) is an invalid argument.
std::uint8_t PasteKeyCode(const std::wstring& key) {
  const std::wstring first = key.substr(0, 1);
  const std::string ansi = platform::ToAnsi(first);
  if (ansi.size() != 1 || platform::FromAnsi(ansi) != first)
    vb::Raise(vb::kInvalidCall);
  return static_cast<std::uint8_t>(ansi[0]);
}

void Wait(std::int16_t ms) { platform::Sleep(std::max<int>(0, ms)); }

}  // namespace

void frmStrell::PasteToTarget() {
  using modPublic::Delay;
  const RaisedWindow raised(TargetWindow);
  const std::uint8_t key = PasteKeyCode(modPublic::PasteKey);
  Wait(Delay[0]);
  const HeldKey modifier(ModifierKey(modPublic::PasteShiftKey));
  const HeldKey paste(key);
  Wait(Delay[1]);
}
