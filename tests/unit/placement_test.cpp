// A saved position on a desk of monitors of 96 and 144 dpi: which dpi turns
// its twips back into pixels.
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

}  // namespace
