// Twips and pixels at a window's own dpi.
#include <cmath>

#include "platform/win32/base_win32.h"

namespace platform::win32 {

int TwipsToPixels(float twips, UINT dpi) {
  return static_cast<int>(
      std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

float PixelsToTwips(int pixels, UINT dpi) {
  return static_cast<float>(static_cast<double>(pixels) * kTwipsPerInch / dpi);
}

int PointsToPixels(float points, UINT dpi) {
  return TwipsToPixels(points * 20, dpi);
}

UINT DpiOf(HWND hwnd) {
  UINT dpi = hwnd ? GetDpiForWindow(hwnd) : 0;
  return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}

PixelRect PlaceTwips(float left, float top, float width, float height,
                     UINT dpi) {
  int x = TwipsToPixels(left, dpi);
  int y = TwipsToPixels(top, dpi);
  int right = TwipsToPixels(left + width, dpi);
  int bottom = TwipsToPixels(top + height, dpi);
  return {x, y, right > x ? right - x : 0, bottom > y ? bottom - y : 0};
}

}  // namespace platform::win32
