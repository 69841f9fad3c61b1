// Button layout: the 100-twip grid and the clamp to the bar.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bar/frmStrell.h"

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

}  // namespace
