// A notice by a window: a tracking balloon that stays in front of every
// window for a few seconds without taking the activation, so it shows also
// while another program is active.
#include "platform/system.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {

constexpr UINT kNoticeMs = 5000;
constexpr int kNoticeWidth = 600;  // the widest line, pixels at 96 dpi

struct Notice {
  HWND tip = nullptr;
  UINT_PTR timer = 0;
  TOOLINFOW info{};
};
Notice notice;

void CALLBACK HideNotice(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, notice.timer);
  notice.timer = 0;
  SendMessageW(notice.tip, TTM_TRACKACTIVATE, FALSE,
               reinterpret_cast<LPARAM>(&notice.info));
}

// The balloon, made on first use and owned by the window it is shown by.
HWND NoticeWindow(HWND owner) {
  if (notice.tip && GetWindow(notice.tip, GW_OWNER) == owner) return notice.tip;
  if (notice.tip) DestroyWindow(notice.tip);
  notice.tip = win32::CreateTipWindow(owner, TTS_BALLOON, WS_EX_NOACTIVATE);
  notice.info = TOOLINFOW{};
  notice.info.cbSize = sizeof notice.info;
  notice.info.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
  notice.info.hwnd = owner;
  notice.info.uId = reinterpret_cast<UINT_PTR>(owner);
  notice.info.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(notice.tip, TTM_ADDTOOLW, 0,
               reinterpret_cast<LPARAM>(&notice.info));
  return notice.tip;
}

}  // namespace

// At the window's right edge, a quarter down, so that the balloon leaves
// the window's own controls clickable; it keeps itself on the screen. The
// balloon's window text is its text too, for screen readers and tools that read
// windows.
void ShowNoticeAt(WindowHandle window, const std::wstring& text) {
  HWND owner = reinterpret_cast<HWND>(window);
  if (!owner || !IsWindow(owner)) return;
  HWND tip = NoticeWindow(owner);
  if (!tip) return;
  win32::SetTipWidth(tip, kNoticeWidth, win32::DpiOf(owner));
  notice.info.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tip, TTM_UPDATETIPTEXTW, 0,
               reinterpret_cast<LPARAM>(&notice.info));
  SetWindowTextW(tip, text.c_str());
  RECT r{};
  GetWindowRect(owner, &r);
  SendMessageW(tip, TTM_TRACKPOSITION, 0,
               MAKELPARAM(r.right, r.top + (r.bottom - r.top) / 4));
  SendMessageW(tip, TTM_TRACKACTIVATE, TRUE,
               reinterpret_cast<LPARAM>(&notice.info));
  notice.info.lpszText = const_cast<wchar_t*>(L"");
  if (notice.timer) KillTimer(nullptr, notice.timer);
  notice.timer = SetTimer(nullptr, 0, kNoticeMs, &HideNotice);
}

}  // namespace platform
