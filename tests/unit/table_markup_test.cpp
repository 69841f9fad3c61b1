// The table markup generator: the markup for each shape of the settings and
// the acceptance of the counts typed into the input boxes.
#include "bar/table_markup.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bar/frmStrell.h"
#include "platform/headless/headless_forms.h"
#include "test_support.h"

namespace {

using modPublic::CellTable;

const vb::Variant kSet(static_cast<std::int16_t>(-1));
const vb::Variant kClear(static_cast<std::int16_t>(0));

// Every quality empty, every Visible set, every Enter clear.
CellTable DefaultSettings() {
  CellTable s(5, 3);
  for (int e = 0; e < 5; ++e) {
    s(e, modPublic::propQuality) = vb::Variant(L"");
    s(e, modPublic::propVisible) = kSet;
    s(e, modPublic::propEnter) = kClear;
  }
  return s;
}

TEST(BuildTableMarkup, DefaultSettingsGiveOneLine) {
  EXPECT_EQ(BuildTableMarkup(2, 2, DefaultSettings()),
            L"<table ><caption >&nbsp;</caption><tr ><th >&nbsp;</th>"
            L"<th >&nbsp;</th></tr><tr ><td >&nbsp;</td><td >&nbsp;</td>"
            L"</tr><tr ><td >&nbsp;</td><td >&nbsp;</td></tr></table>");
  EXPECT_EQ(BuildTableMarkup(1, 1, DefaultSettings()),
            L"<table ><caption >&nbsp;</caption><tr ><th >&nbsp;</th></tr>"
            L"<tr ><td >&nbsp;</td></tr></table>");
}

TEST(BuildTableMarkup, TableAndRowBreaksWithQuality) {
  CellTable s = DefaultSettings();
  s(modPublic::elTable, modPublic::propQuality) = vb::Variant(L"border=1");
  s(modPublic::elCaption, modPublic::propVisible) = kClear;
  s(modPublic::elTable, modPublic::propEnter) = kSet;
  s(modPublic::elTR, modPublic::propEnter) = kSet;
  EXPECT_EQ(BuildTableMarkup(2, 1, s),
            L"<table border=1>\r\n"
            L"<tr >\r\n"
            L"<th >&nbsp;</th><th >&nbsp;</th></tr>\r\n"
            L"<tr >\r\n"
            L"<td >&nbsp;</td><td >&nbsp;</td></tr>\r\n"
            L"</table>\r\n");
}

TEST(BuildTableMarkup, CellAndCaptionBreaksGiveThreeLinesEach) {
  CellTable s = DefaultSettings();
  s(modPublic::elTD, modPublic::propEnter) = kSet;
  s(modPublic::elCaption, modPublic::propEnter) = kSet;
  s(modPublic::elTH, modPublic::propVisible) = kClear;
  EXPECT_EQ(BuildTableMarkup(2, 1, s),
            L"<table ><caption >\r\n&nbsp;\r\n</caption>\r\n"
            L"<tr ><td >\r\n&nbsp;\r\n</td>\r\n<td >\r\n&nbsp;\r\n</td>\r\n"
            L"</tr></table>");
}

TEST(BuildTableMarkup, VisibilityFlagsShapeTheElements) {
  struct Case {
    const char* name;
    int element;
    const wchar_t* expected;  // 2 columns, 2 rows
  };
  const std::vector<Case> cases = {
      {"no header row", modPublic::elTH,
       L"<table ><caption >&nbsp;</caption>"
       L"<tr ><td >&nbsp;</td><td >&nbsp;</td></tr>"
       L"<tr ><td >&nbsp;</td><td >&nbsp;</td></tr></table>"},
      {"no row tags", modPublic::elTR,
       L"<table ><caption >&nbsp;</caption><th >&nbsp;</th><th >&nbsp;</th>"
       L"<td >&nbsp;</td><td >&nbsp;</td><td >&nbsp;</td><td >&nbsp;</td>"
       L"</table>"},
      {"no table tags", modPublic::elTable,
       L"<caption >&nbsp;</caption><tr ><th >&nbsp;</th><th >&nbsp;</th>"
       L"</tr><tr ><td >&nbsp;</td><td >&nbsp;</td></tr>"
       L"<tr ><td >&nbsp;</td><td >&nbsp;</td></tr>"},
      {"TD visibility is not consulted", modPublic::elTD,
       L"<table ><caption >&nbsp;</caption><tr ><th >&nbsp;</th>"
       L"<th >&nbsp;</th></tr><tr ><td >&nbsp;</td><td >&nbsp;</td>"
       L"</tr><tr ><td >&nbsp;</td><td >&nbsp;</td></tr></table>"},
  };
  for (const Case& c : cases) {
    CellTable s = DefaultSettings();
    s(c.element, modPublic::propVisible) = kClear;
    // An Enter flag of a hidden table has no effect.
    if (c.element == modPublic::elTable) {
      s(c.element, modPublic::propEnter) = kSet;
    }
    EXPECT_EQ(BuildTableMarkup(2, 2, s), c.expected) << c.name;
  }
}

TEST(BuildTableMarkup, QualityIsCopiedVerbatimIntoEveryCell) {
  CellTable s = DefaultSettings();
  s(modPublic::elTD, modPublic::propQuality) = vb::Variant(L"class=x");
  s(modPublic::elCaption, modPublic::propVisible) = kClear;
  s(modPublic::elTH, modPublic::propVisible) = kClear;
  EXPECT_EQ(BuildTableMarkup(2, 1, s),
            L"<table ><tr ><td class=x>&nbsp;</td><td class=x>&nbsp;</td>"
            L"</tr></table>");
}

// Only a value that is -1 as a whole number sets a flag; the dialog stores
// texts, the settings file numbers.
TEST(BuildTableMarkup, FlagIsSetOnlyByMinusOne) {
  struct Case {
    vb::Variant value;
    bool set;
  };
  const std::vector<Case> cases = {
      {kSet, true},
      {vb::Variant(L"-1"), true},
      {vb::Variant(L" -1 "), true},
      {vb::Variant(L"-1.4"), true},
      {vb::Variant(static_cast<std::int16_t>(1)), false},
      {vb::Variant(L"1"), false},
      {vb::Variant(L"0"), false},
      {vb::Variant(static_cast<std::int16_t>(-2)), false},
      {vb::Variant(L"-1.6"), false},
      {vb::Variant(), false},
      {vb::Variant(L""), false},
      {vb::Variant(L"abc"), false},
  };
  for (const Case& c : cases) {
    CellTable s = DefaultSettings();
    s(modPublic::elTable, modPublic::propVisible) = c.value;
    const std::wstring markup = BuildTableMarkup(1, 1, s);
    EXPECT_EQ(markup.rfind(L"<table >", 0) == 0, c.set) << markup;
  }
}

TEST(BuildTableMarkup, LargestTableIsWrittenWhole) {
  CellTable s = DefaultSettings();
  for (int e = 0; e < 5; ++e) s(e, modPublic::propEnter) = kSet;
  const std::wstring markup = BuildTableMarkup(100, 100, s);
  const std::wstring td = L"<td >\r\n&nbsp;\r\n</td>\r\n";
  std::size_t cells = 0;
  for (std::size_t at = markup.find(td); at != std::wstring::npos;
       at = markup.find(td, at + td.size())) {
    ++cells;
  }
  EXPECT_EQ(cells, 10000u);
  EXPECT_EQ(markup.substr(markup.size() - 10), L"</table>\r\n");
}

TEST(AcceptCount, AcceptsRoundedCountsFromOneToHundred) {
  struct Case {
    const wchar_t* answer;
    std::int16_t count;  // 0: refused
  };
  const std::vector<Case> cases = {
      {L"1", 1},
      {L"100", 100},
      {L"2.5", 2},
      {L"3.5", 4},
      {L"0.6", 1},
      {L"100.4", 100},
      {L"100.5", 100},
      {L" 7 ", 7},
      {L"0.5", 0},
      {L"0", 0},
      {L"101", 0},
      {L"100.6", 0},
      {L"-3", 0},
      {L"abc", 0},
      {L"", 0},
      {L" ", 0},
      {L"7x", 0},
      {L"\uFF17", 7},              // full-width digits of an input method
      {L"\u3000\uFF17\u3000", 7},  // and its ideographic space
      {L"\uFF11\uFF10\uFF10", 100},
      {L"\uFF11\uFF10\uFF11", 0},
      {L"99999999999999999999999999999999999999999999999999", 0},
      {L"-99999999999999999999999999999999999999999999999999", 0},
  };
  for (const Case& c : cases) {
    const std::optional<std::int16_t> got = AcceptCount(c.answer);
    if (c.count == 0) {
      EXPECT_FALSE(got.has_value()) << c.answer;
    } else {
      ASSERT_TRUE(got.has_value()) << c.answer;
      EXPECT_EQ(*got, c.count);
    }
  }
}

// ---- the table button on a loaded bar ------------------------------------

namespace hl = platform::headless;

const std::wstring kColsBox = L"InputBox 列数 列の数を入力してください。";
const std::wstring kColsRetry =
    L"InputBox 列数 1～100の数字を入力してください。\r\n"
    L"列の数を入力してください。";
const std::wstring kRowsBox =
    L"InputBox 行数 行の数を入力してください。\r\n\r\n"
    L"注：｢CAPTION｣｢TH｣は1行に含まれません";
const std::wstring kRowsRetry =
    L"InputBox 行数 1～100の数字を入力してください。\r\n"
    L"行の数を入力してください。";

class TableButtonTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
    modPublic::TableMarkupSettings = DefaultSettings();
    modPublic::PasteShiftKey = 0;
    modPublic::PasteKey = L"V";
    bar_->TargetWindow = 777;
    hl::AddWindow(777);
    platform::ClipboardSetText(L"old");
    hl::Log().clear();
  }
  void TearDown() override {
    bar_.reset();
    AppFolderTest::TearDown();
  }

  void Answer(const std::vector<std::wstring>& answers) {
    for (const auto& a : answers) hl::QueueInputBoxAnswer(a);
  }
  std::vector<std::wstring> InputBoxes() {
    std::vector<std::wstring> boxes;
    for (const auto& line : hl::Log()) {
      if (line.rfind(L"InputBox ", 0) == 0) boxes.push_back(line);
    }
    return boxes;
  }
  bool Logged(const std::wstring& prefix) {
    for (const auto& line : hl::Log()) {
      if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }

  std::unique_ptr<frmStrell> bar_;
};

TEST_F(TableButtonTest, PastesTheTableAfterBothCounts) {
  Answer({L"2", L"1"});
  bar_->cmdTableSet_Click();
  EXPECT_EQ(InputBoxes(), (std::vector<std::wstring>{kColsBox, kRowsBox}));
  const std::wstring markup = BuildTableMarkup(2, 1, DefaultSettings());
  EXPECT_EQ(hl::ClipboardText(), markup);
  const std::vector<std::wstring>& log = hl::Log();
  const std::vector<std::wstring> steps(log.begin() + 2, log.begin() + 4);
  EXPECT_EQ(steps, (std::vector<std::wstring>{L"DoEvents",
                                              L"ClipboardSetText " + markup}));
  EXPECT_TRUE(Logged(L"SetForegroundWindow 777"));
  EXPECT_TRUE(Logged(L"SendKeys 86 down"));
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

// A paste key the settings cannot give is refused before the target is
// touched, as for a tag button: the markup stays on the clipboard and the
// user is told beside the bar; no error box.
TEST_F(TableButtonTest, AnInvalidPasteKeyIsRefusedBeforeTheTarget) {
  modPublic::PasteKey = L"+";
  Answer({L"1", L"1"});
  bar_->cmdTableSet_Click();
  EXPECT_EQ(hl::ClipboardText(), BuildTableMarkup(1, 1, DefaultSettings()));
  EXPECT_FALSE(Logged(L"Ask"));
  EXPECT_FALSE(Logged(L"SetForegroundWindow"));
  EXPECT_FALSE(Logged(L"SendKeys"));
  EXPECT_NE(hl::Log().back().find(
                L"貼り付けのショートカットキーの設定が正しくありません。"),
            std::wstring::npos);
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

TEST_F(TableButtonTest, RepeatsTheRangePromptUntilACountIsGiven) {
  Answer({L"0", L"101", L"-3", L"abc", L"0.5", L" 2.5 ", L"x", L"100.4"});
  bar_->cmdTableSet_Click();
  const std::vector<std::wstring> expected = {
      kColsBox,   kColsRetry, kColsRetry, kColsRetry,
      kColsRetry, kColsRetry, kRowsBox,   kRowsRetry};
  EXPECT_EQ(InputBoxes(), expected);
  EXPECT_EQ(hl::ClipboardText(), BuildTableMarkup(2, 100, DefaultSettings()));
}

TEST_F(TableButtonTest, EmptyAnswerStopsSilently) {
  const std::vector<std::vector<std::wstring>> scripts = {
      {},            // Cancel in the first box
      {L"abc"},      // Cancel in the repeated columns box
      {L"2"},        // Cancel in the rows box
      {L"2", L"0"},  // Cancel in the repeated rows box
  };
  for (const auto& script : scripts) {
    hl::Log().clear();
    Answer(script);
    bar_->cmdTableSet_Click();
    EXPECT_EQ(InputBoxes().size(), script.size() + 1);
    EXPECT_FALSE(Logged(L"ClipboardSetText"));
    EXPECT_FALSE(Logged(L"SendKeys"));
    EXPECT_FALSE(Logged(L"SetForegroundWindow"));
    EXPECT_EQ(hl::ClipboardText(), L"old");
  }
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

// The timer records the open input box as the target; the paste still goes
// to the window that was in front before the button was pressed.
TEST_F(TableButtonTest, TargetWindowSurvivesTheInputBoxes) {
  int boxes = 0;
  hl::OnInputBox([&] {
    ++boxes;
    hl::SetForegroundWindow(900 + boxes);
    bar_->Timer1_Timer();
  });
  Answer({L"1", L"abc", L"1"});
  bar_->cmdTableSet_Click();
  hl::OnInputBox({});
  EXPECT_EQ(boxes, 3);
  EXPECT_EQ(bar_->TargetWindow, 777);
  EXPECT_TRUE(Logged(L"SetForegroundWindow 777"));
  EXPECT_FALSE(Logged(L"SetForegroundWindow 90"));
}

TEST_F(TableButtonTest, ClipboardFailureIsReported) {
  Answer({L"1", L"1"});
  hl::HoldClipboard(1500);
  bar_->cmdTableSet_Click();
  ASSERT_EQ(hl::MsgBoxes().size(), 1u);
  EXPECT_EQ(hl::MsgBoxes()[0].prompt.rfind(
                L"｢テーブル｣ボタンをクリックした時でエラーが発生しました。", 0),
            0u);
  EXPECT_FALSE(Logged(L"SendKeys"));
  EXPECT_EQ(hl::ClipboardText(), L"old");
}

}  // namespace
