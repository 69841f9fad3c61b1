// Tooltip windows: a form's tooltips, and the notice balloons (the one below
// a text box that tells why an edit of the user's was refused, and the one
// by the bar after a paste that could not be typed).
#include <memory>
#include <vector>

#include "platform/win32/controls_win32.h"

namespace platform::win32 {
namespace {

constexpr UINT kNoticeMs = 3500;
constexpr UINT_PTR kBalloonTimer = 1;
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

namespace {

// The tool of a balloon: the owner window itself, tracked.
TOOLINFOW BalloonTool(HWND owner, const wchar_t* text) {
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(owner);
  info.lpszText = const_cast<wchar_t*>(text);
  return info;
}

void HideBalloon(HWND tip) {
  KillTimer(tip, kBalloonTimer);
  TOOLINFOW info = BalloonTool(GetWindow(tip, GW_OWNER), L"");
  SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
}

void CALLBACK BalloonExpired(HWND tip, UINT, UINT_PTR, DWORD) {
  HideBalloon(tip);
}

}  // namespace

void Balloon::Show(HWND owner, POINT at, const std::wstring& title,
                   const std::wstring& text, int widthAt96, UINT ms) {
  if (!owner || !IsWindow(owner)) return;
  TOOLINFOW info = BalloonTool(owner, text.c_str());
  if (!IsWindow(tip_) || GetWindow(tip_, GW_OWNER) != owner) {
    if (IsWindow(tip_)) DestroyWindow(tip_);
    tip_ = CreateTipWindow(owner, TTS_BALLOON, WS_EX_NOACTIVATE);
    if (!tip_) return;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  SetTipWidth(tip_, widthAt96, DpiOf(owner));
  SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(tip_, TTM_SETTITLEW, title.empty() ? TTI_NONE : TTI_WARNING,
               reinterpret_cast<LPARAM>(title.c_str()));
  SetWindowTextW(tip_, text.c_str());
  SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  SetTimer(tip_, kBalloonTimer, ms, &BalloonExpired);
}

void Balloon::Hide() {
  if (IsWindow(tip_)) HideBalloon(tip_);
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
  RECT r{};
  GetWindowRect(control, &r);
  notice_.Show(form_.hwnd(), {r.left + (r.right - r.left) / 4, r.bottom}, title,
               text, kNoticeWidth, kNoticeMs);
}

}  // namespace platform::win32
