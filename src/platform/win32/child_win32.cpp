// The common child-window plumbing of every control: creation with any
// window class in any container, the binding to its object, reflection of
// the notifications children send to their parents, placement from twips,
// and the properties every control shares.
#include <cstdio>
#include <exception>

#include "platform/win32/controls_win32.h"
#include "runtime/vb.h"

namespace platform::win32 {

void ReportStray(const char* where) noexcept {
  char line[512];
  try {
    throw;
  } catch (const vb::RuntimeError& e) {
    std::snprintf(line, sizeof line, "Pinrow: run-time error %ld in %s\n",
                  static_cast<long>(e.Number()), where);
  } catch (const std::exception& e) {
    std::snprintf(line, sizeof line, "Pinrow: %s in %s\n", e.what(), where);
  } catch (...) {
    std::snprintf(line, sizeof line, "Pinrow: unknown exception in %s\n",
                  where);
  }
  OutputDebugStringA(line);
}

// ---- reflection ------------------------------------------------------------

namespace {

// The child that sent a notification to its parent, or null.
HWND SenderOf(UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(lp);
    case WM_NOTIFY:
      return reinterpret_cast<NMHDR*>(lp)->hwndFrom;
    case WM_DRAWITEM:
      return reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
    default:
      return nullptr;
  }
}

}  // namespace

bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  ChildWindow* child = ObjectOf<ChildWindow>(SenderOf(msg, wp, lp));
  return child && child->OnReflect(msg, wp, lp, result);
}

// ---- ChildWindow
// -------------------------------------------------------------

ChildWindow::ChildWindow(Win32Container& parent, const ControlArgs& args)
    : parent_(parent),
      geometry_{args.left, args.top, args.width, args.height},
      visible_(args.visible),
      enabled_(args.enabled),
      tabStop_(args.tabStop),
      toolTip_(args.toolTip),
      font_(args.font.name.empty() ? parent.form().defaultFont() : args.font) {
  tabIndex_ = args.tabIndex;
}

ChildWindow::~ChildWindow() {
  if (hwnd_) parent_.Unstack(*this);
}

bool ChildWindow::OnReflect(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void ChildWindow::Init(const wchar_t* windowClass, DWORD style, DWORD exStyle,
                       const std::wstring& text) {
  windowClass_ = windowClass;
  style_ = style;
  exStyle_ = exStyle;
  text_ = text;
  autoWidth_ = geometry_[2] == 0;
  autoHeight_ = geometry_[3] == 0;
}

void ChildWindow::Attach(std::unique_ptr<ChildWindow> self) {
  sequence_ = form().Keep(std::move(self));
  if (tabIndex_ < 0) tabIndex_ = sequence_;
  parent_.Adopt(*this);
  measurePending_ = autoWidth_ || autoHeight_;  // measured when read
  if (windowless())
    InvalidateArea();
  else if (visible_ && parent_.Realized())
    CreateWindowNow();
}

HWND ChildWindow::EnsureWindow() {
  if (!hwnd_ && !windowless()) CreateWindowNow();
  return hwnd_;
}

// Makes the window with every property the control holds, hooks it to the
// control and stacks it among its siblings.
void ChildWindow::CreateWindowNow() {
  HWND host = parent_.Host();
  RECT r = HostRect();
  DWORD style = style_ | WS_CHILD | WS_CLIPSIBLINGS |
                (visible_ ? WS_VISIBLE : 0) | (enabled_ ? 0 : WS_DISABLED) |
                (tabStop_ ? WS_TABSTOP : 0);
  hwnd_ = CreateWindowExW(
      exStyle_, windowClass_, text_.c_str(), style, r.left, r.top,
      r.right - r.left, r.bottom - r.top + ExtraWindowHeight(), host,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + sequence_)),
      GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) vb::Raise(vb::kOutOfMemory);
  BindWindow(hwnd_, *this);
  classProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlProc)));
  parent_.Stack(*this);  // before any window made inside it (tab pages)
  ApplyLook();
  // Measured again by ApplyLook, at the dpi the window has now.
  const RECT measured = HostRect();
  if ((autoWidth_ || autoHeight_) && !EqualRect(&r, &measured)) Place();
  ApplyState();
  if (!toolTip_.empty()) form().tips().Set(hwnd_, toolTip_);
}

// The control's window procedure, put in front of its class's own when the
// window is made (one window call; the common controls' subclassing costs
// several trips to the server under Wine for every control).
LRESULT CALLBACK ChildWindow::ControlProc(HWND hwnd, UINT msg, WPARAM wp,
                                          LPARAM lp) {
  auto* self = ObjectOf<ChildWindow>(hwnd);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {  // the last message the window gets
    UnbindWindow(hwnd);
    self->hwnd_ = nullptr;
    return CallWindowProcW(self->classProc_, hwnd, msg, wp, lp);
  }
  try {
    LRESULT result = 0;
    if (self->OnMessage(msg, wp, lp, result)) return result;
  } catch (...) {
    ReportStray("a control's window procedure");
    return 0;
  }
  return self->ClassProc(msg, wp, lp);
}

LRESULT ChildWindow::ClassProc(UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(classProc_, hwnd_, msg, wp, lp);
}

bool ChildWindow::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg == WM_MOUSEWHEEL && TakeWheel(GET_WHEEL_DELTA_WPARAM(wp))) {
    result = 0;
    return true;
  }
  // While a drag is under way the keyboard only cancels it (Esc).
  bool keyDown = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
  if (keyDown && form().drag().Active()) {
    if (wp == VK_ESCAPE) form().drag().Cancel();
    result = 0;
    return true;
  }
  return false;
}

// A high-resolution wheel reports parts of a notch (WHEEL_DELTA is one):
// they add up until they make a whole one, either way.
bool ChildWindow::TakeWheel(int delta) {
  if (!WantsWheel()) return false;
  wheelRest_ += delta;
  const int notches = wheelRest_ / WHEEL_DELTA;
  wheelRest_ -= notches * WHEEL_DELTA;
  if (notches) OnWheel(notches);
  return true;
}

// Measures first: measuring may choose the font (a label shrunk to fit).
void ChildWindow::ApplyLook() {
  if (autoWidth_ || autoHeight_) {
    measurePending_ = false;
    Measure();
  }
  if (hwnd_)
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()),
                 IsWindowVisible(hwnd_));
}

HFONT ChildWindow::Font() const { return form().FontFor(font_); }

void ChildWindow::ApplyDpi() {
  if (windowless()) return InvalidateArea();
  if (!hwnd_) return;
  ApplyLook();
  Place();
}

// ---- geometry
// ----------------------------------------------------------------

float ChildWindow::AbsLeft() const {
  return parent_.OriginLeft() + geometry_[0];
}

float ChildWindow::AbsTop() const { return parent_.OriginTop() + geometry_[1]; }

void ChildWindow::MeasureIfPending() const {
  if (!measurePending_) return;
  measurePending_ = false;  // a measure that reads the size finds it set
  const_cast<ChildWindow*>(this)->Measure();
}

void ChildWindow::Remeasure() {
  measurePending_ = true;
  if (hwnd_) MeasureIfPending();
}

PixelRect ChildWindow::FormPixels() const {
  MeasureIfPending();
  return PlaceTwips(AbsLeft(), AbsTop(), geometry_[2], geometry_[3],
                    form().dpi());
}

RECT ChildWindow::HostRect() const {
  PixelRect p = FormPixels();
  POINT o = parent_.HostOrigin();
  return {p.x - o.x, p.y - o.y, p.x - o.x + p.cx, p.y - o.y + p.cy};
}

void ChildWindow::Place() {
  if (!hwnd_) return;
  RECT r = HostRect();
  ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left,
                 r.bottom - r.top + ExtraWindowHeight(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  OnPlaced();
}

void ChildWindow::PlaceAgain() {
  if (windowless())
    InvalidateArea();
  else
    Place();
}

// A container not shown yet paints it when it first is; asking for its host
// here would make that window before its time.
void ChildWindow::InvalidateArea() const {
  if (!parent_.Realized()) return;
  HWND host = const_cast<Win32Container&>(parent_).Host();
  RECT r = HostRect();
  InvalidateRect(host, &r, TRUE);
}

// Setting a property to the value it has is no window call: the bar
// re-applies every button each time it becomes active. A control without a
// window only records the value.
void ChildWindow::SetGeometry(int i, float twips) {
  if (i >= 2 && twips < 0) twips = 0;
  if (geometry_[i] == twips) return;
  if (windowless()) InvalidateArea();
  geometry_[i] = twips;
  if (i == 2) autoWidth_ = false;
  if (i == 3) autoHeight_ = false;
  if (windowless())
    InvalidateArea();
  else
    Place();
}

void ChildWindow::SetVisibleFlag(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (windowless()) return InvalidateArea();
  if (!hwnd_) {
    if (v && parent_.Realized()) CreateWindowNow();
    return;
  }
  ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
  OnShown(v);
}

void ChildWindow::SetEnabledFlag(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  if (hwnd_) EnableWindow(hwnd_, v);
}

void ChildWindow::SetTabStopFlag(bool v) {
  if (tabStop_ == v) return;
  tabStop_ = v;
  if (!hwnd_) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style =
      v ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
}

// The tab order is kept by the form's own keyboard interface, apart from
// the stacking, so a new index costs no window call.
void ChildWindow::SetTabIndexValue(int i) {
  if (i < 0) vb::Raise(vb::kInvalidPropertyValue);
  tabIndex_ = i;
}

void ChildWindow::SetToolTip(const std::wstring& t) {
  if (toolTip_ == t) return;
  toolTip_ = t;
  if (hwnd_) form().tips().Set(hwnd_, t);
}

void ChildWindow::SetText(const std::wstring& t) {
  if (text_ == t) return;
  text_ = t;
  if (hwnd_) SetWindowTextW(hwnd_, t.c_str());
}

void ChildWindow::TextChanged(const std::wstring& t) { text_ = t; }

// A window that is shown and enabled, in shown and enabled containers.
bool ChildWindow::Reachable() const {
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return false;
  for (HWND h = hwnd_; h && h != form().hwnd(); h = GetParent(h))
    if (!IsWindowEnabled(h)) return false;
  return true;
}

void ChildWindow::Focus() {
  if (!Reachable()) vb::Raise(vb::kInvalidCall);
  ::SetFocus(hwnd_);
}

void ChildWindow::PixelToTwips(POINT inControl, float& x, float& y) const {
  // Measured from the form's client origin and taken relative to the stored
  // twip position, so a point converts back exactly to where it was.
  MapWindowPoints(hwnd_, form().hwnd(), &inControl, 1);
  UINT dpi = form().dpi();
  x = PixelsToTwips(inControl.x, dpi) - AbsLeft();
  y = PixelsToTwips(inControl.y, dpi) - AbsTop();
}

}  // namespace platform::win32
