// The paste sequence: bring the target window back and type the paste
// shortcut into it, or tell the user why not.
//
// Nothing waits on the target's program without a limit: the bar stays
// responsive while an editor is busy or hangs. Keys go out only to the
// target in front, as one input each way, and every event is checked; a
// key that went down is always released.
#include "bar/paste.h"

#include <algorithm>
#include <vector>

#include "bar/frmStrell.h"
#include "bar/selection.h"

namespace paste {
namespace {

const wchar_t kClosed[] = L"ウィンドウが閉じられています。";
const wchar_t kNotInFront[] = L"ウィンドウが前面に出ませんでした。";
const wchar_t kNotAnswering[] = L"ウィンドウが応答していません。";
const wchar_t kElevated[] = L"管理者として実行中のウィンドウです。";
const wchar_t kUnknownLevel[] =
    L"管理者として実行中か、別のユーザーのウィンドウです。";

void Wait(int ms) { platform::Sleep(std::max(0, ms)); }

// Releases the first `count` keys of `down`, the last pressed first, in
// one input; true when every release went in.
bool Release(const std::vector<platform::KeyEvent>& down, std::size_t count) {
  std::vector<platform::KeyEvent> up;
  for (std::size_t i = count; i-- > 0;) up.push_back({down[i].vk, true});
  return up.empty() || platform::SendKeys(up) == static_cast<int>(up.size());
}

}  // namespace

std::optional<std::uint8_t> PasteKeyCode(const std::wstring& stored) {
  if (stored.empty()) return std::nullopt;
  wchar_t c = stored[0];
  if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
    return static_cast<std::uint8_t>(c);
  return std::nullopt;
}

// "Shift" is stored as 246, which is VK_ATTN, a key that Japanese input
// methods take as a mode switch: the left Shift key goes in its place.
std::uint8_t ModifierKey(std::int32_t stored) {
  constexpr std::int32_t kStoredShift = 246;
  constexpr std::uint8_t kLeftShift = 160;
  if (stored == kStoredShift) return kLeftShift;
  return stored >= 1 && stored <= 255 ? static_cast<std::uint8_t>(stored) : 0;
}

// A null target is no window yet: the user has not worked in one since the
// start. The integrity level is read before the target is asked anything,
// since the system filters messages to an elevated window as well.
const wchar_t* RefusalBefore(platform::WindowHandle target) {
  const platform::WindowFacts facts = platform::InspectWindow(target);
  if (!facts.exists) return target ? kClosed : kNotInFront;
  if (!facts.mayBeTarget) return kNotInFront;
  if (facts.integrity == platform::Integrity::Higher) return kElevated;
  if (facts.integrity == platform::Integrity::Unreadable) return kUnknownLevel;
  if (!platform::AnswersWithin(target, kAnswerMs)) return kNotAnswering;
  return nullptr;
}

bool BringBack(platform::WindowHandle target) {
  if (platform::InspectWindow(target).minimized)
    platform::RestoreWindowAsync(target);
  return platform::SetForegroundWindow(target);
}

const wchar_t* RefusalInFront(platform::WindowHandle target) {
  const platform::WindowFacts facts = platform::InspectWindow(target);
  if (!facts.exists) return kClosed;
  if (!facts.inFront || facts.minimized) return kNotInFront;
  return nullptr;
}

bool UserLetGoOfModifiers() {
  constexpr int kStepMs = 10, kMostMs = 1000;
  for (int waited = 0; platform::ModifierKeysDown(); waited += kStepMs) {
    if (waited >= kMostMs) return false;
    platform::Sleep(kStepMs);
  }
  return true;
}

bool TypeShortcut(std::uint8_t modifier, std::uint8_t key, int holdMs) {
  std::vector<platform::KeyEvent> down;
  if (modifier != 0) down.push_back({modifier, false});
  down.push_back({key, false});
  const int sent = platform::SendKeys(down);
  if (sent < static_cast<int>(down.size())) {
    Release(down, static_cast<std::size_t>(std::max(0, sent)));
    return false;
  }
  Wait(holdMs);
  return Release(down, down.size());
}

bool TypeAtOnce(std::uint8_t modifier, std::uint8_t key) {
  const std::vector<platform::KeyEvent> events = {
      {modifier, false}, {key, false}, {key, true}, {modifier, true}};
  const int sent = platform::SendKeys(events);
  if (sent >= static_cast<int>(events.size())) return true;
  // Of the events that went in, only the presses can still be down.
  const std::size_t downs = static_cast<std::size_t>(std::clamp(sent, 0, 2));
  const std::size_t ups = static_cast<std::size_t>(std::max(0, sent - 2));
  Release(events, downs - ups);
  return false;
}

}  // namespace paste

// Everything that depends only on the settings is checked first, then the
// target as it stands; only then is it brought back. The text stays on the
// clipboard whatever happens, and a refusal tells the user why.
bool frmStrell::PasteToTarget() { return PasteInto({TargetWindow, true}); }

bool frmStrell::PasteInto(const PressTarget& target, Wrap* wrap) {
  using modPublic::Delay;
  if (target.refusal) return RefusePaste(target.refusal);
  const std::optional<std::uint8_t> key =
      paste::PasteKeyCode(modPublic::PasteKey);
  if (!key)
    return RefusePaste(
        L"貼り付けのショートカットキーの設定が正しくありません。");
  if (const wchar_t* why = paste::RefusalBefore(target.window))
    return RefusePaste(why);
  if (target.bringBack) {
    if (!paste::BringBack(target.window))
      return RefusePaste(L"ウィンドウが前面に出ませんでした。");
    paste::Wait(Delay[0]);
  }
  if (!paste::UserLetGoOfModifiers())
    return RefusePaste(L"キーが押されたままです。");
  if (const wchar_t* why = paste::RefusalInFront(target.window))
    return RefusePaste(why);
  const std::uint8_t modifier = paste::ModifierKey(modPublic::PasteShiftKey);
  if (wrap) {
    if (const wchar_t* why = TakeSelection(target.window, modifier, *wrap))
      return RefusePaste(why);
  }
  if (!paste::TypeShortcut(modifier, *key, Delay[1]))
    return RefusePaste(L"キーを送れませんでした。");
  keeper_.Typed(target.window);
  tmrRestore->SetInterval(keeper_.Pending() ? ClipboardKeeper::kRestoreAfterMs
                                            : 0);
  return true;
}

// The target copies its selection, which goes on the clipboard between the
// tags; without one the start tag goes back on the clipboard, in place of
// whatever the copy put there. The target is checked again after the wait.
const wchar_t* frmStrell::TakeSelection(platform::WindowHandle target,
                                        std::uint8_t ctrl, Wrap& wrap) {
  const selection::Copy copy = selection::CopySelection(target, ctrl);
  if (!copy.keysWent) return L"キーを送れませんでした。";
  if (copy.selection) {
    keeper_.Put(wrap.start + *copy.selection + wrap.end);
    wrap.wrapped = true;
  } else if (copy.changed) {
    keeper_.Put(wrap.start);
  }
  return paste::RefusalInFront(target);
}

bool frmStrell::RefusePaste(const wchar_t* reason) {
  keeper_.Refused();
  tmrRestore->SetInterval(0);
  platform::ShowNoticeBeside(
      form_->hWnd(), std::wstring(L"貼り付け先にキーを送れませんでした。"
                                  L"タグはクリップボードにあります。\r\n") +
                         reason);
  return false;
}

// About a second after the last paste, once the target answers: while it
// does not, the timer asks again a second later.
void frmStrell::tmrRestore_Timer() {
  modPublic::ErrorTrap(L"タイマーイベント時", [&] {
    if (keeper_.RestoreOnceAnswered()) tmrRestore->SetInterval(0);
  });
}
