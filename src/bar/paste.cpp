// The paste sequence: raise the target window, type the paste shortcut into
// it, put it back among the ordinary windows.
//
// The keys pressed are always released and the target always leaves the
// topmost group (unless it was topmost before), even when a step fails; the
// error then goes on to the caller's trap.
#include <algorithm>
#include <cstdint>

#include "bar/frmStrell.h"

namespace {

constexpr unsigned kKeepPlace = platform::kSwpNoSize | platform::kSwpNoMove;

// Keeps a window in the topmost group for its lifetime. Raising it without
// SWP_NOACTIVATE also activates it, so it gets the keyboard. A window that
// was topmost before (one the user keeps on top) stays topmost. A hung one
// is left alone: moving another thread's window waits until that thread has
// taken the request (only SWP_ASYNCWINDOWPOS posts it instead).
class RaisedWindow {
 public:
  explicit RaisedWindow(platform::WindowHandle h)
      : h_(h),
        raise_(!platform::InspectWindow(h).hung),
        lower_(raise_ && !platform::IsTopmost(h)) {
    if (raise_)
      platform::SetWindowPos(h_, platform::kHwndTopmost, 0, 0, 0, 0,
                             kKeepPlace);
  }
  ~RaisedWindow() {
    if (!lower_) return;
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
  bool raise_, lower_;
};

// Holds a key down for its lifetime; virtual-key code 0 holds nothing.
class HeldKey {
 public:
  explicit HeldKey(std::uint8_t vk) : vk_(vk) {
    if (vk_ != 0) platform::SendKey(vk_, false);
  }
  ~HeldKey() {
    if (vk_ == 0) return;
    try {
      platform::SendKey(vk_, true);
    } catch (...) {
    }
  }
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

 private:
  std::uint8_t vk_;
};

// The key sent for a stored modifier code; a code that does not fit a key
// byte sends none. "Shift" is stored as 246, which is VK_ATTN, a key that
// Japanese input methods take as a mode switch: the left Shift key goes in
// its place.
std::uint8_t ModifierKey(std::int32_t code) {
  constexpr std::int32_t kStoredShift = 246;
  constexpr std::uint8_t kLeftShift = 160;
  if (code == kStoredShift) return kLeftShift;
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

// A modifier key the user still holds would join the shortcut (Ctrl+Alt+V
// is another command in many editors): wait until the user lets go, for a
// second at most.
void WaitForUserModifiers() {
  constexpr int kStepMs = 10, kMostMs = 1000;
  for (int waited = 0; waited < kMostMs && platform::ModifierKeysDown();
       waited += kStepMs)
    platform::Sleep(kStepMs);
}

// Why keys must not go to the window, or null when they may.
const wchar_t* RefusalOf(const platform::WindowFacts& target) {
  if (!target.exists || target.shell)
    return L"ウィンドウが前面に出ませんでした。";
  if (target.hung) return L"ウィンドウが応答していません。";
  if (target.higherIntegrity) return L"管理者として実行中のウィンドウです。";
  if (!target.inFront) return L"ウィンドウが前面に出ませんでした。";
  return nullptr;
}

}  // namespace

// The keys go out only to the target in front: otherwise they would reach
// whatever window has the keyboard. The text stays on the clipboard either
// way, and the user is told.
bool frmStrell::PasteToTarget() {
  using modPublic::Delay;
  const RaisedWindow raised(TargetWindow);
  const std::uint8_t key = PasteKeyCode(modPublic::PasteKey);
  Wait(Delay[0]);
  WaitForUserModifiers();
  if (const wchar_t* refusal =
          RefusalOf(platform::InspectWindow(TargetWindow))) {
    platform::ShowNoticeAt(
        form_->hWnd(), std::wstring(L"貼り付け先にキーを送れませんでした。"
                                    L"タグはクリップボードにあります。\r\n") +
                           refusal);
    return false;
  }
  const HeldKey modifier(ModifierKey(modPublic::PasteShiftKey));
  const HeldKey paste(key);
  Wait(Delay[1]);
  return true;
}
