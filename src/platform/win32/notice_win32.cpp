// The notice beside a window that shows also while another program is
// active: after a paste that could not be typed, beside the bar.
#include "platform/placement.h"
#include "platform/system.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {

constexpr UINT kNoticeMs = 5000;
constexpr int kNoticeWidth = 600;  // the widest line, pixels at 96 dpi
constexpr int kGap = 4;            // between the window and the notice

ScreenRect FromRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

// A box on the side of the window with room on the window's monitor, so
// that none of the window's own controls is covered while it shows.
void ShowNoticeBeside(WindowHandle window, const std::wstring& text) {
  static win32::Balloon notice(false);
  HWND by = reinterpret_cast<HWND>(window);
  RECT r{};
  if (!by || !GetWindowRect(by, &r)) return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(by, MONITOR_DEFAULTTONEAREST),
                       &monitor))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
  const int gap = MulDiv(kGap, static_cast<int>(win32::DpiOf(by)), 96);
  auto place = [&](SIZE size) {
    const ScreenRect at = NoticeBeside(FromRect(r), size.cx, size.cy, gap,
                                       FromRect(monitor.rcWork));
    return POINT{at.left, at.top};
  };
  notice.Show(by, place, L"", text, kNoticeWidth, kNoticeMs);
}

}  // namespace platform
