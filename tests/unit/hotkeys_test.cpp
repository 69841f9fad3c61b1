// Ctrl+Alt and a digit: where a key's press pastes by the window in front,
// when it is dropped, how the keys are taken and given back, and which
// keys a keyboard layout keeps for itself.
#include "bar/hotkeys.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bar/frmStrell.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "platform/hotkey_rules.h"
#include "test_support.h"

namespace {

namespace hl = platform::headless;
using Lines = std::vector<std::wstring>;

constexpr platform::WindowHandle kEditor = 0x777;
constexpr unsigned kCtrlAlt = platform::kModControl | platform::kModAlt;
const std::wstring kUl = L"<ul style='list-style-type:square;'>";
const std::wstring kHeld =
    L" はほかのプログラム（別の Pinrow を含む）が使用中のため、使えません。";

bool Logged(const std::wstring& prefix) {
  for (const std::wstring& line : hl::Log())
    if (line.rfind(prefix, 0) == 0) return true;
  return false;
}

// The bar with the option on in a fresh folder (five default buttons), the
// editor recorded as the target.
class HotKeysTest : public testing_support::AppFolderTest {
 protected:
  // `before` sets up the desktop the bar starts on.
  void Start(const std::function<void()>& before = {}) {
    bar_.reset();
    hl::Reset(testing_support::Widen(dir_.string()));
    modPublic::ResetSharedState();
    if (before) before();
    WriteBytes("setup.ini",
               "[MainForm]\r\nPShiftKey=162\r\nPKey=V\r\nGTime=100\r\n"
               "Delay0=200\r\nDelay1=200\r\nHotKeys=-1\r\n");
    hl::ResetForms();
    hl::Log().clear();
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
    hl::AddWindow(kEditor);
    hl::SetForegroundWindow(kEditor);
    hl::Tick(*bar_->Timer1);
    ASSERT_EQ(bar_->TargetWindow, kEditor);
  }
  platform::WindowHandle Bar() const { return bar_->form().hWnd(); }
  std::wstring NoticeLine(const std::wstring& text) const {
    return L"Notice " + std::to_wstring(Bar()) + L" " + text;
  }
  std::unique_ptr<frmStrell> bar_;
};

enum class Outcome { kFront, kClick, kRefused, kDropped, kNothing };

// One press of a key: the window in front, what runs meanwhile, the key.
TEST_F(HotKeysTest, TheWindowInFrontAndWhatRunsDecideThePress) {
  enum class Front { kOther, kBar, kOwn, kShell, kMinimized, kElevated };
  enum class Running { kNothing, kPress, kInputBox, kMessageBox };
  const struct {
    const char* what;
    Front front;
    Running running;
    char digit;
    Outcome outcome;
    const wchar_t* reason;
  } cases[] = {
      {"another editor", Front::kOther, Running::kNothing, '1', Outcome::kFront,
       nullptr},
      {"the bar", Front::kBar, Running::kNothing, '1', Outcome::kClick,
       nullptr},
      {"a window of the program", Front::kOwn, Running::kNothing, '1',
       Outcome::kRefused, L"このウィンドウには貼り付けできません。"},
      {"the desktop", Front::kShell, Running::kNothing, '1', Outcome::kRefused,
       L"このウィンドウには貼り付けできません。"},
      {"a minimized window", Front::kMinimized, Running::kNothing, '1',
       Outcome::kRefused, L"このウィンドウには貼り付けできません。"},
      {"an elevated window", Front::kElevated, Running::kNothing, '1',
       Outcome::kRefused, L"管理者として実行中のウィンドウです。"},
      {"a press runs", Front::kOther, Running::kPress, '1', Outcome::kDropped,
       nullptr},
      {"the bar in front, a press runs", Front::kBar, Running::kPress, '1',
       Outcome::kDropped, nullptr},
      {"an input box is open", Front::kOther, Running::kInputBox, '1',
       Outcome::kDropped, nullptr},
      {"a message box is open", Front::kOther, Running::kMessageBox, '1',
       Outcome::kDropped, nullptr},
      {"the sixth button is missing", Front::kOther, Running::kNothing, '6',
       Outcome::kNothing, nullptr},
      {"the tenth button is missing", Front::kBar, Running::kNothing, '0',
       Outcome::kNothing, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    const platform::WindowHandle other = 0x888;
    hl::FakeWindow w;
    w.minimized = c.front == Front::kMinimized;
    w.elevated = c.front == Front::kElevated;
    if (c.front == Front::kShell) w.className = L"Progman";
    if (c.front == Front::kOwn)
      hl::AddOwnWindow(other);
    else
      hl::AddWindow(other, w);
    const platform::WindowHandle front = c.front == Front::kBar ? Bar() : other;
    hl::SetForegroundWindow(front);
    hl::Log().clear();
    hl::ClipboardText();
    const auto key = [&] {
      EXPECT_TRUE(hl::PressHotKey(kCtrlAlt, static_cast<std::uint8_t>(c.digit),
                                  c.running == Running::kPress));
    };
    if (c.running == Running::kPress) {
      hl::OnSleep(key);  // the key comes while the HR click waits
      hl::Press(*bar_->Check[3]);
      hl::OnSleep(nullptr);
      hl::DeliverPendingHotKeys();
    } else if (c.running == Running::kInputBox) {
      hl::OnInputBox(key);
      hl::PressPictureButton(*bar_->cmdTableSet);
      hl::OnInputBox(nullptr);
    } else if (c.running == Running::kMessageBox) {
      hl::OnMsgBox(key);
      platform::MsgBox(L"?", 0, L"Pinrow");
      hl::OnMsgBox(nullptr);
    } else {
      key();
    }
    const int slot = c.digit == '0' ? 9 : c.digit - '1';
    const bool pasted = Logged(L"ClipboardSetText " + kUl);
    EXPECT_EQ(bar_->TargetWindow, kEditor);
    switch (c.outcome) {
      case Outcome::kFront:
        EXPECT_FALSE(Logged(L"SetForegroundWindow"));
        EXPECT_FALSE(Logged(L"SetWindowPos"));
        EXPECT_TRUE(Logged(L"SendKeys 162 down 86 down"));
        EXPECT_EQ(hl::ClipboardText(), kUl);
        EXPECT_EQ(bar_->Check[0]->Value(), 1);
        break;
      case Outcome::kClick:
        EXPECT_TRUE(Logged(L"SetForegroundWindow " + std::to_wstring(kEditor)));
        EXPECT_TRUE(Logged(L"SendKeys 162 down 86 down"));
        EXPECT_EQ(bar_->Check[0]->Value(), 1);
        break;
      case Outcome::kRefused:
        EXPECT_TRUE(pasted);
        EXPECT_FALSE(Logged(L"SendKeys"));
        EXPECT_TRUE(Logged(NoticeLine(
            std::wstring(L"貼り付け先にキーを送れませんでした。タグはクリップ"
                         L"ボードにあります。\r\n") +
            c.reason)));
        EXPECT_EQ(bar_->Check[0]->Value(), 0);
        break;
      case Outcome::kDropped:
        EXPECT_FALSE(pasted);
        EXPECT_EQ(bar_->Check[0]->Value(), 0);
        break;
      case Outcome::kNothing:
        EXPECT_TRUE(hl::Log().empty() ||
                    !Logged(L"ClipboardSetText") && !Logged(L"Notice"));
        EXPECT_FALSE(bar_->Check[slot]->Visible());
        break;
    }
  }
}

// A key's press pastes only once the user let go of Ctrl and Alt, also the
// Ctrl+C that takes a selection; the menu of the window in front is kept
// shut while Alt is held.
TEST_F(HotKeysTest, KeysGoOutOnlyOnceTheUserLetGo) {
  Start();
  hl::HoldModifierKeys(5);
  ASSERT_TRUE(hl::PressHotKey(kCtrlAlt, '4'));
  const Lines& log = hl::Log();
  const auto first = [&](const std::wstring& prefix) {
    for (std::size_t i = 0; i < log.size(); ++i)
      if (log[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
  };
  ASSERT_GE(first(L"KeepAltFromOpeningMenu"), 0);
  EXPECT_LT(first(L"KeepAltFromOpeningMenu"), first(L"Sleep 10"));
  EXPECT_LT(first(L"Sleep 10"), first(L"SendKeys"));
  EXPECT_EQ(hl::ClipboardText(), L"<hr size='1'>");
}

// Each key is given back under its id before it is taken, with Ctrl+Alt and
// no repeat; a key another program holds is left to it and named once, an
// error of another kind reaches the trap, and the others are taken. The
// tooltips name the keys taken.
TEST_F(HotKeysTest, KeysAreTakenOneByOneAndTheHeldOnesNamed) {
  const struct {
    const char* what;
    std::vector<char> heldElsewhere;
    char failing;
    std::wstring notice;
  } cases[] = {
      {"all free", {}, 0, L""},
      {"one held", {'3'}, 0, L"Ctrl+Alt+3" + kHeld},
      {"two held", {'1', '0'}, 0, L"Ctrl+Alt+1、Ctrl+Alt+0" + kHeld},
      {"one failing", {}, '5', L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Start([&] {
      for (char d : c.heldElsewhere)
        hl::HoldHotKeyElsewhere(kCtrlAlt, static_cast<std::uint8_t>(d));
      if (c.failing) hl::FailHotKey(static_cast<std::uint8_t>(c.failing));
    });
    const std::wstring bar = std::to_wstring(Bar());
    Lines taken;
    for (const std::wstring& line : hl::Log())
      if (line.find(L"HotKey ") != std::wstring::npos) taken.push_back(line);
    Lines want;
    for (int i = 0; i < 10; ++i) {
      const std::wstring id = std::to_wstring(i + 1);
      want.push_back(L"UnregisterHotKey " + bar + L" " + id);
      want.push_back(L"RegisterHotKey " + bar + L" " + id + L" 16387 " +
                     std::to_wstring(i == 9 ? '0' : '1' + i));
    }
    EXPECT_EQ(taken, want);
    Lines notices;
    for (const std::wstring& line : hl::Log())
      if (line.rfind(L"Notice", 0) == 0) notices.push_back(line);
    EXPECT_EQ(notices,
              c.notice.empty() ? Lines{} : Lines{NoticeLine(c.notice)});
    EXPECT_EQ(hl::MsgBoxes().size(), c.failing ? 1u : 0u);
    for (int i = 0; i < 5; ++i) {
      const char d = static_cast<char>('1' + i);
      const bool held =
          std::count(c.heldElsewhere.begin(), c.heldElsewhere.end(), d) ||
          d == c.failing;
      const std::wstring caption = bar_->Check[i]->Caption();
      EXPECT_EQ(bar_->Check[i]->ToolTipText(),
                held ? caption : caption + L"　Ctrl+Alt+" + std::wstring(1, d));
      EXPECT_EQ(hl::PressHotKey(kCtrlAlt, static_cast<std::uint8_t>(d)), !held);
    }
  }
}

// The keys are given back while the dialog is open, so a key then reaches
// no press, then or later; they are taken again (and a held one named
// again) as it closes, or left when the option was turned off there. The
// close of the bar gives them back.
TEST_F(HotKeysTest, TheDialogGivesTheKeysBackWhileItIsOpen) {
  for (bool turnOff : {false, true}) {
    SCOPED_TRACE(turnOff);
    Start([] { hl::HoldHotKeyElsewhere(kCtrlAlt, '2'); });
    hl::QueueModalScript([&](platform::Form& dialog) {
      EXPECT_FALSE(hl::PressHotKey(kCtrlAlt, '1'));
      dialog.Close();
      if (turnOff) modPublic::HotKeys = false;
    });
    hl::Log().clear();
    hl::PressPictureButton(*bar_->cmdSetup);
    hl::DeliverPendingHotKeys();
    EXPECT_EQ(bar_->Check[0]->Value(), 0);
    EXPECT_EQ(hl::PressHotKey(kCtrlAlt, '1'), !turnOff);
    EXPECT_EQ(Logged(NoticeLine(L"Ctrl+Alt+2" + kHeld)), !turnOff);
    EXPECT_EQ(bar_->Check[0]->ToolTipText(),
              turnOff ? L"UL" : L"UL　Ctrl+Alt+1");
    bar_->form().Close();
    EXPECT_FALSE(hl::PressHotKey(kCtrlAlt, '3'));
  }
}

// A digit any installed layout types with Ctrl+Alt (AltGr) is left to it:
// a character or a dead key types; a control character does not.
TEST_F(HotKeysTest, DigitsALayoutTypesWithAreLeftToIt) {
  const platform::Typed nothing{0, 0}, dead{-1, L'^'}, control{1, 0x1B};
  const struct {
    const char* what;
    std::vector<hl::FakeLayout> layouts;
    std::vector<std::uint8_t> typing;
  } cases[] = {
      {"no layout", {}, {}},
      {"US", {{{'1', nothing}}}, {}},
      {"German beside US",
       {{}, {{'2', {1, L'²'}}, {'7', {1, L'{'}}, {'0', {1, L'}'}}}},
       {'2', '7', '0'}},
      {"a dead key", {{{'3', dead}}}, {'3'}},
      {"a control character", {{{'6', control}}}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hl::SetKeyboardLayouts(c.layouts);
    std::vector<std::uint8_t> keys;
    for (int i = 0; i < hotkeys::kKeys; ++i) keys.push_back(hotkeys::KeyOf(i));
    EXPECT_EQ(platform::KeysTypingWithCtrlAlt(keys), c.typing);
  }
  // At start the bar neither takes them nor shows them, and names them.
  Start([&] { hl::SetKeyboardLayouts(cases[2].layouts); });
  EXPECT_FALSE(Logged(L"RegisterHotKey " + std::to_wstring(Bar()) + L" 2 "));
  EXPECT_TRUE(Logged(NoticeLine(
      L"Ctrl+Alt+2、Ctrl+Alt+7、Ctrl+Alt+0 はキーボードの配列で文字の入力に使わ"
      L"れるため、使えません。")));
  EXPECT_EQ(bar_->Check[1]->ToolTipText(), L"OL");
  EXPECT_FALSE(hl::PressHotKey(kCtrlAlt, '2'));
  EXPECT_TRUE(hl::PressHotKey(kCtrlAlt, '3'));
}

}  // namespace
