// The place the input form proposes for a new button.
#include "setup/new_button_place.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The bar's two picture buttons and the five default buttons.
std::vector<BarBox> DefaultBar() {
  std::vector<BarBox> taken{{0, 0, 800, 400}};
  for (int i = 0; i < 5; ++i)
    taken.push_back({0, 400 + 400 * i, 1200, 800 + 400 * i});
  return taken;
}

TEST(NewButtonPlace, OnTheGridOverNoButtonWhereTheFormTakesIt) {
  std::vector<BarBox> oneNew = DefaultBar();
  oneNew.push_back({0, 2400, 400, 2800});
  std::vector<BarBox> twoNew = oneNew;
  twoNew.push_back({400, 2400, 800, 2800});
  std::vector<BarBox> rowFull = DefaultBar();
  rowFull.push_back({0, 2400, 1300, 2800});
  std::vector<BarBox> offGrid = DefaultBar();
  offGrid.push_back({0, 2015, 400, 2415});
  const std::vector<BarBox> everywhere{{0, 0, 5000, 5000}};
  const struct {
    const char* name;
    std::vector<BarBox> taken;
    int maxLeft, maxTop, barWidth, barHeight;
    int left, top;
  } cases[] = {
      // The bar as wide as the default buttons, not yet grown to a new
      // one: the first goes below them, the next ones beside it, up to
      // the highest left the form takes.
      {"first", DefaultBar(), 1230, 2475, 1230, 2475, 0, 2400},
      {"second", oneNew, 1230, 2475, 1230, 2475, 400, 2400},
      {"third", twoNew, 1230, 2475, 1230, 2475, 800, 2400},
      // No room in that row: a free place in the bar, row by row.
      {"row full", rowFull, 1230, 2475, 1230, 2475, 800, 0},
      // Below a button off the grid, on the next grid line.
      {"off grid", offGrid, 1230, 3000, 1230, 3000, 0, 2500},
      // Nothing free anywhere: the row's left end.
      {"full bar", everywhere, 1200, 2400, 1200, 2400, 0, 2400},
      {"no bar yet", DefaultBar(), 0, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const BarPlace at = NewButtonPlace(c.taken, 400, c.maxLeft, c.maxTop,
                                       c.barWidth, c.barHeight);
    EXPECT_EQ(at.left, c.left) << c.name;
    EXPECT_EQ(at.top, c.top) << c.name;
  }
}

}  // namespace
