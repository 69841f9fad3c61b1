// Tag buttons from the tag table and their extents.
#include "bar/buttons.h"

#include <gtest/gtest.h>

#include <memory>

#include "store/modPublic.h"
#include "test_support.h"

namespace {

using namespace modPublic;

class ButtonsTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    platform::ToggleButtonArgs hidden;
    hidden.visible = hidden.enabled = false;
    for (int i = 0; i <= MaxButtonIndex; ++i)
      Check.push_back(&form_->AddToggleButton(hidden));
  }
  void SetRow(int i, vb::Variant left, vb::Variant top, vb::Variant width,
              vb::Variant height, const wchar_t* caption) {
    TagTable(i, colNo) = static_cast<std::int16_t>(i);
    TagTable(i, colLeft) = left;
    TagTable(i, colTop) = top;
    TagTable(i, colWidth) = width;
    TagTable(i, colHeight) = height;
    TagTable(i, colCaption) = caption;
    TagTable(i, colTagS) = L"<x>";
  }
  platform::ToggleButton& B(int i) { return *Check[i]; }

  std::unique_ptr<platform::Form> form_ =
      platform::CreateForm(platform::FormArgs{});
  ButtonArray Check;
};

TEST_F(ButtonsTest, UsedRowsAreShownUpToTheFirstEmptyRow) {
  for (int i = 0; i < 5; ++i)
    SetRow(i, std::int16_t{0}, std::int16_t(400 * i), std::int16_t{1200},
           std::int16_t{400}, L"B");
  SetRow(7, std::int16_t{0}, std::int16_t{0}, std::int16_t{1}, std::int16_t{1},
         L"late");
  ConfigureButtons(Check);
  for (int i = 0; i <= 30; ++i) EXPECT_EQ(B(i).Visible(), i < 5) << i;
  EXPECT_EQ(B(3).Top(), 1200);
  EXPECT_EQ(B(3).TabIndex(), 4);
  EXPECT_TRUE(B(3).Enabled() && B(3).TabStop());
  EXPECT_EQ(B(3).ToolTipText(), L"B");
  EXPECT_EQ(B(3).Caption(), L"B");
}

TEST_F(ButtonsTest, TextCellsFromTheDialogConvert) {
  SetRow(0, L"300", L" 12.5 ", L"1200", L"400", L"T");
  ConfigureButtons(Check);
  EXPECT_EQ(B(0).Left(), 300);
  EXPECT_EQ(B(0).Top(), 12);
}

TEST_F(ButtonsTest, ADeletedRowsButtonIsHiddenAgain) {
  SetRow(0, std::int16_t{0}, std::int16_t{0}, std::int16_t{100},
         std::int16_t{100}, L"a");
  SetRow(1, std::int16_t{0}, std::int16_t{100}, std::int16_t{100},
         std::int16_t{100}, L"b");
  ConfigureButtons(Check);
  ASSERT_TRUE(B(1).Visible());
  TagTable(1, colLeft) = L"";  // the row is gone
  ConfigureButtons(Check);
  EXPECT_TRUE(B(0).Visible());
  EXPECT_FALSE(B(1).Visible());
  EXPECT_FALSE(B(1).Enabled());
}

TEST_F(ButtonsTest, ExtentsCoverAllRowsIncludingTheLast) {
  ComputeButtonExtents();
  EXPECT_EQ(MaxButtonRight, 0);
  EXPECT_EQ(MaxButtonBottom, 0);
  SetRow(0, std::int16_t{0}, std::int16_t{400}, std::int16_t{1200},
         std::int16_t{400}, L"a");
  SetRow(30, std::int16_t{2000}, std::int16_t{100}, std::int16_t{500},
         std::int16_t{300}, L"z");
  ComputeButtonExtents();
  EXPECT_EQ(MaxButtonRight, 2500);
  EXPECT_EQ(MaxButtonBottom, 800);
}

TEST_F(ButtonsTest, BadCellsRaise) {
  SetRow(0, L"abc", std::int16_t{0}, std::int16_t{1}, std::int16_t{1}, L"a");
  EXPECT_THROW(ConfigureButtons(Check), vb::RuntimeError);
  EXPECT_THROW(ComputeButtonExtents(), vb::RuntimeError);
}

// A hand-edited row ending past 32767 twips stops the extents there.
TEST_F(ButtonsTest, ExtentsStopAtTheLargestTwips) {
  SetRow(0, std::int16_t{32000}, std::int16_t{32000}, std::int16_t{800},
         std::int16_t{1000}, L"a");
  ComputeButtonExtents();
  EXPECT_EQ(MaxButtonRight, 32767);
  EXPECT_EQ(MaxButtonBottom, 32767);
}

}  // namespace
