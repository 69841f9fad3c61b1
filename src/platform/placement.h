// Where a saved window position lies on a desk of monitors of different
// dpi. Positions are saved in twips, converted with the dpi of the monitor
// the window was on; which monitor that was is not saved, so each monitor's
// dpi is tried in turn. Pure: the backends give it the monitors.
#pragma once

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

}  // namespace platform
