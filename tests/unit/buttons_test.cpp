// Tag buttons from the tag table and their extents.
#include <gtest/gtest.h>

#include <memory>

#include "store/modPublic.h"
#include "test_support.h"

namespace {

using namespace modPublic;

// A plain property holder standing in for a bar button.
class FakeButton : public platform::ToggleButton {
 public:
  float Left() const override { return left; }
  float Top() const override { return top; }
  float Width() const override { return width; }
  float Height() const override { return height; }
  void SetLeft(float v) override { left = v; }
  void SetTop(float v) override { top = v; }
  void SetWidth(float v) override { width = v; }
  void SetHeight(float v) override { height = v; }
  bool Visible() const override { return visible; }
  void SetVisible(bool v) override { visible = v; }
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool v) override { enabled = v; }
  bool TabStop() const override { return tabStop; }
  void SetTabStop(bool v) override { tabStop = v; }
  int TabIndex() const override { return tabIndex; }
  void SetTabIndex(int i) override { tabIndex = i; }
  std::wstring ToolTipText() const override { return tip; }
  void SetToolTipText(const std::wstring& t) override { tip = t; }
  platform::WindowHandle hWnd() const override { return 0; }
  void SetFocus() override {}
  std::wstring Caption() const override { return caption; }
  void SetCaption(const std::wstring& c) override { caption = c; }
  int Value() const override { return 0; }
  void SetValue(int) override {}
  platform::DragMode GetDragMode() const override { return mode; }
  void SetDragMode(platform::DragMode m) override { mode = m; }

  float left = 0, top = 0, width = 0, height = 0;
  bool visible = false, enabled = false, tabStop = false;
  int tabIndex = 0;
  std::wstring tip, caption;
  platform::DragMode mode = platform::DragMode::Manual;
};

class ButtonsTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    for (int i = 0; i <= MaxButtonIndex; ++i) {
      buttons_.push_back(std::make_unique<FakeButton>());
      Check.push_back(buttons_.back().get());
    }
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
  FakeButton& B(int i) { return *buttons_[i]; }

  std::vector<std::unique_ptr<FakeButton>> buttons_;
  ButtonArray Check;
};

TEST_F(ButtonsTest, UsedRowsAreShownUpToTheFirstEmptyRow) {
  for (int i = 0; i < 5; ++i)
    SetRow(i, std::int16_t{0}, std::int16_t(400 * i), std::int16_t{1200},
           std::int16_t{400}, L"B");
  SetRow(7, std::int16_t{0}, std::int16_t{0}, std::int16_t{1}, std::int16_t{1},
         L"late");
  ConfigureButtons(Check);
  for (int i = 0; i <= 30; ++i) EXPECT_EQ(B(i).visible, i < 5) << i;
  EXPECT_EQ(B(3).top, 1200);
  EXPECT_EQ(B(3).tabIndex, 4);
  EXPECT_TRUE(B(3).enabled && B(3).tabStop);
  EXPECT_EQ(B(3).tip, L"B");
  EXPECT_EQ(B(3).caption, L"B");
}

TEST_F(ButtonsTest, TextCellsFromTheDialogConvert) {
  SetRow(0, L"300", L" 12.5 ", L"1200", L"400", L"T");
  ConfigureButtons(Check);
  EXPECT_EQ(B(0).left, 300);
  EXPECT_EQ(B(0).top, 12);
}

TEST_F(ButtonsTest, ADeletedRowsButtonIsHiddenAgain) {
  SetRow(0, std::int16_t{0}, std::int16_t{0}, std::int16_t{100},
         std::int16_t{100}, L"a");
  SetRow(1, std::int16_t{0}, std::int16_t{100}, std::int16_t{100},
         std::int16_t{100}, L"b");
  ConfigureButtons(Check);
  ASSERT_TRUE(B(1).visible);
  TagTable(1, colLeft) = L"";  // the row is gone
  ConfigureButtons(Check);
  EXPECT_TRUE(B(0).visible);
  EXPECT_FALSE(B(1).visible);
  EXPECT_FALSE(B(1).enabled);
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
  SetRow(0, std::int16_t{32000}, std::int16_t{0}, std::int16_t{800},
         std::int16_t{1}, L"a");
  EXPECT_THROW(ComputeButtonExtents(), vb::RuntimeError);
}

}  // namespace
