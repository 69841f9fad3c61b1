// Tag insertion: which tag a press pastes, the key and z-order sequence of
// the paste, and which window the timer records as the target.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bar/frmStrell.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "test_support.h"

namespace {

namespace hl = platform::headless;
using Lines = std::vector<std::wstring>;

constexpr platform::WindowHandle kEditor = 0x777;

// The bar loaded in a fresh folder (default settings and buttons), with the
// editor in front and recorded as the target.
class PasteTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
    hl::AddWindow(kEditor);
    hl::SetForegroundWindow(kEditor);
    hl::Tick(*bar_->Timer1);
    ASSERT_EQ(bar_->TargetWindow, kEditor);
    hl::Log().clear();
  }

  platform::ToggleButton& Button(int i) { return *bar_->Check[i]; }

  // What one press of Check(i) puts on the clipboard.
  std::wstring PressAndRead(int i) {
    hl::Press(Button(i));
    return hl::ClipboardText();
  }

  static Lines PasteLog(const std::wstring& text, const Lines& keys,
                        const std::wstring& target = L"1911") {
    Lines log = {L"ClipboardSetText " + text,
                 L"SetWindowPos " + target + L" -1 3"};
    log.insert(log.end(), keys.begin(), keys.end());
    log.push_back(L"SetWindowPos " + target + L" -2 3");
    return log;
  }

  std::unique_ptr<frmStrell> bar_;
};

TEST_F(PasteTest, ButtonWithEndTagAlternatesStartAndEndTag) {
  const std::wstring ul = L"<ul style='list-style-type:square;'>";
  EXPECT_EQ(PressAndRead(0), ul);
  EXPECT_EQ(Button(0).Value(), 1);
  EXPECT_EQ(PressAndRead(0), L"</ul>");
  EXPECT_EQ(Button(0).Value(), 0);
  EXPECT_EQ(PressAndRead(0), ul);
  EXPECT_EQ(Button(0).Value(), 1);
}

TEST_F(PasteTest, ButtonWithoutEndTagPastesStartTagOnEveryPress) {
  for (int press = 0; press < 3; ++press)
    EXPECT_EQ(PressAndRead(3), L"<hr size='1'>") << "press " << press;
}

TEST_F(PasteTest, DefaultSettingsTypeCtrlVIntoTheRaisedTarget) {
  hl::Press(Button(2));
  EXPECT_EQ(
      hl::Log(),
      PasteLog(L"<li>", {L"Sleep 200", L"SendKey 162 down", L"SendKey 86 down",
                         L"Sleep 200", L"SendKey 86 up", L"SendKey 162 up"}));
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

// Modifier codes that do not fit a key byte send no modifier at all; the
// stored "Shift" (246, a key that input methods take as a mode switch)
// sends left Shift.
TEST_F(PasteTest, ModifierIsSentOnlyForCodesOfOneToTwoFiftyFive) {
  const Lines bare = {L"Sleep 200", L"SendKey 86 down", L"Sleep 200",
                      L"SendKey 86 up"};
  auto held = [](const std::wstring& vk) {
    return Lines{L"Sleep 200",       L"SendKey " + vk + L" down",
                 L"SendKey 86 down", L"Sleep 200",
                 L"SendKey 86 up",   L"SendKey " + vk + L" up"};
  };
  struct Case {
    std::int32_t code;
    Lines keys;
  } cases[] = {
      {0, bare},           {256, bare},         {-1, bare},
      {163, held(L"163")}, {246, held(L"160")},
  };
  for (const Case& c : cases) {
    modPublic::PasteShiftKey = c.code;
    hl::Log().clear();
    hl::Press(Button(3));
    EXPECT_EQ(hl::Log(), PasteLog(L"<hr size='1'>", c.keys))
        << "PasteShiftKey " << c.code;
  }
}

TEST_F(PasteTest, NegativeDelaysWaitNothing) {
  modPublic::Delay[0] = -5;
  modPublic::Delay[1] = -32768;
  hl::Press(Button(3));
  EXPECT_EQ(hl::Log(),
            PasteLog(L"<hr size='1'>",
                     {L"Sleep 0", L"SendKey 162 down", L"SendKey 86 down",
                      L"Sleep 0", L"SendKey 86 up", L"SendKey 162 up"}));
}

// A paste key without a single-byte code presses nothing, still takes the
// target out of the topmost group, and reports through the click's trap.
TEST_F(PasteTest, PasteKeyWithoutSingleByteCodeFailsAfterRestoringZOrder) {
  for (const std::wstring key : {L"あ", L"€", L""}) {
    modPublic::PasteKey = key;
    hl::Log().clear();
    hl::MsgBoxes().clear();
    hl::Press(Button(3));
    const Lines log = hl::Log();
    ASSERT_EQ(log.size(), 4u);  // set, raise, restore, the report
    EXPECT_EQ(log[1], L"SetWindowPos 1911 -1 3");
    EXPECT_EQ(log[2], L"SetWindowPos 1911 -2 3");
    ASSERT_EQ(hl::MsgBoxes().size(), 1u);
    EXPECT_EQ(hl::MsgBoxes()[0].prompt.rfind(
                  L"タグボタンのクリック時でエラーが発生しました。\r\n", 0),
              0u);
  }
}

// A clipboard held for a moment is waited out; one held for longer keeps its
// old content, is reported (the box owned by the bar, though the editor is
// in front) and sends no keys.
TEST_F(PasteTest, ClipboardHeldByAnotherProgram) {
  hl::HoldClipboard(400);
  EXPECT_EQ(PressAndRead(3), L"<hr size='1'>");
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(platform::GetForegroundWindow(), kEditor);
  hl::Log().clear();
  hl::HoldClipboard(1500);
  hl::Press(Button(0));
  EXPECT_EQ(hl::ClipboardText(), L"<hr size='1'>");
  ASSERT_EQ(hl::MsgBoxes().size(), 1u);
  EXPECT_EQ(hl::MsgBoxes()[0].prompt.rfind(L"タグボタンのクリック時", 0), 0u);
  EXPECT_EQ(hl::LastBoxOwner(), bar_->form().hWnd());
  for (const std::wstring& line : hl::Log())
    EXPECT_EQ(line.find(L"SendKey"), std::wstring::npos) << line;
}

// After the first wait the keys go out only to a target that can take them.
// Otherwise the user is told why, the tag stays on the clipboard and the
// button is as before the press, so the next press offers the same tag. A
// hung target is not even raised: moving it would wait on its program.
TEST_F(PasteTest, KeysGoOnlyToATargetThatCanTakeThem) {
  const std::wstring front = L"ウィンドウが前面に出ませんでした。";
  struct Case {
    const char* what;
    bool hl::FakeWindow::*flag;  // null: an ordinary window
    bool closed;
    std::wstring reason;  // empty: the keys are sent
  } cases[] = {
      {"ordinary", nullptr, false, L""},
      {"closed", nullptr, true, front},
      {"desktop", &hl::FakeWindow::shell, false, front},
      {"kept back", &hl::FakeWindow::keepsBack, false, front},
      {"hung", &hl::FakeWindow::hung, false, L"ウィンドウが応答していません。"},
      {"elevated", &hl::FakeWindow::elevated, false,
       L"管理者として実行中のウィンドウです。"},
  };
  const std::wstring ul = L"<ul style='list-style-type:square;'>";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    hl::FakeWindow window;
    if (c.flag) window.*c.flag = true;
    hl::CloseWindow(kEditor);
    if (!c.closed) hl::AddWindow(kEditor, window);
    Button(0).SetValue(0);
    hl::Log().clear();
    EXPECT_EQ(PressAndRead(0), ul);
    const Lines& log = hl::Log();
    const bool sent = c.reason.empty();
    EXPECT_EQ(Button(0).Value(), sent ? 1 : 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"SendKey 86 down"),
              sent ? 1 : 0);
    const std::wstring notice =
        L"Notice " + std::to_wstring(bar_->form().hWnd()) +
        L" 貼り付け先にキーを送れませんでした。タグはクリップボードにあります。"
        L"\r\n" +
        c.reason;
    EXPECT_EQ(std::count(log.begin(), log.end(), notice), sent ? 0 : 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"SetWindowPos 1911 -1 3"),
              window.hung ? 0 : 1);
  }
}

// Modifier keys the user still holds after the first wait are waited out in
// steps of 10 ms, for a second at most; then the keys go out anyway.
TEST_F(PasteTest, WaitsForTheUsersModifierKeys) {
  for (int held : {3, 1000}) {
    hl::HoldModifierKeys(held);
    hl::Log().clear();
    hl::Press(Button(3));
    const Lines& log = hl::Log();
    const auto first = std::find(log.begin(), log.end(), L"Sleep 200");
    const auto keys = std::find(log.begin(), log.end(), L"SendKey 162 down");
    ASSERT_LT(first, keys);
    EXPECT_EQ(std::count(first + 1, keys, L"Sleep 10"), std::min(held, 100));
  }
}

// ---- the target window
// -------------------------------------------------------

TEST_F(PasteTest, TimerIgnoresNullAndTheProgramsOwnWindows) {
  const platform::WindowHandle ownBox = 0x4242;
  hl::AddOwnWindow(ownBox);
  for (platform::WindowHandle h :
       {platform::WindowHandle{0}, bar_->form().hWnd(), ownBox}) {
    hl::SetForegroundWindow(h);
    hl::Tick(*bar_->Timer1);
    EXPECT_EQ(bar_->TargetWindow, kEditor) << "foreground " << h;
  }
  hl::SetForegroundWindow(0x888);
  hl::Tick(*bar_->Timer1);
  EXPECT_EQ(bar_->TargetWindow, 0x888);
}

// A press brings the bar to the front; raising the target activates it
// again. When that fails, the bar stays in front and the target is kept.
TEST_F(PasteTest, PressingTheBarBringsItToFrontButKeepsTheTarget) {
  hl::Press(Button(3));
  EXPECT_EQ(platform::GetForegroundWindow(), kEditor);
  hl::FakeWindow keptBack;
  keptBack.keepsBack = true;
  hl::AddWindow(kEditor, keptBack);
  hl::Press(Button(3));
  EXPECT_EQ(platform::GetForegroundWindow(), bar_->form().hWnd());
  hl::Tick(*bar_->Timer1);
  EXPECT_EQ(bar_->TargetWindow, kEditor);
}

TEST_F(PasteTest, SettingsDialogNeverBecomesTheTarget) {
  hl::QueueModalScript([&](platform::Form& dialog) {
    EXPECT_EQ(platform::GetForegroundWindow(), dialog.hWnd());
    hl::Tick(*bar_->Timer1);
    EXPECT_EQ(bar_->TargetWindow, kEditor);
  });
  hl::PressPictureButton(*bar_->cmdSetup);
  hl::Log().clear();
  hl::Press(Button(3));
  EXPECT_EQ(hl::Log()[1], L"SetWindowPos 1911 -1 3");
}

TEST_F(PasteTest, MouseDownWithShiftArmsDraggingAndAnyKeyUpDisarms) {
  struct Case {
    int button, shift;
    platform::DragMode expected;
  } cases[] = {
      {1, 0, platform::DragMode::Manual},
      {1, platform::kCtrlMask, platform::DragMode::Manual},
      {1, platform::kShiftMask, platform::DragMode::Automatic},
      {2, platform::kShiftMask | platform::kAltMask,
       platform::DragMode::Automatic},
  };
  for (const Case& c : cases) {
    hl::MouseDown(Button(1), c.button, c.shift, 10, 10);
    EXPECT_EQ(Button(1).GetDragMode(), c.expected)
        << c.button << "/" << c.shift;
    hl::KeyUp(Button(1), 16, 0);
    EXPECT_EQ(Button(1).GetDragMode(), platform::DragMode::Manual);
  }
}

TEST_F(PasteTest, ArmedButtonDragsInsteadOfPasting) {
  hl::MouseDown(Button(1), 1, platform::kShiftMask, 10, 10);
  hl::Log().clear();
  hl::Press(Button(1));
  EXPECT_TRUE(hl::Log().empty());
  EXPECT_EQ(Button(1).Value(), 0);
}

// The timer is never started with GTime 0, so nothing is ever recorded and
// a press only fills the clipboard (both z-order calls name no window).
class NoTimerTest : public testing_support::AppFolderTest {};

TEST_F(NoTimerTest, ZeroIntervalNeverTicks) {
  WriteBytes("setup.ini", "[MainForm]\r\nGTime=0\r\n");
  hl::ResetForms();
  frmStrell bar;
  bar.LoadAndShow();
  EXPECT_EQ(bar.Timer1->Interval(), 0);
  hl::SetForegroundWindow(kEditor);
  hl::Tick(*bar.Timer1);
  EXPECT_EQ(bar.TargetWindow, 0);
  hl::Log().clear();
  hl::Press(*bar.Check[0]);
  EXPECT_EQ(hl::Log()[1], L"SetWindowPos 0 -1 3");
  EXPECT_EQ(hl::ClipboardText(), L"<ul style='list-style-type:square;'>");
}

}  // namespace

// A byte the code page does not define stays in the table (the file keeps
// it) but is shown and pasted as "・", never as half a character.
TEST_F(PasteTest, UndefinedBytesShowAndPasteAsADot) {
  using modPublic::TagTable;
  const std::wstring escaped = std::wstring(L"<b") + wchar_t(0xDC81) + L">";
  TagTable(0, modPublic::colTagS) = escaped;
  TagTable(0, modPublic::colCaption) = std::wstring(L"B") + wchar_t(0xDCFF);
  modPublic::ConfigureButtons(bar_->Check);
  EXPECT_EQ(PressAndRead(0), L"<b・>");
  EXPECT_EQ(Button(0).Caption(), L"B・");
  EXPECT_EQ(TagTable(0, modPublic::colTagS), vb::Variant(escaped));
}
