// The table markup generator: the markup for each shape of the settings and
// the acceptance of the counts typed into the input boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bar/frmStrell.h"

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

}  // namespace
