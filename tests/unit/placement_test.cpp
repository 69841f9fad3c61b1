// A saved position on a desk of monitors of 96 and 144 dpi: which dpi turns
// its twips back into pixels.
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

}  // namespace
