// Tooltip windows: a form's tooltips, and the notices (the balloon below a
// text box that tells why an edit of the user's was refused, and the box
// beside the bar after a paste that could not be typed).
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

HWND CreateTipWindow(DWORD style, DWORD exStyle) {
  return CreateWindowExW(WS_EX_TOPMOST | exStyle, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | style,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void SetTipWidth(HWND tip, int widthAt96, UINT dpi) {
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0,
               MulDiv(widthAt96, static_cast<int>(dpi), 96));
}

namespace {

// The tool of a notice: the window it is shown by, tracked.
TOOLINFOW NoticeTool(HWND by, const wchar_t* text) {
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
  info.hwnd = by;
  info.uId = reinterpret_cast<UINT_PTR>(by);
  info.lpszText = const_cast<wchar_t*>(text);
  return info;
}

// Hides a notice; its one tool is the one to stop tracking.
void HideNotice(HWND tip) {
  KillTimer(tip, kBalloonTimer);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  if (SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)))
    SendMessageW(tip, TTM_TRACKACTIVATE, FALSE,
                 reinterpret_cast<LPARAM>(&info));
}

void CALLBACK NoticeExpired(HWND tip, UINT, UINT_PTR, DWORD) {
  HideNotice(tip);
}

void TrackAt(HWND tip, POINT at) {
  SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
}

}  // namespace

Balloon::~Balloon() {
  if (IsWindow(tip_)) DestroyWindow(tip_);
}

// A balloon's stem goes to its place. A box is shown where its last size
// puts it, then moved to its place once its size for this text is known,
// and then by what its window still lies off the place (the tooltip sets
// its border around the point, and keeps itself on the screen).
void Balloon::Show(HWND by, const Place& place, const std::wstring& title,
                   const std::wstring& text, int widthAt96, UINT ms) {
  if (!by || !IsWindow(by)) return;
  TOOLINFOW info = NoticeTool(by, text.c_str());
  if (!IsWindow(tip_) || by_ != by) {
    if (IsWindow(tip_)) DestroyWindow(tip_);
    tip_ = CreateTipWindow(pointing_ ? TTS_BALLOON : 0, WS_EX_NOACTIVATE);
    by_ = by;
    if (!tip_) return;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  SetTipWidth(tip_, widthAt96, DpiOf(by));
  SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  // No title at all rather than an empty one, which takes a line.
  SendMessageW(tip_, TTM_SETTITLEW, title.empty() ? TTI_NONE : TTI_WARNING,
               title.empty() ? 0 : reinterpret_cast<LPARAM>(title.c_str()));
  SetWindowTextW(tip_, text.c_str());
  RECT r{};
  GetWindowRect(tip_, &r);
  const POINT first = place({r.right - r.left, r.bottom - r.top});
  TrackAt(tip_, first);
  SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  POINT track = first;
  for (int step = 0; step < 2 && !pointing_; ++step) {
    GetWindowRect(tip_, &r);
    const POINT at = place({r.right - r.left, r.bottom - r.top});
    if (at.x == r.left && at.y == r.top) break;
    track =
        step == 0 ? at : POINT{track.x + at.x - r.left, track.y + at.y - r.top};
    TrackAt(tip_, track);
  }
  NotifyWinEvent(EVENT_SYSTEM_ALERT, tip_, OBJID_CLIENT, CHILDID_SELF);
  MessageBeep(MB_ICONWARNING);
  SetTimer(tip_, kBalloonTimer, ms, &NoticeExpired);
}

void Balloon::Hide() {
  if (IsWindow(tip_)) HideNotice(tip_);
}

FormTips::~FormTips() {
  if (tooltip_) DestroyWindow(tooltip_);
}

// Tooltips are registered once the form is on the screen: the tooltip
// window and its tools cost start-up time and serve no hidden form.
void FormTips::Set(HWND control, const std::wstring& text) {
  if (!started_) return;
  if (!tooltip_) {
    tooltip_ = CreateTipWindow(0);
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
