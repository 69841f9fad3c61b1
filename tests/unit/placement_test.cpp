// A saved position on a desk of monitors of 96 and 144 dpi: which dpi turns
// its twips back into pixels; where a notice goes beside a window.
#include "platform/placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::MonitorArea;

// The primary monitor at 96 dpi, and one of 144 dpi to its left.
const std::vector<MonitorArea> kDesk = {{0, 0, 1920, 1080, 96},
                                        {-2880, 0, 0, 1620, 144}};

TEST(PlacementTest, EachMonitorsDpiIsTriedOnTheSavedCorner) {
  const struct {
    const char* what;
    float left, top;  // twips as saved
    unsigned dpi;
  } cases[] = {
      // Saved at 96 dpi from pixel 100, 100 of the primary.
      {"on the primary", 1500, 1500, 96},
      // Saved at 144 dpi from pixel -2000, 200 of the other monitor: at 96
      // dpi the corner would lie left of the primary, at 144 on its own.
      {"on the 144-dpi monitor", -20000, 2000, 144},
      // The right and bottom edges belong to the next pixel's monitor.
      {"at the primary's right edge", 28800, 0, 96},
      {"below every monitor", 0, 30000, 96},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::PlacementDpi(c.left, c.top, kDesk, 96), c.dpi)
        << c.what;
  }
}

// A notice of 370 x 65 beside a bar of 100 x 200, 4 pixels away, on a work
// area of 1000 x 700: the first side with room, along the bar's edge, never
// over the bar, never off the area.
TEST(PlacementTest, NoticeGoesBesideTheWindowOnTheSideWithRoom) {
  using platform::ScreenRect;
  const ScreenRect area{0, 0, 1000, 700};
  const struct {
    const char* what;
    ScreenRect bar;
    ScreenRect notice;
  } cases[] = {
      {"room on the right", {100, 100, 200, 300}, {204, 100, 574, 165}},
      {"at the right edge: left", {800, 100, 900, 300}, {426, 100, 796, 165}},
      {"low on the screen: kept on it",
       {100, 650, 200, 700},
       {204, 635, 574, 700}},
      {"a bar as wide as the area: below",
       {0, 100, 1000, 300},
       {0, 304, 370, 369}},
      {"wide and low: above", {0, 600, 1000, 700}, {0, 531, 370, 596}},
      {"no room anywhere: the side it overhangs least",
       {0, 0, 700, 700},
       {0, 635, 370, 700}},
  };
  for (const auto& c : cases) {
    const ScreenRect n = platform::NoticeBeside(c.bar, 370, 65, 4, area);
    EXPECT_EQ(std::vector<int>({n.left, n.top, n.right, n.bottom}),
              std::vector<int>({c.notice.left, c.notice.top, c.notice.right,
                                c.notice.bottom}))
        << c.what;
  }
}

}  // namespace
