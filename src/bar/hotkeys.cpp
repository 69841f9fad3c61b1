// The bar's keys from every program: taking them as the option says,
// giving them back while the settings dialog is open, and a press of one,
// which presses its button.
#include "bar/hotkeys.h"

#include <algorithm>
#include <optional>

#include "bar/frmStrell.h"

namespace hotkeys {
namespace {

std::wstring Names(const std::vector<int>& slots) {
  std::wstring names;
  for (int slot : slots) names += (names.empty() ? L"" : L"、") + NameOf(slot);
  return names;
}

}  // namespace

std::uint8_t KeyOf(int slot) {
  return static_cast<std::uint8_t>(slot == 9 ? '0' : '1' + slot);
}

std::wstring NameOf(int slot) {
  return L"Ctrl+Alt+" + std::wstring(1, static_cast<wchar_t>(KeyOf(slot)));
}

std::wstring Notice(const std::vector<int>& heldElsewhere,
                    const std::vector<int>& typing) {
  std::wstring text;
  if (!heldElsewhere.empty())
    text = Names(heldElsewhere) +
           L" はほかのプログラム（別の Pinrow を含む）が使用中のため、"
           L"使えません。";
  if (!typing.empty())
    text += (text.empty() ? L"" : L"\r\n") + Names(typing) +
            L" はキーボードの配列で文字の入力に使われるため、使えません。";
  return text;
}

}  // namespace hotkeys

frmStrell::Busy::Busy(frmStrell& bar) : bar_(bar) { ++bar_.busy_; }

// The presses that came meanwhile wait in the queue: they are thrown away,
// never run late.
frmStrell::Busy::~Busy() {
  if (--bar_.busy_ == 0 && bar_.keysTaken_.any())
    platform::DropPendingHotKeys(bar_.form_->hWnd());
}

// Each key is given back under its id before it is taken again: the system
// keeps an id's earlier key, and would then refuse this one as held. A key
// a keyboard layout types with is left to it. The keys that could not be
// taken are named once; an error other than a held key is raised once the
// others are taken.
void frmStrell::ApplyHotKeys() {
  if (closing_ || (!modPublic::HotKeys && keysTaken_.none())) return;
  ReleaseHotKeys();
  // The tooltips name the keys taken, also when one failed.
  struct Tips {
    frmStrell& bar;
    ~Tips() { bar.ShowKeyTips(); }
  } tips{*this};
  if (modPublic::HotKeys) TakeHotKeys();
}

void frmStrell::TakeHotKeys() {
  std::vector<std::uint8_t> keys;
  for (int i = 0; i < hotkeys::kKeys; ++i) keys.push_back(hotkeys::KeyOf(i));
  const std::vector<std::uint8_t> typing =
      platform::KeysTypingWithCtrlAlt(keys);
  const platform::WindowHandle bar = form_->hWnd();
  std::vector<int> held, typed;
  std::optional<vb::RuntimeError> failure;
  for (int i = 0; i < hotkeys::kKeys; ++i) {
    platform::UnregisterHotKey(bar, i + 1);
    if (std::count(typing.begin(), typing.end(), keys[i])) {
      typed.push_back(i);
      continue;
    }
    try {
      keysTaken_[i] =
          platform::RegisterHotKey(bar, i + 1, hotkeys::kModifiers, keys[i]);
      if (!keysTaken_[i]) held.push_back(i);
    } catch (const vb::RuntimeError& e) {
      if (!failure) failure = e;
    }
  }
  const std::wstring notice = hotkeys::Notice(held, typed);
  if (!notice.empty()) platform::ShowNoticeBeside(bar, notice);
  if (failure) throw *failure;
}

void frmStrell::ReleaseHotKeys() {
  for (int i = 0; i < hotkeys::kKeys; ++i)
    if (keysTaken_[i]) platform::UnregisterHotKey(form_->hWnd(), i + 1);
  keysTaken_.reset();
}

std::vector<std::wstring> frmStrell::KeyNames() const {
  std::vector<std::wstring> names(hotkeys::kKeys);
  for (int i = 0; i < hotkeys::kKeys; ++i)
    if (keysTaken_[i]) names[i] = hotkeys::NameOf(i);
  return names;
}

// The tooltips of the buttons on the bar name their keys.
void frmStrell::ShowKeyTips() {
  const std::vector<std::wstring> names = KeyNames();
  for (int i = 0; i < hotkeys::kKeys; ++i) {
    platform::ToggleButton& button = *Check[i];
    if (button.Visible())
      button.SetToolTipText(modPublic::ButtonTip(button.Caption(), names[i]));
  }
}

// A key's press is a press of its button, made by the bar: its value turns
// over here, as a click turns it over. The bar is never activated by it, so
// a tag.txt changed meanwhile is looked for first. A press that comes while
// another runs, or while a modal window of the program is open, is dropped:
// the system posts it ahead of other messages, so any nested message loop
// (a box, the table button's) would otherwise run a press inside a press.
void frmStrell::Form_HotKey(int id) {
  platform::KeepAltFromOpeningMenu();
  if (busy_ || platform::ModalOpen()) return;
  const Busy busy(*this);
  modPublic::ErrorTrap(L"タグボタンのクリック時", [&] {
    TakeChangedTagFile();
    const int slot = id - 1;
    if (slot < 0 || slot >= hotkeys::kKeys) return;
    platform::ToggleButton& button = *Check[slot];
    if (!button.Visible() || !button.Enabled()) return;  // no button there
    button.SetValue(1 - button.Value());
    InsertTagInto(static_cast<std::int16_t>(slot), HotKeyTarget());
  });
}

// The window in front decides: the bar itself is pressed as by a click;
// another program's window that could become the target is pasted into
// where it stands, nothing raised or activated (it keeps its caret and its
// input method's state); any other window (the program's own, the shell's,
// a minimized one) gets nothing.
frmStrell::PressTarget frmStrell::HotKeyTarget() const {
  const platform::WindowHandle front = platform::GetForegroundWindow();
  if (front == form_->hWnd()) return {TargetWindow, true};
  if (front && !platform::IsOwnWindow(front)) {
    const platform::WindowFacts facts = platform::InspectWindow(front);
    if (facts.mayBeTarget && !facts.minimized) return {front, false};
  }
  return {front, false, L"このウィンドウには貼り付けできません。"};
}
