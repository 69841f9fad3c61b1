// Button layout: the 100-twip grid and the clamp to the bar.
#include "bar/layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "bar/frmStrell.h"
#include "platform/headless/headless_forms.h"
#include "test_support.h"

namespace {

std::int32_t ErrorNumberOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const vb::RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

TEST(SnapToGrid, RoundsToNearestHundredHalvesToEven) {
  const std::vector<std::pair<std::int16_t, std::int16_t>> cases = {
      {149, 100},   {150, 200}, {250, 200}, {350, 400},  {-50, 0},
      {-150, -200}, {0, 0},     {51, 100},  {-51, -100}, {32749, 32700},
  };
  for (const auto& [value, snapped] : cases) {
    EXPECT_EQ(SnapToGrid(value), snapped) << value;
  }
}

TEST(SnapToGrid, BeyondTheLastGridLineIsAnOverflow) {
  EXPECT_EQ(ErrorNumberOf([] { SnapToGrid(32767); }), vb::kOverflow);
}

TEST(ClampToBar, KeepsValuesInsideTheBarThenSnaps) {
  struct Case {
    const wchar_t* text;
    std::int16_t limit, minimum, position, size;
    std::int16_t expected;
  };
  const std::vector<Case> cases = {
      // Positions: at least the minimum while the button fits.
      {L"Left", 5000, 0, -100, 1200, 0},
      {L"Left", 5000, 0, 3700, 1200, 3700},
      {L"Top", 5000, 0, 150, 400, 200},
      // At or beyond the far edge the button ends exactly at the limit.
      {L"Left", 5000, 0, 3800, 1200, 3800},
      {L"Left", 5000, 0, 3900, 1200, 3800},
      {L"Left", 1250, 0, 100, 1200, 0},  // 50 snaps to 0
      // A button larger than the bar gets a negative position.
      {L"Top", 1000, 0, 0, 1250, -200},
      // Sizes: at least 100 twips, whatever minimum is passed.
      {L"Height", 1000, 100, 0, 0, 100},
      {L"Height", 1000, 100, 0, 50, 100},
      {L"Width", 5000, 400, 0, 200, 200},
      {L"Width", 5000, 100, 0, 1200, 1200},
      // Reaching the far edge: the room left from the position on.
      {L"Height", 1000, 100, 300, 700, 700},
      {L"Height", 1000, 100, 300, 800, 700},
      {L"Width", 1250, 100, 0, 1300, 1200},  // 1250 snaps to 1200
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClampToBar(c.limit, c.minimum, c.position, c.size, c.text),
              c.expected)
        << c.text << " position " << c.position << " size " << c.size;
  }
}

TEST(ClampToBar, RaisesOnOverflowAndUnknownText) {
  EXPECT_EQ(ErrorNumberOf([] { ClampToBar(1000, 0, 32000, 1000, L"Left"); }),
            vb::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { ClampToBar(-32768, 0, 0, 1000, L"Top"); }),
            vb::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { ClampToBar(1000, 0, 0, 100, L"Right"); }),
            vb::kInvalidCall);
}

// ---- the handlers on a loaded bar ------------------------------------------

namespace hl = platform::headless;
using modPublic::TagTable;

constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;

struct Geometry {
  int left, top, width, height;
  bool operator==(const Geometry& o) const {
    return left == o.left && top == o.top && width == o.width &&
           height == o.height;
  }
};
std::ostream& operator<<(std::ostream& os, const Geometry& g) {
  return os << "{" << g.left << "," << g.top << "," << g.width << ","
            << g.height << "}";
}

class BarLayoutTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
    SetBar(5000, 5000);
    hl::MsgBoxes().clear();
  }
  void TearDown() override {
    bar_.reset();
    AppFolderTest::TearDown();
  }

  void SetBar(std::int16_t width, std::int16_t height) {
    modPublic::BarClientWidth = width;
    modPublic::BarClientHeight = height;
  }
  platform::ToggleButton& Button(int i) { return *bar_->Check[i]; }
  // Places button i on the bar and in its row, as the settings dialog would.
  void Place(int i, const Geometry& g) {
    platform::ToggleButton& b = Button(i);
    b.SetLeft(g.left);
    b.SetTop(g.top);
    b.SetWidth(g.width);
    b.SetHeight(g.height);
    const int values[] = {g.left, g.top, g.width, g.height};
    for (int c = 0; c < 4; ++c) {
      TagTable(i, modPublic::colLeft + c) =
          vb::Variant(static_cast<std::int16_t>(values[c]));
    }
  }
  Geometry OnBar(int i) {
    platform::ToggleButton& b = Button(i);
    return {int(b.Left()), int(b.Top()), int(b.Width()), int(b.Height())};
  }
  Geometry InTable(int i) {
    auto n = [&](int c) { return int(vb::CInt(TagTable(i, c))); };
    return {n(modPublic::colLeft), n(modPublic::colTop), n(modPublic::colWidth),
            n(modPublic::colHeight)};
  }
  std::wstring LastErrorPrompt() {
    return hl::MsgBoxes().empty() ? L"" : hl::MsgBoxes().back().prompt;
  }

  std::unique_ptr<frmStrell> bar_;
};

TEST_F(BarLayoutTest, ArrowKeysMoveAndResizeOnTheGrid) {
  struct Case {
    const char* name;
    Geometry start;
    std::int16_t barWidth, barHeight;
    int key, shift;
    Geometry expected;
  };
  const std::vector<Case> cases = {
      {"Ctrl+Left at the left edge",
       {0, 400, 1200, 400},
       5000,
       5000,
       kLeft,
       kCtrl,
       {0, 400, 1200, 400}},
      {"Ctrl+Up at the top edge",
       {0, 0, 1200, 400},
       5000,
       5000,
       kUp,
       kCtrl,
       {0, 0, 1200, 400}},
      {"Ctrl+Right off the grid",
       {150, 0, 1200, 400},
       5000,
       5000,
       kRight,
       kCtrl,
       {200, 0, 1200, 400}},
      {"Ctrl+Left off the grid",
       {150, 0, 1200, 400},
       5000,
       5000,
       kLeft,
       kCtrl,
       {0, 0, 1200, 400}},
      {"Ctrl+Right against the right edge",
       {0, 0, 1200, 400},
       1250,
       5000,
       kRight,
       kCtrl,
       {0, 0, 1200, 400}},
      {"Ctrl+Down",
       {0, 400, 1200, 400},
       5000,
       5000,
       kDown,
       kCtrl,
       {0, 500, 1200, 400}},
      {"Shift+Up at the smallest height",
       {0, 400, 1200, 100},
       5000,
       5000,
       kUp,
       kShift,
       {0, 400, 1200, 100}},
      {"Shift+Down reaching the bottom",
       {0, 300, 1200, 400},
       5000,
       750,
       kDown,
       kShift,
       {0, 300, 1200, 400}},  // 450 snaps to 400
      {"Shift+Down",
       {0, 300, 1200, 400},
       5000,
       5000,
       kDown,
       kShift,
       {0, 300, 1200, 500}},
      {"Shift+Right",
       {0, 0, 1200, 400},
       5000,
       5000,
       kRight,
       kShift,
       {0, 0, 1300, 400}},
      {"Shift+Left",
       {0, 0, 1200, 400},
       5000,
       5000,
       kLeft,
       kShift,
       {0, 0, 1100, 400}},
      {"Shift+Left keeps 100 twips",
       {0, 0, 100, 400},
       5000,
       5000,
       kLeft,
       kShift,
       {0, 0, 100, 400}},
      {"arrow alone",
       {150, 450, 1200, 400},
       5000,
       5000,
       kRight,
       0,
       {150, 450, 1200, 400}},
      {"Alt does not stop Shift",
       {0, 0, 1200, 400},
       5000,
       5000,
       kRight,
       kShift | kAlt,
       {0, 0, 1300, 400}},
      {"Alt does not stop Ctrl",
       {0, 0, 1200, 400},
       5000,
       5000,
       kRight,
       kCtrl | kAlt,
       {100, 0, 1200, 400}},
      {"other key with Ctrl",
       {0, 0, 1200, 400},
       5000,
       5000,
       65,
       kCtrl,
       {0, 0, 1200, 400}},
      // Shift first, then Ctrl, each judged with what the other left.
      {"Shift+Ctrl+Down",
       {0, 400, 1200, 400},
       5000,
       950,
       kDown,
       kShift | kCtrl,
       {0, 400, 1200, 500}},
      {"Shift+Ctrl+Up",
       {0, 400, 1200, 400},
       5000,
       650,
       kUp,
       kShift | kCtrl,
       {0, 300, 1200, 200}},
  };
  for (const Case& c : cases) {
    Place(0, c.start);
    SetBar(c.barWidth, c.barHeight);
    hl::KeyDown(Button(0), c.key, c.shift);
    EXPECT_EQ(OnBar(0), c.expected) << c.name;
    EXPECT_EQ(InTable(0), c.expected) << c.name;
  }
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

TEST_F(BarLayoutTest, CtrlWithAnyKeyArmsDragging) {
  hl::KeyDown(Button(1), kShift, kShift);
  EXPECT_EQ(Button(1).GetDragMode(), platform::DragMode::Manual);
  hl::KeyDown(Button(1), 17, kCtrl);
  EXPECT_EQ(Button(1).GetDragMode(), platform::DragMode::Automatic);
}

TEST_F(BarLayoutTest, KeyOverflowIsReportedAndLeavesTheButton) {
  Place(0, {0, 32700, 1200, 400});
  hl::KeyDown(Button(0), kDown, kCtrl);
  EXPECT_EQ(OnBar(0), (Geometry{0, 32700, 1200, 400}));
  EXPECT_EQ(LastErrorPrompt().rfind(L"タグボタンのキーを押した時でエラー", 0),
            0u);
}

TEST_F(BarLayoutTest, KeysDoNotSaveButADropDoes) {
  const std::string before = ReadBytes("tag.txt");
  Place(0, {200, 400, 1200, 400});
  hl::KeyDown(Button(0), kRight, kCtrl);
  EXPECT_EQ(ReadBytes("tag.txt"), before);

  // Grabbed at (500, 200), dropped on itself 10 twips to the left: 190 is
  // rounded down to the grid line at 100.
  Place(0, {200, 400, 1200, 400});
  hl::BeginDrag(Button(0), 500, 200);
  hl::DropOn(Button(0), 490, 200);
  EXPECT_EQ(OnBar(0), (Geometry{100, 400, 1200, 400}));
  EXPECT_EQ(InTable(0), (Geometry{100, 400, 1200, 400}));
  EXPECT_EQ(ReadBytes("tag.txt").rfind("0,100,400,1200,400,UL,", 0), 0u);
}

TEST_F(BarLayoutTest, GrabPointIsTakenOnEnteringTheDraggedButton) {
  hl::BeginDrag(Button(2), 12.5f, 13.5f);
  EXPECT_EQ(bar_->DragButtonIndex, 2);
  EXPECT_EQ(bar_->DragGrabX, 12);
  EXPECT_EQ(bar_->DragGrabY, 14);
  hl::MoveOver(Button(2), 300, 100);  // moving over: no new grab point
  hl::MoveOver(Button(1), 50, 60);    // entering another button
  EXPECT_EQ(bar_->DragButtonIndex, 2);
  EXPECT_EQ(bar_->DragGrabX, 12);
  hl::MoveOver(Button(2), 250, 150);  // re-entering the dragged one
  EXPECT_EQ(bar_->DragGrabX, 250);
  EXPECT_EQ(bar_->DragGrabY, 150);
  hl::DropOutside();
}

TEST_F(BarLayoutTest, DropOnTheBackgroundClampsAndSnaps) {
  Place(0, {2000, 400, 1200, 400});
  SetBar(1250, 5000);
  hl::BeginDrag(Button(0), 300, 200);
  hl::DropOnForm(bar_->form(), 700, 1049);  // 849 snaps to 800
  EXPECT_EQ(OnBar(0), (Geometry{0, 800, 1200, 400}));
  EXPECT_EQ(InTable(0), (Geometry{0, 800, 1200, 400}));
  EXPECT_EQ(ReadBytes("tag.txt").rfind("0,0,800,1200,400,UL,", 0), 0u);
}

TEST_F(BarLayoutTest, DropOnAnotherButtonRoundsDownWithoutClamp) {
  Place(0, {0, 400, 1200, 400});
  Place(1, {4000, 4800, 1200, 400});
  SetBar(5000, 5000);
  hl::BeginDrag(Button(0), 100, 100);
  hl::DropOn(Button(1), 250, 399);
  // (4000 + 250 - 100, 4800 + 399 - 100) rounded down; past the bar's edge.
  EXPECT_EQ(OnBar(0), (Geometry{4100, 5000, 1200, 400}));
  EXPECT_EQ(InTable(0), (Geometry{4100, 5000, 1200, 400}));
  EXPECT_EQ(OnBar(1), (Geometry{4000, 4800, 1200, 400}));
  EXPECT_EQ(InTable(1), (Geometry{4000, 4800, 1200, 400}));
}

TEST_F(BarLayoutTest, DropElsewhereChangesNothing) {
  const std::string before = ReadBytes("tag.txt");
  Place(0, {0, 400, 1200, 400});
  hl::BeginDrag(Button(0), 100, 100);
  hl::DropOn(*bar_->cmdTableSet, 10, 10);
  hl::BeginDrag(Button(0), 100, 100);
  hl::DropOn(*bar_->cmdSetup, 10, 10);
  hl::BeginDrag(Button(0), 100, 100);
  hl::DropOutside();
  EXPECT_EQ(OnBar(0), (Geometry{0, 400, 1200, 400}));
  EXPECT_EQ(ReadBytes("tag.txt"), before);
}

// A drop whose Top overflows stores neither value, saves nothing and moves
// nothing, though its Left alone would have been fine.
TEST_F(BarLayoutTest, OverflowingDropChangesNothing) {
  const std::string before = ReadBytes("tag.txt");
  Place(0, {0, 400, 1200, 400});
  Place(1, {1000, 32600, 1200, 400});

  hl::BeginDrag(Button(0), 100, 100);
  hl::DropOn(Button(1), 100, 300);  // 32600 + 300 - 100 = 32800
  EXPECT_EQ(
      LastErrorPrompt().rfind(L"タグボタンをドラッグ＆ドロップの時でエラー", 0),
      0u);

  hl::BeginDrag(Button(0), 100, 100);
  hl::DropOnForm(bar_->form(), 500, 40000);
  EXPECT_EQ(LastErrorPrompt().rfind(
                L"フォーム上でドラッグ＆ドロップした時でエラー", 0),
            0u);

  EXPECT_EQ(OnBar(0), (Geometry{0, 400, 1200, 400}));
  EXPECT_EQ(InTable(0), (Geometry{0, 400, 1200, 400}));
  EXPECT_EQ(ReadBytes("tag.txt"), before);
}

}  // namespace
