// Tag insertion: which tag a press pastes, the sequence of the paste and its
// refusals, and which window the timer records as the target.
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

  // The log of a paste of `text` into the editor: asked whether it answers,
  // brought back, then the waits and keys.
  static Lines PasteLog(const std::wstring& text, const Lines& keys) {
    Lines log = {L"ClipboardSetText " + text, L"Ask 1911 300",
                 L"SetForegroundWindow 1911"};
    log.insert(log.end(), keys.begin(), keys.end());
    return log;
  }

  // The notice of a refusal, as the bar shows it.
  std::wstring Notice(const std::wstring& reason) const {
    return L"Notice " + std::to_wstring(bar_->form().hWnd()) +
           L" 貼り付け先にキーを送れませんでした。タグはクリップボードにありま"
           L"す。"
           L"\r\n" +
           reason;
  }

  static bool Logged(const std::wstring& prefix) {
    for (const std::wstring& line : hl::Log())
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
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

// A button without an end tag pastes its start tag at every press and
// does not stay down, since no element is left open.
TEST_F(PasteTest, ButtonWithoutEndTagPastesStartTagOnEveryPress) {
  for (int press = 0; press < 3; ++press) {
    EXPECT_EQ(PressAndRead(3), L"<hr size='1'>") << "press " << press;
    EXPECT_EQ(Button(3).Value(), 0) << "press " << press;
  }
}

// Modifier and key go down in one input and up in another; the target is
// asked, with a limit, before anything is done to it.
TEST_F(PasteTest, DefaultSettingsTypeCtrlVIntoTheTargetBroughtBack) {
  hl::Press(Button(2));
  EXPECT_EQ(hl::Log(),
            PasteLog(L"<li>", {L"Sleep 200", L"SendKeys 162 down 86 down",
                               L"Sleep 200", L"SendKeys 86 up 162 up"}));
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(platform::GetForegroundWindow(), kEditor);
}

// Modifier codes that do not fit a key byte send no modifier at all; the
// stored "Shift" (246, a key that input methods take as a mode switch)
// sends left Shift.
TEST_F(PasteTest, ModifierIsSentOnlyForCodesOfOneToTwoFiftyFive) {
  const Lines bare = {L"Sleep 200", L"SendKeys 86 down", L"Sleep 200",
                      L"SendKeys 86 up"};
  auto held = [](const std::wstring& vk) {
    return Lines{L"Sleep 200", L"SendKeys " + vk + L" down 86 down",
                 L"Sleep 200", L"SendKeys 86 up " + vk + L" up"};
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
  EXPECT_EQ(hl::Log(), PasteLog(L"<hr size='1'>",
                                {L"Sleep 0", L"SendKeys 162 down 86 down",
                                 L"Sleep 0", L"SendKeys 86 up 162 up"}));
}

// The paste key is the stored text's first character, made upper-case,
// when it is a letter or a digit; any other is refused before the target is
// touched (no error box), the tag on the clipboard and the button as before.
TEST_F(PasteTest, PasteKeyIsALetterOrDigitOrTheOneRefusedBeforeTheTarget) {
  const struct {
    std::wstring stored;
    int vk;  // 0: refused
  } cases[] = {{L"V", 86}, {L"v", 86}, {L"ab", 65},    {L"7", 55}, {L"あ", 0},
               {L"", 0},   {L"-", 0},  {L"\uFF56", 0}, {L"€", 0},  {L" V", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vk);
    modPublic::PasteKey = c.stored;
    Button(0).SetValue(0);
    hl::Log().clear();
    hl::Press(Button(0));
    EXPECT_TRUE(hl::MsgBoxes().empty());
    if (c.vk) {
      EXPECT_TRUE(
          Logged(L"SendKeys 162 down " + std::to_wstring(c.vk) + L" down"));
      EXPECT_EQ(Button(0).Value(), 1);
      continue;
    }
    EXPECT_EQ(hl::Log(),
              (Lines{L"ClipboardSetText <ul style='list-style-type:square;'>",
                     Notice(L"貼り付けのショートカットキーの設定が正しくありま"
                            L"せん。")}));
    EXPECT_EQ(Button(0).Value(), 0);
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
  EXPECT_FALSE(Logged(L"SendKeys"));
  EXPECT_FALSE(Logged(L"SetForegroundWindow"));
}

// The keys go out only to a target that can take them. Otherwise the user
// is told why, the tag stays on the clipboard and the button is as before
// the press, so the next press offers the same tag. What the target is
// (closed, a surface of the shell, elevated, of an unknown level, busy) is
// read before anything is done to it; the level before it is asked to
// answer, since the system filters messages to an elevated window too.
TEST_F(PasteTest, KeysGoOnlyToATargetThatCanTakeThem) {
  const std::wstring front = L"ウィンドウが前面に出ませんでした。";
  auto window = [](auto set) {
    hl::FakeWindow w;
    set(w);
    return w;
  };
  using W = hl::FakeWindow;
  const struct {
    const char* what;
    W window;
    bool closed;
    std::wstring reason;  // empty: the keys are sent
    bool asked, broughtBack;
  } cases[] = {
      {"ordinary", W{}, false, L"", true, true},
      {"minimized", window([](W& w) { w.minimized = true; }), false, L"", true,
       true},
      {"closed", W{}, true, L"ウィンドウが閉じられています。", false, false},
      {"desktop", window([](W& w) { w.className = L"Progman"; }), false, front,
       false, false},
      {"Search", window([](W& w) {
         w.className = L"Windows.UI.Core.CoreWindow";
         w.image = L"SearchHost.exe";
       }),
       false, front, false, false},
      {"cloaked", window([](W& w) { w.cloaked = true; }), false, front, false,
       false},
      {"elevated", window([](W& w) { w.elevated = true; }), false,
       L"管理者として実行中のウィンドウです。", false, false},
      {"unreadable", window([](W& w) { w.unreadable = true; }), false,
       L"管理者として実行中か、別のユーザーのウィンドウです。", false, false},
      {"hung", window([](W& w) { w.hung = true; }), false,
       L"ウィンドウが応答していません。", true, false},
      {"activation refused", window([](W& w) { w.keepsBack = true; }), false,
       front, true, true},
      {"stays behind", window([](W& w) { w.slipsBack = true; }), false, front,
       true, true},
  };
  const std::wstring ul = L"<ul style='list-style-type:square;'>";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hl::CloseWindow(kEditor);
    if (!c.closed) hl::AddWindow(kEditor, c.window);
    hl::SetForegroundWindow(bar_->form().hWnd());
    Button(0).SetValue(0);
    hl::Log().clear();
    EXPECT_EQ(PressAndRead(0), ul);
    const bool sent = c.reason.empty();
    EXPECT_EQ(Button(0).Value(), sent ? 1 : 0);
    EXPECT_EQ(Logged(L"SendKeys"), sent);
    EXPECT_EQ(Logged(L"Notice"), !sent);
    if (!sent) EXPECT_EQ(hl::Log().back(), Notice(c.reason));
    EXPECT_EQ(Logged(L"Ask 1911 300"), c.asked);
    EXPECT_EQ(Logged(L"SetForegroundWindow 1911"), c.broughtBack);
    EXPECT_TRUE(hl::MsgBoxes().empty());
  }
}

// A minimized target is restored, without waiting for its program, before
// it is brought back; one that is not minimized is left as it is.
TEST_F(PasteTest, AMinimizedTargetIsRestoredBeforeItIsBroughtBack) {
  hl::FakeWindow minimized;
  minimized.minimized = true;
  hl::AddWindow(kEditor, minimized);
  hl::Press(Button(3));
  const Lines& log = hl::Log();
  const auto restore = std::find(log.begin(), log.end(), L"Restore 1911");
  ASSERT_NE(restore, log.end());
  EXPECT_EQ(*(restore + 1), L"SetForegroundWindow 1911");
  EXPECT_FALSE(hl::WindowOf(kEditor).minimized);
  hl::Log().clear();
  hl::Press(Button(3));
  EXPECT_FALSE(Logged(L"Restore"));
}

// When another thread blocks input, fewer events go in than were given:
// what went down is released, the user is told and the button is put back.
TEST_F(PasteTest, KeysThatDidNotAllGoInAreReleasedAndReported) {
  const struct {
    const char* what;
    std::vector<int> limits;
    Lines keys;
  } cases[] = {
      {"nothing went down", {0}, {L"SendKeys"}},
      {"only Ctrl went down", {1}, {L"SendKeys 162 down", L"SendKeys 162 up"}},
      {"V was not released",
       {-1, 1},
       {L"SendKeys 162 down 86 down", L"Sleep 200", L"SendKeys 86 up"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Button(0).SetValue(0);
    hl::LimitNextInputs(c.limits);
    hl::Log().clear();
    hl::Press(Button(0));
    Lines keys;
    for (const std::wstring& line : hl::Log())
      if (line.rfind(L"SendKeys", 0) == 0 || line == L"Sleep 200")
        keys.push_back(line);
    keys.erase(keys.begin());  // the first wait
    EXPECT_EQ(keys, c.keys);
    EXPECT_EQ(hl::Log().back(), Notice(L"キーを送れませんでした。"));
    EXPECT_EQ(Button(0).Value(), 0);
  }
}

// Modifier keys the user still holds after the first wait are waited out in
// steps of 10 ms, for a second at most; still held then, nothing is typed
// (they would join the shortcut) and the user is told.
TEST_F(PasteTest, WaitsForTheUsersModifierKeys) {
  for (int held : {3, 1000}) {
    hl::HoldModifierKeys(held);
    hl::Log().clear();
    hl::Press(Button(0));
    const Lines& log = hl::Log();
    const auto first = std::find(log.begin(), log.end(), L"Sleep 200");
    ASSERT_NE(first, log.end());
    EXPECT_EQ(std::count(first + 1, log.end(), L"Sleep 10"),
              std::min(held, 100));
    const bool released = held < 100;
    EXPECT_EQ(Logged(L"SendKeys"), released);
    EXPECT_EQ(Button(0).Value(), released ? 1 : 0);
    if (!released) EXPECT_EQ(log.back(), Notice(L"キーが押されたままです。"));
    Button(0).SetValue(0);
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
  hl::AddWindow(0x888);
  hl::SetForegroundWindow(0x888);
  hl::Tick(*bar_->Timer1);
  EXPECT_EQ(bar_->TargetWindow, 0x888);
}

// Windows where the user does not type never become the target, and the
// previous target stays: the desktop, the task bars, the shell's panes and
// switchers, cloaked windows and windows that never take the activation.
// A core window is the shell's only in the shell's own hosts: the window
// of a UWP app (its own process) is a target like any other.
TEST_F(PasteTest, TimerRecordsOnlyWindowsTheUserTypesIn) {
  using W = hl::FakeWindow;
  auto window = [](const wchar_t* cls, const wchar_t* image) {
    W w;
    w.className = cls;
    w.image = image;
    return w;
  };
  W cloaked, noActivate;
  cloaked.cloaked = true;
  noActivate.noActivate = true;
  const wchar_t* core = L"Windows.UI.Core.CoreWindow";
  const struct {
    const char* what;
    W window;
    bool recorded;
  } cases[] = {
      {"desktop", window(L"Progman", L"explorer.exe"), false},
      {"task bar", window(L"Shell_TrayWnd", L"explorer.exe"), false},
      {"task switcher",
       window(L"XamlExplorerHostIslandWindow", L"explorer.exe"), false},
      {"Start", window(core, L"StartMenuExperienceHost.exe"), false},
      {"Search", window(core, L"searchhost.exe"), false},
      {"notification pane", window(core, L"ShellExperienceHost.exe"), false},
      {"cloaked", cloaked, false},
      {"never activated", noActivate, false},
      {"UWP app", window(core, L"CalculatorApp.exe"), true},
      {"core window of an unknown program", window(core, L""), true},
      {"ordinary", W{}, true},
  };
  platform::WindowHandle h = 0x900;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hl::AddWindow(++h, c.window);
    hl::SetForegroundWindow(h);
    hl::Tick(*bar_->Timer1);
    EXPECT_EQ(bar_->TargetWindow, c.recorded ? h : kEditor);
    bar_->TargetWindow = kEditor;
  }
}

// A press brings the bar to the front; the target is brought back then.
// When the system refuses that, the bar stays in front, nothing is typed
// and the target is kept.
TEST_F(PasteTest, PressingTheBarBringsItToFrontButKeepsTheTarget) {
  hl::Press(Button(3));
  EXPECT_EQ(platform::GetForegroundWindow(), kEditor);
  hl::FakeWindow keptBack;
  keptBack.keepsBack = true;
  hl::AddWindow(kEditor, keptBack);
  hl::SetForegroundWindow(bar_->form().hWnd());
  hl::Log().clear();
  hl::Press(Button(3));
  EXPECT_EQ(platform::GetForegroundWindow(), bar_->form().hWnd());
  EXPECT_FALSE(Logged(L"SendKeys"));
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
  EXPECT_TRUE(Logged(L"SetForegroundWindow 1911"));
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
// a press only fills the clipboard and says so.
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
  ASSERT_EQ(hl::Log().size(), 2u);
  EXPECT_NE(hl::Log()[1].find(L"ウィンドウが前面に出ませんでした。"),
            std::wstring::npos);
  EXPECT_EQ(hl::ClipboardText(), L"<ul style='list-style-type:square;'>");
  EXPECT_EQ(bar.Check[0]->Value(), 0);
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
