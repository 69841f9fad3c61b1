// Where windows go on a desk of monitors: a saved window position on
// monitors of different dpi, and a notice beside a window. Pure: the
// backends give it the monitors and the windows.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

// A monitor: its rectangle in pixels of the desktop and its dpi.
struct MonitorArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  unsigned dpi = 96;
};

// Twips (1440 per inch) to pixels at a dpi, rounded to the nearest.
inline int TwipsAtDpi(float twips, unsigned dpi) {
  return static_cast<int>(
      std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

// Positions are saved in twips, converted with the dpi of the monitor the
// window was on; which monitor that was is not saved, so each monitor's dpi
// is tried in turn.
//
// The dpi that turns a saved top-left corner back into pixels: that of the
// first monitor whose rectangle holds the corner converted with its own
// dpi; the primary monitor's when none does.
inline unsigned PlacementDpi(float leftTwips, float topTwips,
                             const std::vector<MonitorArea>& monitors,
                             unsigned primaryDpi) {
  for (const MonitorArea& m : monitors) {
    const int x = TwipsAtDpi(leftTwips, m.dpi);
    const int y = TwipsAtDpi(topTwips, m.dpi);
    if (x >= m.left && x < m.right && y >= m.top && y < m.bottom) return m.dpi;
  }
  return primaryDpi;
}

// A rectangle in pixels of the desktop.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Where a notice of `width` x `height` pixels goes beside a window, `gap`
// pixels away, inside `area` (the work area of the window's monitor): right
// of the window when it fits there, else left of it, else below, else
// above; where it fits nowhere, on the side it overhangs least. Along that
// side it starts at the window's top (left) edge and stays inside the area.
inline ScreenRect NoticeBeside(const ScreenRect& window, int width, int height,
                               int gap, const ScreenRect& area) {
  const int room[] = {
      area.right - window.right - gap, window.left - gap - area.left,
      area.bottom - window.bottom - gap, window.top - gap - area.top};
  const int need[] = {width, width, height, height};
  int side = 0;
  for (int s = 0; s < 4; ++s) {
    if (room[s] >= need[s]) {
      side = s;
      break;
    }
    if (room[s] - need[s] > room[side] - need[side]) side = s;
  }
  auto within = [](int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
  };
  int left = within(window.left, area.left, area.right - width);
  int top = within(window.top, area.top, area.bottom - height);
  switch (side) {
    case 0:
      left = within(window.right + gap, area.left, area.right - width);
      break;
    case 1:
      left = within(window.left - gap - width, area.left, area.right - width);
      break;
    case 2:
      top = within(window.bottom + gap, area.top, area.bottom - height);
      break;
    default:
      top = within(window.top - gap - height, area.top, area.bottom - height);
  }
  return {left, top, left + width, top + height};
}

}  // namespace platform
