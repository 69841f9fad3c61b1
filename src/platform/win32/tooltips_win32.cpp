// A form's tooltips, and the balloon below a text box that tells why an edit
// of the user's was refused.
#include <memory>
#include <vector>

#include "platform/win32/controls_win32.h"

namespace platform::win32 {
namespace {

constexpr UINT_PTR kNoticeTimer = 0x7001;
constexpr UINT kNoticeMs = 3500;
// The widest line of a tooltip and of the notice, pixels at 96 dpi.
constexpr int kTipWidth = 600;
constexpr int kNoticeWidth = 400;

}  // namespace

HWND CreateTipWindow(HWND owner, DWORD style, DWORD exStyle) {
  return CreateWindowExW(WS_EX_TOPMOST | exStyle, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | style,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void SetTipWidth(HWND tip, int widthAt96, UINT dpi) {
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0,
               MulDiv(widthAt96, static_cast<int>(dpi), 96));
}

// Tooltips are registered once the form is on the screen: the tooltip
// window and its tools cost start-up time and serve no hidden form.
void FormTips::Set(HWND control, const std::wstring& text) {
  if (!started_) return;
  if (!tooltip_) {
    tooltip_ = CreateTipWindow(form_.hwnd(), 0);
    SetTipWidth(tooltip_, kTipWidth, form_.dpi());
  }
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<wchar_t*>(text.c_str());
  TOOLINFOW existing = info;
  existing.lpszText = nullptr;
  bool known = SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0,
                            reinterpret_cast<LPARAM>(&existing)) != FALSE;
  SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
               reinterpret_cast<LPARAM>(&info));
}

void FormTips::Start(
    const std::vector<std::unique_ptr<ChildWindow>>& controls) {
  if (started_) return;
  started_ = true;
  for (auto& c : controls)
    if (c->hwnd() && !c->toolTip().empty()) Set(c->hwnd(), c->toolTip());
}

// The form moved to a monitor of another dpi.
void FormTips::ApplyDpi() {
  if (tooltip_) SetTipWidth(tooltip_, kTipWidth, form_.dpi());
}

void FormTips::Enable(bool on) {
  if (!tooltip_) return;
  if (!on) SendMessageW(tooltip_, TTM_POP, 0, 0);
  SendMessageW(tooltip_, TTM_ACTIVATE, on, 0);
}

// A balloon below the control for a few seconds.
void FormTips::ShowNotice(HWND control, const std::wstring& title,
                          const std::wstring& text) {
  const HWND owner = form_.hwnd();
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(owner);
  info.lpszText = const_cast<wchar_t*>(text.c_str());
  if (!notice_) {
    notice_ = CreateTipWindow(owner, TTS_BALLOON);
    SendMessageW(notice_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  SetTipWidth(notice_, kNoticeWidth, form_.dpi());
  SendMessageW(notice_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(notice_, TTM_SETTITLEW, TTI_WARNING,
               reinterpret_cast<LPARAM>(title.c_str()));
  RECT r{};
  GetWindowRect(control, &r);
  SendMessageW(notice_, TTM_TRACKPOSITION, 0,
               MAKELPARAM(r.left + (r.right - r.left) / 4, r.bottom));
  SendMessageW(notice_, TTM_TRACKACTIVATE, TRUE,
               reinterpret_cast<LPARAM>(&info));
  SetTimer(owner, kNoticeTimer, kNoticeMs, nullptr);
}

void FormTips::HideNotice() {
  if (notice_) SendMessageW(notice_, TTM_TRACKACTIVATE, FALSE, 0);
}

bool FormTips::OnTimer(UINT_PTR id) {
  if (id != kNoticeTimer) return false;
  KillTimer(form_.hwnd(), kNoticeTimer);
  HideNotice();
  return true;
}

}  // namespace platform::win32
