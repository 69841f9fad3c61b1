// The default place of a new button (new_button_place.h).
#include "setup/new_button_place.h"

#include <algorithm>
#include <functional>

namespace {

constexpr int kGrid = 100;

int GridAtOrBelow(int twips) { return twips >= 0 ? twips / kGrid * kGrid : 0; }

int GridAtOrAbove(int twips) {
  return twips > 0 ? (twips + kGrid - 1) / kGrid * kGrid : 0;
}

// Touching edges do not cover each other.
bool Covers(const BarBox& a, const BarBox& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

}  // namespace

BarPlace NewButtonPlace(const std::vector<BarBox>& taken, int size, int maxLeft,
                        int maxTop, int barWidth, int barHeight) {
  const int lastLeft = GridAtOrBelow(maxLeft);
  const int lastTop = GridAtOrBelow(maxTop);
  const auto free = [&](int left, int top) {
    const BarBox box{left, top, left + size, top + size};
    return std::none_of(taken.begin(), taken.end(),
                        [&](const BarBox& t) { return Covers(box, t); });
  };
  const auto place = [](int left, int top) {
    return BarPlace{static_cast<std::int16_t>(left),
                    static_cast<std::int16_t>(top)};
  };

  int lowest = 0;
  for (const BarBox& t : taken) lowest = std::max(lowest, t.bottom);
  const int row = std::min(GridAtOrAbove(lowest), lastTop);
  for (int left = 0; left <= lastLeft; left += kGrid)
    if (free(left, row)) return place(left, row);

  const auto inBar = [&](int left, int top) {
    return left + size <= barWidth && top + size <= barHeight;
  };
  for (bool inside : {true, false})
    for (int top = 0; top <= lastTop; top += kGrid)
      for (int left = 0; left <= lastLeft; left += kGrid)
        if ((!inside || inBar(left, top)) && free(left, top))
          return place(left, top);
  return place(0, row);
}
