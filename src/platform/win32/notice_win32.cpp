// A notice by a window that shows also while another program is active:
// the balloon of the form's notices, at the window's right edge.
#include "platform/system.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {

constexpr UINT kNoticeMs = 5000;
constexpr int kNoticeWidth = 600;  // the widest line, pixels at 96 dpi

}  // namespace

// At the window's right edge, a quarter down, so that the balloon leaves
// the window's own controls clickable; it keeps itself on the screen.
void ShowNoticeAt(WindowHandle window, const std::wstring& text) {
  static win32::Balloon notice;
  HWND owner = reinterpret_cast<HWND>(window);
  RECT r{};
  if (!owner || !GetWindowRect(owner, &r)) return;
  notice.Show(owner, {r.right, r.top + (r.bottom - r.top) / 4}, L"", text,
              kNoticeWidth, kNoticeMs);
}

}  // namespace platform
