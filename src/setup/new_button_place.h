// Where the input form proposes a new button: on the 100-twip grid, within
// the places the form accepts, and over no other button while there is
// such a place.
#pragma once

#include <cstdint>
#include <vector>

// A rectangle on the bar, twips: right and bottom are left + width and
// top + height.
struct BarBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct BarPlace {
  std::int16_t left = 0, top = 0;
};

// The place of a new button `size` twips square, given what lies on the bar
// already (the picture buttons and every button) and the highest left and
// top the form accepts. First the row just below the lowest of them (as
// far down as the form goes), from the left; else the first free place in
// the bar, row by row; else any free place the form accepts; when every
// place covers something, the row's left end.
BarPlace NewButtonPlace(const std::vector<BarBox>& taken, int size, int maxLeft,
                        int maxTop, int barWidth, int barHeight);
