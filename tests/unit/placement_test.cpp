// A saved position on a desk of monitors of 96 and 144 dpi: which dpi turns
// its twips back into pixels; where a notice goes beside a window.
#include "platform/placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::MonitorArea;

// The primary monitor at 96 dpi, and one of 144 dpi to its left.
const std::vector<MonitorArea> kPrimary96 = {{0, 0, 1920, 1080, 96},
                                             {-2880, 0, 0, 1620, 144}};
// The primary at 144 dpi, and one of 96 dpi to its left, listed first: the
// answer then differs from the primary's dpi wherever the rule, not the
// fallback, decides.
const std::vector<MonitorArea> kPrimary144 = {{-1920, 0, 0, 1080, 96},
                                              {0, 0, 2880, 1620, 144}};

TEST(PlacementTest, EachMonitorsDpiIsTriedOnTheSavedCorner) {
  const struct {
    const char* what;
    const std::vector<MonitorArea>* desk;
    unsigned primaryDpi;
    float left, top;  // twips as saved
    unsigned dpi;
  } cases[] = {
      // Saved at 96 dpi from pixel 100, 100 of the primary.
      {"on the primary", &kPrimary96, 96, 1500, 1500, 96},
      // Saved at 144 dpi from pixel -2000, 200 of the other monitor: at 96
      // dpi the corner would lie left of the primary, at 144 on its own.
      {"on the 144-dpi monitor", &kPrimary96, 96, -20000, 2000, 144},
      {"on the 144-dpi monitor's top edge", &kPrimary96, 96, -20000, 0, 144},
      // The right and bottom edges belong to the next pixel's monitor.
      {"at the primary's right edge", &kPrimary96, 96, 28800, 0, 96},
      {"on the 144-dpi monitor's last row", &kPrimary96, 96, -20000, 16190,
       144},
      {"on the 144-dpi monitor's bottom edge", &kPrimary96, 96, -20000, 16200,
       96},
      {"below every monitor", &kPrimary96, 96, 0, 30000, 96},

      // Saved at 96 dpi from pixel -1000, 100 of the 96-dpi monitor.
      {"on the 96-dpi monitor", &kPrimary144, 144, -15000, 1500, 96},
      {"on the 96-dpi monitor's left edge", &kPrimary144, 144, -28800, 0, 96},
      // Pixel 0 is right of the 96-dpi monitor: the primary's first column.
      {"on the 96-dpi monitor's right edge", &kPrimary144, 144, 0, 0, 144},
      {"on the 144-dpi primary", &kPrimary144, 144, 20000, 10000, 144},
      {"below every monitor, primary 144", &kPrimary144, 144, 0, 30000, 144},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::PlacementDpi(c.left, c.top, *c.desk, c.primaryDpi),
              c.dpi)
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
