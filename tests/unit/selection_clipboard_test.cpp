// The two paste options: a start tag wrapped around the target's selection,
// and the clipboard given back after the paste. The target's copy and the
// clipboard's sequence number, formats and owner are the headless fakes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bar/frmStrell.h"
#include "bar/selection.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "test_support.h"

namespace {

namespace hl = platform::headless;
using Lines = std::vector<std::wstring>;
using platform::ClipboardFormat;

constexpr platform::WindowHandle kEditor = 0x777;
const std::wstring kUl = L"<ul style='list-style-type:square;'>";
const std::wstring kHr = L"<hr size='1'>";
const std::wstring kCopyKeys = L"SendKeys 162 down 67 down 67 up 162 up";

// ---- the decisions, alone ---------------------------------------------------

TEST(SelectionRules, AsksOnlyForAStartTagWithAnEndTagPastedWithCtrlV) {
  const selection::Press ok{true, 162, L"V", true, true, false};
  auto with = [&](auto change) {
    selection::Press p = ok;
    change(p);
    return p;
  };
  using P = selection::Press;
  const struct {
    const char* what;
    P press;
    bool asks;
  } cases[] = {
      {"left Ctrl + V", ok, true},
      {"right Ctrl (the item Alt)", with([](P& p) { p.pasteShiftKey = 163; }),
       true},
      {"Ctrl", with([](P& p) { p.pasteShiftKey = 17; }), true},
      {"lower-case v", with([](P& p) { p.pasteKey = L"v"; }), true},
      {"option off", with([](P& p) { p.optionOn = false; }), false},
      {"no modifier", with([](P& p) { p.pasteShiftKey = 0; }), false},
      {"Shift", with([](P& p) { p.pasteShiftKey = 246; }), false},
      {"left Alt (a hand edit)", with([](P& p) { p.pasteShiftKey = 164; }),
       false},
      {"another key", with([](P& p) { p.pasteKey = L"Y"; }), false},
      {"a button that is down", with([](P& p) { p.startTag = false; }), false},
      {"no end tag", with([](P& p) { p.hasEndTag = false; }), false},
      {"a terminal", with([](P& p) { p.terminal = true; }), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(selection::AsksForSelection(c.press), c.asks) << c.what;
}

// ---- the press --------------------------------------------------------------

// The bar loaded in a fresh folder (default settings and buttons), with the
// editor in front and recorded as the target.
class OptionsTest : public testing_support::AppFolderTest {
 public:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
    Editor();
    hl::SetForegroundWindow(kEditor);
    hl::Tick(*bar_->Timer1);
    ASSERT_EQ(bar_->TargetWindow, kEditor);
    hl::Log().clear();
  }

  static void Editor(const hl::FakeWindow& w = {}) {
    hl::CloseWindow(kEditor);
    hl::AddWindow(kEditor, w);
  }
  static hl::FakeWindow Copying(const hl::FakeCopy& copy) {
    hl::FakeWindow w;
    w.copies = copy;
    return w;
  }

  platform::ToggleButton& Button(int i) { return *bar_->Check[i]; }
  platform::Timer& Restore() { return *bar_->tmrRestore; }

  static bool Logged(const std::wstring& line) {
    const Lines& log = hl::Log();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  static long Count(const std::wstring& line) {
    return std::count(hl::Log().begin(), hl::Log().end(), line);
  }
  // The text the last ClipboardSetText put on the clipboard.
  static std::wstring LastSet() {
    const std::wstring head = L"ClipboardSetText ";
    for (auto l = hl::Log().rbegin(); l != hl::Log().rend(); ++l)
      if (l->rfind(head, 0) == 0) return l->substr(head.size());
    return L"<none>";
  }

  std::unique_ptr<frmStrell> bar_;
};

// With the option on, a press asks for the selection only where it can be
// wrapped; only the target's own copy of a selection is wrapped, and the
// button then stays up. Anything else pastes the start tag as without the
// option, the button down; the paste keys come last either way.
TEST_F(OptionsTest, WrapsOnlyTheTargetsOwnSelection) {
  modPublic::WrapSelection = true;
  const std::wstring ul = L"<ul style='list-style-type:square;'>";
  auto copy = [](const wchar_t* text, std::vector<std::wstring> marks = {},
                 int afterMs = 0, std::uint32_t by = 0) {
    return Copying({text, std::move(marks), afterMs, by});
  };
  hl::FakeWindow terminal = copy(L"word");
  terminal.className = L"ConsoleWindowClass";
  const struct {
    const char* what;
    hl::FakeWindow editor;
    int button, valueBefore;
    bool asked;
    std::wstring pasted;
    int valueAfter;
  } cases[] = {
      {"a selection", copy(L"word"), 0, 0, true, ul + L"word</ul>", 0},
      {"a selection of lines", copy(L"a\r\nb"), 2, 0, true, L"<li>a\r\nb</li>",
       0},
      {"nothing selected", {}, 0, 0, true, ul, 1},
      {"an empty copy", copy(L""), 0, 0, true, ul, 1},
      {"a line copied", copy(L"line\r\n", {L"MSDEVLineSelect"}), 0, 0, true, ul,
       1},
      {"a line copied (newer Visual Studio)",
       copy(L"line\r\n",
            {L"VisualStudioEditorOperationsLineCutCopyClipboardTag"}),
       0, 0, true, ul, 1},
      {"a box selection", copy(L"a\r\nb", {L"MSDEVColumnSelect"}), 0, 0, true,
       ul, 1},
      {"another program's copy", copy(L"x", {}, 0, 0x4242), 0, 0, true, ul, 1},
      {"a copy after the wait", copy(L"word", {}, 400), 0, 0, true, ul, 1},
      {"a button that is down", copy(L"word"), 0, 1, false, L"</ul>", 0},
      {"no end tag", copy(L"word"), 3, 0, false, kHr, 0},
      {"a terminal", terminal, 0, 0, false, ul, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Editor(c.editor);
    Button(c.button).SetValue(c.valueBefore);
    hl::Log().clear();
    hl::Press(Button(c.button));
    EXPECT_EQ(Logged(kCopyKeys), c.asked);
    EXPECT_EQ(LastSet(), c.pasted);
    EXPECT_EQ(hl::Log().back(), L"SendKeys 86 up 162 up");
    EXPECT_EQ(Button(c.button).Value(), c.valueAfter);
    hl::AdvanceClock(1000);  // the late copy lands
  }
}

// The wait for the copy ends as soon as the clipboard changes, and lasts
// 300 ms at most, in short steps that let no other event run.
TEST_F(OptionsTest, TheWaitForTheCopyEndsWithItAndLasts300MsAtMost) {
  modPublic::WrapSelection = true;
  for (int afterMs : {0, 20, -1}) {
    SCOPED_TRACE(afterMs);
    Editor(afterMs < 0 ? hl::FakeWindow{} : Copying({L"w", {}, afterMs}));
    Button(0).SetValue(0);
    hl::Log().clear();
    hl::Press(Button(0));
    EXPECT_EQ(Count(L"Pause 5"), afterMs < 0 ? 60 : afterMs / 5);
    EXPECT_FALSE(Logged(L"DoEvents"));
  }
}

// The copy goes to the target with the paste's own Ctrl key; the table
// button never asks for one; blocked input at the copy is a refusal.
TEST_F(OptionsTest, CopyKeysFollowThePasteAndAreChecked) {
  modPublic::WrapSelection = true;
  Editor(Copying({L"word"}));
  modPublic::PasteShiftKey = 163;
  hl::Press(Button(0));
  EXPECT_TRUE(Logged(L"SendKeys 163 down 67 down 67 up 163 up"));

  modPublic::PasteShiftKey = 162;
  hl::QueueInputBoxAnswer(L"1");
  hl::QueueInputBoxAnswer(L"1");
  hl::Log().clear();
  hl::PressPictureButton(*bar_->cmdTableSet);
  EXPECT_TRUE(Logged(L"SendKeys 86 up 162 up"));
  EXPECT_FALSE(Logged(kCopyKeys));

  Button(0).SetValue(0);
  hl::LimitNextInputs({2});
  hl::Log().clear();
  hl::Press(Button(0));
  EXPECT_TRUE(Logged(L"SendKeys 67 up 162 up"));
  EXPECT_NE(hl::Log().back().find(L"キーを送れませんでした。"),
            std::wstring::npos);
  EXPECT_EQ(Button(0).Value(), 0);
  EXPECT_EQ(hl::ClipboardText(), kUl);
}

// ---- the clipboard given back -----------------------------------------------

class RestoreTest : public OptionsTest {
 public:
  void SetUp() override {
    OptionsTest::SetUp();
    modPublic::RestoreClipboard = true;
    hl::PutOnClipboard(hl::TextFormats(), L"mine");
    hl::Log().clear();
  }
  // A second on: the restore's time has come.
  void Tick() {
    hl::AdvanceClock(ClipboardKeeper::kRestoreAfterMs);
    hl::Tick(Restore());
  }
};

// What the clipboard held is given back a second after the paste only when
// it was nothing but text, or empty; anything else is never read, and the
// tag stays. The text comes back with the marks that keep it out of the
// clipboard history.
TEST_F(RestoreTest, GivesBackPlainTextAndEmptinessOnly) {
  std::vector<ClipboardFormat> html = hl::TextFormats();
  html.push_back(hl::Registered(L"HTML Format"));
  std::vector<ClipboardFormat> editors = hl::TextFormats();
  editors.push_back(hl::Registered(L"an editor's own format"));
  const struct {
    const char* what;
    std::vector<ClipboardFormat> formats;
    bool read;
    std::wstring after;  // the clipboard's text once the time has come
  } cases[] = {
      {"text", hl::TextFormats(), true, L"mine"},
      {"text and its locale", {{13, L""}, {16, L""}}, true, L"mine"},
      {"a web page's copy", html, false, kHr},
      {"an editor's own copy", editors, false, kHr},
      {"a picture", {{2, L""}}, false, kHr},
      {"empty", {}, false, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hl::PutOnClipboard(c.formats, L"mine");
    hl::Log().clear();
    hl::Press(Button(3));
    EXPECT_EQ(hl::Log().front(),
              c.read ? L"ReadClipboard text" : L"ReadClipboard");
    EXPECT_EQ(Restore().Interval(), c.read || c.formats.empty() ? 1000 : 0);
    Tick();
    EXPECT_EQ(hl::ClipboardText(), c.after);
    EXPECT_EQ(hl::ClipboardFormats().empty(), c.formats.empty());
    const auto formats = hl::ClipboardFormats();
    if (c.read)
      EXPECT_TRUE(std::any_of(
          formats.begin(), formats.end(), [](const ClipboardFormat& f) {
            return f.name == L"CanIncludeInClipboardHistory";
          }));
    EXPECT_EQ(Restore().Interval(), 0);
  }
}

// Presses in a row, copies made meanwhile, a busy editor, a refused paste
// and the end of the program, each from "mine" on the clipboard.
TEST_F(RestoreTest, NeverOverwritesWhatWasCopiedMeanwhile) {
  hl::FakeWindow busy;
  busy.hung = true;
  const struct {
    const char* what;
    std::function<void(RestoreTest&)> play;
    std::wstring after;
  } cases[] = {
      {"a copy during the wait",
       [](RestoreTest& t) {
         hl::Press(t.Button(3));
         hl::PutOnClipboard(hl::TextFormats(), L"copied");
         t.Tick();
       },
       L"copied"},
      {"presses in a row keep the first keep",
       [](RestoreTest& t) {
         hl::Press(t.Button(3));
         hl::Press(t.Button(2));
         EXPECT_EQ(Count(L"ReadClipboard text"), 1);
         t.Tick();
       },
       L"mine"},
      {"a copy between presses starts a new keep",
       [](RestoreTest& t) {
         hl::Press(t.Button(3));
         hl::PutOnClipboard(hl::TextFormats(), L"copied");
         hl::Press(t.Button(3));
         t.Tick();
       },
       L"copied"},
      {"a busy editor is waited for",
       [busy](RestoreTest& t) {
         hl::Press(t.Button(3));
         Editor(busy);
         t.Tick();
         EXPECT_EQ(hl::ClipboardText(), kHr);
         EXPECT_EQ(t.Restore().Interval(), 1000);
         Editor();
         t.Tick();
       },
       L"mine"},
      {"a closed editor reads nothing any more",
       [](RestoreTest& t) {
         hl::Press(t.Button(3));
         hl::CloseWindow(kEditor);
         t.Tick();
         Editor();
       },
       L"mine"},
      {"a refused paste leaves its tag",
       [busy](RestoreTest& t) {
         hl::Press(t.Button(3));
         Editor(busy);
         hl::Press(t.Button(3));
         EXPECT_EQ(t.Restore().Interval(), 0);
         t.Tick();
         Editor();
       },
       kHr},
      {"the bar closes before the time",
       [](RestoreTest& t) {
         hl::Press(t.Button(3));
         t.bar_->form().Close();
       },
       L"mine"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hl::PutOnClipboard(hl::TextFormats(), L"mine");
    hl::Log().clear();
    c.play(*this);
    EXPECT_EQ(hl::ClipboardText(), c.after);
  }
}

// The end of the session closes the bar: a restore still due is made then.
TEST_F(RestoreTest, GivesBackAtTheEndOfTheSession) {
  hl::Press(Button(3));
  EXPECT_THROW(hl::EndSession(), hl::ProcessEnded);
  EXPECT_EQ(hl::ClipboardText(), L"mine");
}

// The keep comes before the copy of the selection, so what the user had is
// what comes back, not the selection.
TEST_F(RestoreTest, AWrappedSelectionGivesBackWhatWasThereBefore) {
  modPublic::WrapSelection = true;
  Editor(Copying({L"word"}));
  hl::Press(Button(2));
  EXPECT_EQ(hl::Log().front(), L"ReadClipboard text");
  EXPECT_EQ(LastSet(), L"<li>word</li>");
  Tick();
  EXPECT_EQ(hl::ClipboardText(), L"mine");
}

}  // namespace
