// Forms: top-level windows that own their controls and timers, route the
// controls' notifications to them, and raise Resize, Activate and Unload.
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/win32/win32_internal.h"
#include "resource.h"
#include "runtime/vb.h"

namespace platform {
namespace win32 {
namespace {

constexpr wchar_t kFormClass[] = L"PinrowForm";

std::vector<Win32Form*>& OpenForms() {
  static std::vector<Win32Form*> forms;
  return forms;
}

// The program's form that was active last; message and input boxes are not
// forms and never take this place.
Win32Form* lastActiveForm = nullptr;

void RegisterFormClass(WNDPROC proc) {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PINROW));
  wc.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_PINROW), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                 LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
  done = true;
}

DWORD FormStyle(const FormArgs& args) {
  return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
         (args.minButton ? WS_MINIMIZEBOX : 0) |
         (args.maxButton ? WS_MAXIMIZEBOX : 0);
}

}  // namespace

Win32Form::Win32Form(const FormArgs& args) {
  RegisterFormClass(&WndProc);
  DWORD exStyle =
      WS_EX_CONTROLPARENT | (args.toolWindow ? WS_EX_TOOLWINDOW : 0);
  CreateWindowExW(exStyle, kFormClass, args.caption.c_str(), FormStyle(args),
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) vb::Raise(vb::kOutOfMemory);
  OpenForms().push_back(this);
  float left = args.left, top = args.top;
  if (args.centerOnScreen) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT& work = mi.rcWork;
    left = PixelsToTwips(work.left + work.right, dpi()) / 2 - args.width / 2;
    top = PixelsToTwips(work.top + work.bottom, dpi()) / 2 - args.height / 2;
  }
  PlaceOuter({left, top, args.width, args.height});
}

Win32Form::~Win32Form() {
  if (!destroyed_) {
    closing_ = true;
    ReleaseModal();
    DestroyWindow(hwnd_);
  }
  DeleteFonts();  // the controls that used them are gone now
}

Win32Form* Win32Form::FromWindow(HWND hwnd) {
  for (Win32Form* f : OpenForms())
    if (f->hwnd_ == hwnd) return f;
  return nullptr;
}

bool Win32Form::AnyOpen() { return !OpenForms().empty(); }

// ---- geometry
// ----------------------------------------------------------------

float Win32Form::Outer(int i) const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int pixels[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  UINT d = dpi();
  if (TwipsToPixels(outer_[i], d) == pixels[i]) return outer_[i];
  return PixelsToTwips(pixels[i], d);
}

// Records the twips first, so a Resize handler that runs inside the call
// already reads the new value back.
void Win32Form::SetOuter(int i, float twips) {
  if (i >= 2 && twips < 0) twips = 0;
  outer_[i] = twips;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  int pixels[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  pixels[i] = TwipsToPixels(twips, dpi());
  UINT keep = i < 2 ? SWP_NOSIZE : SWP_NOMOVE;
  ::SetWindowPos(hwnd_, nullptr, pixels[0], pixels[1], pixels[2], pixels[3],
                 keep | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The first place and size in one window call.
void Win32Form::PlaceOuter(const std::array<float, 4>& twips) {
  UINT d = dpi();
  for (int i = 0; i < 4; ++i)
    outer_[i] = i >= 2 ? std::max(0.0f, twips[i]) : twips[i];
  ::SetWindowPos(hwnd_, nullptr, TwipsToPixels(outer_[0], d),
                 TwipsToPixels(outer_[1], d), TwipsToPixels(outer_[2], d),
                 TwipsToPixels(outer_[3], d), SWP_NOZORDER | SWP_NOACTIVATE);
}

float Win32Form::ScaleWidth() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return PixelsToTwips(r.right, dpi());
}

float Win32Form::ScaleHeight() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return PixelsToTwips(r.bottom, dpi());
}

std::wstring Win32Form::Caption() const {
  std::wstring text(GetWindowTextLengthW(hwnd_) + 1, L'\0');
  text.resize(
      GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size())));
  return text;
}

bool Win32Form::Visible() const { return IsWindowVisible(hwnd_) != FALSE; }

// ---- showing and closing
// -------------------------------------------------------

void Win32Form::Show() {
  if (destroyed_) return;
  // The first Resize runs before the window appears, so it is never seen
  // at a size that the handler is about to correct.
  showing_ = true;
  ApplyTabOrder();
  Fire(Resize);
  ShowWindow(hwnd_, SW_SHOW);
  showing_ = false;
  if (destroyed_) return;
  StartToolTips();
  lastActiveForm = this;
  Fire(Activate);
}

void Win32Form::ShowModal(Form*) {
  activeBeforeModal_ = GetActiveWindow();
  for (Win32Form* f : OpenForms()) {
    if (f != this && IsWindowEnabled(f->hwnd_)) {
      EnableWindow(f->hwnd_, FALSE);
      disabledForModal_.push_back(f->hwnd_);
    }
  }
  Show();
  MSG msg;
  while (!destroyed_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchOne(msg);
  }
  ReleaseModal();
}

// Gives the forms that a modal form disabled their input back, before the
// modal window goes, so that the system activates one of them and not some
// other program's window.
void Win32Form::ReleaseModal() {
  for (HWND h : disabledForModal_)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  disabledForModal_.clear();
  HWND previous = activeBeforeModal_;
  activeBeforeModal_ = nullptr;
  if (previous && IsWindow(previous) && !destroyed_ &&
      ::GetForegroundWindow() == hwnd_)
    SetForegroundWindow(previous);
}

void Win32Form::Close() {
  if (closing_ || destroyed_) return;
  closing_ = true;
  Fire(Unload);
  if (destroyed_) return;
  ReleaseModal();
  DestroyWindow(hwnd_);
}

// ---- controls
// ------------------------------------------------------------------

ToggleButton& Win32Form::AddToggleButton(const ToggleButtonArgs& args) {
  controls_.push_back(MakeToggleButton(*this, args));
  RestackTabOrder();
  return AsToggle(*controls_.back());
}

PictureButton& Win32Form::AddPictureButton(const PictureButtonArgs& args) {
  controls_.push_back(MakePictureButton(*this, args));
  RestackTabOrder();
  return AsPicture(*controls_.back());
}

CommandButton& Win32Form::AddCommandButton(const CommandButtonArgs& args) {
  controls_.push_back(MakeCommandButton(*this, args));
  RestackTabOrder();
  return AsCommand(*controls_.back());
}

// Interim: the dialog's control kinds are being brought to this backend.
Label& Win32Form::AddLabel(const LabelArgs&) { vb::Raise(vb::kInvalidCall); }
TextBox& Win32Form::AddTextBox(const TextBoxArgs&) {
  vb::Raise(vb::kInvalidCall);
}
VScrollBar& Win32Form::AddVScrollBar(const VScrollBarArgs&) {
  vb::Raise(vb::kInvalidCall);
}
DropDownList& Win32Form::AddDropDownList(const DropDownListArgs&) {
  vb::Raise(vb::kInvalidCall);
}
CheckBox& Win32Form::AddCheckBox(const CheckBoxArgs&) {
  vb::Raise(vb::kInvalidCall);
}
Frame& Win32Form::AddFrame(const FrameArgs&) { vb::Raise(vb::kInvalidCall); }
Shape& Win32Form::AddShape(const ShapeArgs&) { vb::Raise(vb::kInvalidCall); }
Image& Win32Form::AddImage(const ImageArgs&) { vb::Raise(vb::kInvalidCall); }
TabControl& Win32Form::AddTabControl(const TabControlArgs&) {
  vb::Raise(vb::kInvalidCall);
}

Timer& Win32Form::AddTimer() {
  timers_.push_back(std::make_unique<Win32Timer>(hwnd_, timers_.size() + 1));
  return *timers_.back();
}

HFONT Win32Form::FontFor(const FontSpec& wanted) {
  for (const FontEntry& e : fonts_) {
    if (e.face.name == wanted.name && e.face.points == wanted.points &&
        e.face.bold == wanted.bold && e.face.charset == wanted.charset)
      return e.font;
  }
  int height = -static_cast<int>(std::lround(wanted.points * dpi() / 72.0));
  HFONT font =
      CreateFontW(height, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, FALSE,
                  FALSE, FALSE, static_cast<BYTE>(wanted.charset),
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH | FF_DONTCARE, wanted.name.c_str());
  fonts_.push_back({wanted, font});
  return font;
}

void Win32Form::DeleteFonts() {
  for (const FontEntry& e : fonts_) DeleteObject(e.font);
  fonts_.clear();
}

// Tooltips are registered once the form is on the screen: the tooltip
// window and its tools cost start-up time and serve no hidden form.
void Win32Form::SetToolTip(HWND control, const std::wstring& text) {
  if (!showTips_) return;
  if (!tooltip_) {
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                        nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
  }
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = hwnd_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<wchar_t*>(text.c_str());
  TOOLINFOW existing = info;
  existing.lpszText = nullptr;
  bool known = SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0,
                            reinterpret_cast<LPARAM>(&existing)) != FALSE;
  SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
               reinterpret_cast<LPARAM>(&info));
}

// Registers the tooltips of the controls that have windows; those made
// later register their own.
void Win32Form::StartToolTips() {
  if (showTips_) return;
  showTips_ = true;
  for (auto& c : controls_)
    if (c->hwnd() && !c->toolTip().empty()) SetToolTip(c->hwnd(), c->toolTip());
}

void Win32Form::EnableToolTips(bool on) {
  if (!tooltip_) return;
  if (!on) SendMessageW(tooltip_, TTM_POP, 0, 0);
  SendMessageW(tooltip_, TTM_ACTIVATE, on, 0);
}

// The tab order is the z-order of the children. Changes are collected while
// the form is hidden and applied once when it is shown; on a visible form
// they apply at once. Only the children from the first one out of place on
// are moved, so an unchanged order costs no window call. Controls without a
// window yet take their place when it is made.
void Win32Form::RestackTabOrder() {
  tabOrderDirty_ = true;
  if (IsWindowVisible(hwnd_)) ApplyTabOrder();
}

void Win32Form::ApplyTabOrder() {
  if (!tabOrderDirty_) return;
  tabOrderDirty_ = false;
  std::vector<ChildWindow*> order;
  for (auto& c : controls_)
    if (c->hwnd()) order.push_back(c.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const ChildWindow* a, const ChildWindow* b) {
                     return a->tabIndex() < b->tabIndex();
                   });
  std::size_t same = 0;
  while (same < order.size() && same < stacked_.size() &&
         order[same]->hwnd() == stacked_[same])
    ++same;
  HWND after = same == 0 ? HWND_TOP : order[same - 1]->hwnd();
  for (std::size_t i = same; i < order.size(); ++i) {
    ::SetWindowPos(order[i]->hwnd(), after, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = order[i]->hwnd();
  }
  stacked_.clear();
  for (ChildWindow* c : order) stacked_.push_back(c->hwnd());
}

// What lies under a screen point: one of this form's visible controls, its
// client background, or nothing of this form (another window, the caption,
// the desktop).
DropTarget Win32Form::HitTest(POINT screen) {
  HWND under = WindowFromPoint(screen);
  if (!under || GetAncestor(under, GA_ROOTOWNER) != hwnd_) return {};
  POINT client = screen;
  ScreenToClient(hwnd_, &client);
  RECT area{};
  GetClientRect(hwnd_, &area);
  if (!PtInRect(&area, client)) return {};
  HWND child = ChildWindowFromPointEx(hwnd_, client, CWP_SKIPINVISIBLE);
  for (auto& c : controls_)
    if (c->hwnd() && c->hwnd() == child) return {c.get(), false};
  return {nullptr, true};
}

// ---- messages
// ------------------------------------------------------------------

LRESULT CALLBACK Win32Form::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* form = static_cast<Win32Form*>(created->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form =
      reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  try {
    return form->HandleMessage(msg, wp, lp);
  } catch (...) {
    // Event handlers trap their own errors; nothing may cross this point.
    return 0;
  }
}

LRESULT Win32Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (HandleDragMessage(msg, wp, lp)) return 0;
  switch (msg) {
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) Fire(Resize);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) break;
      OnActivate(true);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_COMMAND:
      OnCommand(wp, lp);
      return 0;
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_GETMINMAXINFO:
      OnMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp));
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(*reinterpret_cast<RECT*>(lp));
      return 0;
  }
  if (msg == WM_ACTIVATE) OnActivate(false);
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool Win32Form::HandleDragMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (!drag_.Active()) return false;
  POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  switch (msg) {
    case WM_MOUSEMOVE:
      ClientToScreen(hwnd_, &screen);
      drag_.Move(screen);
      return true;
    case WM_LBUTTONUP:
      ClientToScreen(hwnd_, &screen);
      drag_.Drop(screen);
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd_) drag_.Cancel();
      return true;
    case WM_CANCELMODE:
      drag_.Cancel();
      return false;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) drag_.Cancel();
      return true;
    case WM_COMMAND:  // dialog navigation turns Esc into IDCANCEL
      if (LOWORD(wp) != IDCANCEL || lp != 0) return false;
      drag_.Cancel();
      return true;
    default:
      return false;
  }
}

// Activation restores the keyboard focus inside the form; Activate fires
// only when the form takes over from another of the program's forms (or from
// none), not when the user comes back from another program or a box closes.
void Win32Form::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
    return;
  }
  HWND focus = savedFocus_;
  if (!focus || !IsWindow(focus) || !IsWindowVisible(focus) ||
      !IsWindowEnabled(focus))
    focus = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  ::SetFocus(focus ? focus : hwnd_);
  if (showing_ || lastActiveForm == this) return;
  lastActiveForm = this;
  Fire(Activate);
}

void Win32Form::OnDestroy() {
  destroyed_ = true;
  drag_.Cancel();
  for (auto& t : timers_) t->Stop();
  ReleaseModal();
  auto& forms = OpenForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (lastActiveForm == this) lastActiveForm = nullptr;
  if (forms.empty()) PostQuitMessage(0);
}

void Win32Form::OnCommand(WPARAM wp, LPARAM lp) {
  HWND sender = reinterpret_cast<HWND>(lp);
  if (!sender) return;
  for (auto& c : controls_) {
    if (c->hwnd() == sender) {
      c->OnCommand(HIWORD(wp));
      return;
    }
  }
}

void Win32Form::OnTimer(UINT_PTR id) {
  for (auto& t : timers_) {
    if (t->id() == id) {
      Fire(t->Tick);
      return;
    }
  }
}

// Only the system's own limit: the frame with an empty client area, so a
// small stored size is kept as it is.
void Win32Form::OnMinMaxInfo(MINMAXINFO& info) {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectExForDpi(
      &frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
      static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi());
  info.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
}

// A move to a monitor of another dpi: every control is placed again from its
// twips, with fonts and pictures at the new dpi, and the window takes the
// rectangle the system suggests, so the bar keeps its physical size.
void Win32Form::OnDpiChanged(const RECT& suggested) {
  std::vector<FontEntry> old;
  old.swap(fonts_);
  for (auto& c : controls_) c->ApplyDpi();
  for (const FontEntry& e : old) DeleteObject(e.font);
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left,
                 suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace win32

std::unique_ptr<Form> CreateForm(const FormArgs& args) {
  return std::make_unique<win32::Win32Form>(args);
}

}  // namespace platform
