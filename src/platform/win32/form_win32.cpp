// Forms: top-level windows that own their controls and timers, reflect the
// controls' notifications to them, and raise Resize, Activate and Unload.
// Their keyboard interface is in keyboard_win32.cpp, their tooltips in
// tooltips_win32.cpp.
#include <algorithm>

#include "platform/placement.h"
#include "platform/trace.h"
#include "platform/win32/controls_win32.h"
#include "resource.h"
#include "runtime/vb.h"

namespace platform {
namespace win32 {
namespace {

constexpr wchar_t kFormClass[] = L"PinrowForm";
// The timer that holds AppActivate back until the user's click is over;
// the form's own timers count from 1.
constexpr UINT_PTR kAppActivateTimer = 0x5041;
constexpr UINT kAppActivatePollMs = 30;

ATOM& FormClassAtom() {
  static ATOM atom = 0;
  return atom;
}

std::vector<Win32Form*>& OpenForms() {
  static std::vector<Win32Form*> forms;
  return forms;
}

// The program's form that was active last; message and input boxes are not
// forms and never take this place.
Win32Form* lastActiveForm = nullptr;

void RegisterFormClass(WNDPROC proc) {
  if (FormClassAtom()) return;
  INITCOMMONCONTROLSEX icc{
      sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  FormClassAtom() = RegisterClassExW(&wc);
}

DWORD FormStyle(const FormArgs& args) {
  return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
         (args.sizable ? WS_THICKFRAME : 0) |
         (args.minButton ? WS_MINIMIZEBOX : 0) |
         (args.maxButton ? WS_MAXIMIZEBOX : 0);
}

}  // namespace

Win32Form::Win32Form(const FormArgs& args)
    : Win32Container(*this), args_(args) {
  RegisterFormClass(&WndProc);
  DWORD exStyle =
      WS_EX_CONTROLPARENT | (args.toolWindow ? WS_EX_TOOLWINDOW : 0);
  CreateWindowExW(exStyle, kFormClass, args.caption.c_str(), FormStyle(args),
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) vb::Raise(vb::kOutOfMemory);
  dpi_ = DpiOf(hwnd_);
  OpenForms().push_back(this);
  outer_[0] = args.left;
  outer_[1] = args.top;
  outer_[2] = std::max(args.width, PixelsToTwips(PixelSize(2, 0), dpi()));
  outer_[3] = std::max(args.height, PixelsToTwips(PixelSize(3, 0), dpi()));
}

Win32Form::~Win32Form() {
  if (!destroyed_) {
    closing_ = true;
    ReleaseModal();
    DestroyWindow(hwnd_);
  }
  // The windows are gone; the controls go last-made first, so no container
  // goes before what it holds.
  while (!controls_.empty()) controls_.pop_back();
}

bool Win32Form::AnyOpen() { return !OpenForms().empty(); }

// The newest form on the screen: the settings dialog while it is open,
// otherwise the bar. The system's active window is no guide: it is another
// program's right after a paste.
HWND Win32Form::BoxOwner() {
  const auto& forms = OpenForms();
  for (auto f = forms.rbegin(); f != forms.rend(); ++f)
    if (IsWindowVisible((*f)->hwnd_)) return (*f)->hwnd_;
  return nullptr;
}

int Win32Form::Keep(std::unique_ptr<ChildWindow> control) {
  controls_.push_back(std::move(control));
  return static_cast<int>(controls_.size()) - 1;
}

// ---- geometry
// ----------------------------------------------------------------
//
// Until the form is first shown, its geometry only lives in the twips: the
// setters record them (and raise Resize when the size changes, as a window
// would), and Show places the window once, with its first size and place,
// centred or moved onto a monitor as needed. A hidden window moved about by
// every setter costs start-up time and shows nobody anything.

// The frame around an empty client area, pixels: also the smallest size the
// system gives the window.
SIZE Win32Form::FramePixels() const {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectExForDpi(
      &frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
      static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi());
  return {frame.right - frame.left, frame.bottom - frame.top};
}

// The window's pixel size for an outer size in twips.
int Win32Form::PixelSize(int i, float twips) const {
  const SIZE frame = FramePixels();
  return std::max<int>(TwipsToPixels(twips, dpi()),
                       i == 2 ? frame.cx : frame.cy);
}

float Win32Form::Outer(int i) const {
  if (!placed_) return outer_[i];
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
  if (!placed_) {
    const bool resized =
        i >= 2 && PixelSize(i, twips) != PixelSize(i, outer_[i]);
    outer_[i] =
        i >= 2 ? std::max(twips, PixelsToTwips(PixelSize(i, 0), dpi())) : twips;
    if (resized) Fire(Resize);
    return;
  }
  outer_[i] = twips;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  int pixels[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  pixels[i] = TwipsToPixels(twips, dpi());
  UINT keep = i < 2 ? SWP_NOSIZE : SWP_NOMOVE;
  ::SetWindowPos(hwnd_, nullptr, pixels[0], pixels[1], pixels[2], pixels[3],
                 keep | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The first place and size: at the dpi of the monitor the saved position
// belongs to, in one window call, centred on the primary monitor's work
// area when the form asks for it, and moved onto the nearest monitor when
// no part of it would lie on one. Should the system then give the window
// another dpi (it lies mostly on another monitor), the pixels follow the
// twips at that dpi.
void Win32Form::PlaceFirst() {
  placing_ = true;
  if (!args_.centerOnScreen) SetDpi(SavedPositionDpi());
  MoveToTwips();
  if (DpiOf(hwnd_) != dpi()) {
    SetDpi(DpiOf(hwnd_));
    MoveToTwips();
  }
  placing_ = false;
  placed_ = true;
}

// The window placed on the pixels of its twips at its dpi.
void Win32Form::MoveToTwips() {
  const UINT d = dpi();
  RECT r{TwipsToPixels(outer_[0], d), TwipsToPixels(outer_[1], d), 0, 0};
  r.right = r.left + PixelSize(2, outer_[2]);
  r.bottom = r.top + PixelSize(3, outer_[3]);
  if (args_.centerOnScreen) CentreOnScreen(r);
  KeepOnScreen(r);
  if (r.left != TwipsToPixels(outer_[0], d))
    outer_[0] = PixelsToTwips(r.left, d);
  if (r.top != TwipsToPixels(outer_[1], d)) outer_[1] = PixelsToTwips(r.top, d);
  ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Each monitor's dpi, from shcore, loaded only on a desk of several
// monitors (one monitor has the window's own dpi).
UINT Win32Form::SavedPositionDpi() const {
  if (GetSystemMetrics(SM_CMONITORS) <= 1) return dpi();
  using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto dpiFor =
      SystemFunction<DpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  if (!dpiFor) return dpi();
  struct Desk {
    DpiForMonitorFn dpiFor;
    std::vector<MonitorArea> monitors;
    UINT primary = USER_DEFAULT_SCREEN_DPI;
  } desk{dpiFor, {}, dpi()};
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT r, LPARAM lp) -> BOOL {
        auto* d = reinterpret_cast<Desk*>(lp);
        UINT x = 0, y = 0;
        if (FAILED(d->dpiFor(m, 0, &x, &y)) || !x)  // MDT_EFFECTIVE_DPI
          x = USER_DEFAULT_SCREEN_DPI;
        d->monitors.push_back({r->left, r->top, r->right, r->bottom, x});
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        if (GetMonitorInfoW(m, &mi) && (mi.dwFlags & MONITORINFOF_PRIMARY))
          d->primary = x;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&desk));
  return PlacementDpi(outer_[0], outer_[1], desk.monitors, desk.primary);
}

// Centred on the work area of the primary monitor.
void Win32Form::CentreOnScreen(RECT& r) const {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& work = mi.rcWork;
  OffsetRect(&r, (work.left + work.right - (r.right - r.left)) / 2 - r.left,
             (work.top + work.bottom - (r.bottom - r.top)) / 2 - r.top);
}

// A window that no monitor's work area shows any part of (a position saved
// on a monitor since unplugged) moves onto the nearest monitor, by the
// least way; a window partly on screen stays where it is.
void Win32Form::KeepOnScreen(RECT& w) const {
  struct Search {
    RECT window;
    bool seen = false;
  } search{w};
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        RECT both{};
        if (GetMonitorInfoW(m, &mi) &&
            IntersectRect(&both, &mi.rcWork, &s->window))
          s->seen = true;
        return !s->seen;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.seen) return;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromRect(&w, MONITOR_DEFAULTTONEAREST), &mi);
  const RECT& work = mi.rcWork;
  const int x = std::max<int>(
      work.left, std::min<int>(w.left, work.right - (w.right - w.left)));
  const int y = std::max<int>(
      work.top, std::min<int>(w.top, work.bottom - (w.bottom - w.top)));
  OffsetRect(&w, x - w.left, y - w.top);
}

// The work area of the monitor nearest the window (of its twips before it
// is first placed), in twips at the window's dpi.
ScreenArea Win32Form::WorkArea() const {
  const UINT d = dpi();
  RECT r{TwipsToPixels(Outer(0), d), TwipsToPixels(Outer(1), d), 0, 0};
  r.right = r.left + PixelSize(2, Outer(2));
  r.bottom = r.top + PixelSize(3, Outer(3));
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi);
  const RECT& work = mi.rcWork;
  return {PixelsToTwips(work.left, d), PixelsToTwips(work.top, d),
          PixelsToTwips(work.right, d), PixelsToTwips(work.bottom, d)};
}

// The client area: the window's less its frame (the window's own before it
// is first placed).
float Win32Form::ScaleWidth() const {
  if (!placed_)
    return PixelsToTwips(PixelSize(2, outer_[2]) - FramePixels().cx, dpi());
  RECT r{};
  GetClientRect(hwnd_, &r);
  return PixelsToTwips(r.right, dpi());
}

float Win32Form::ScaleHeight() const {
  if (!placed_)
    return PixelsToTwips(PixelSize(3, outer_[3]) - FramePixels().cy, dpi());
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

namespace {

// The program's icon at a size in pixels, loaded once for the program's
// run: the settings dialog is made anew at every opening.
HICON AppIcon(int size) {
  static std::vector<std::pair<int, IconHandle>> loaded;
  for (const auto& [s, icon] : loaded)
    if (s == size) return icon.get();
  loaded.emplace_back(
      size, IconHandle(static_cast<HICON>(LoadImageW(
                GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PINROW),
                IMAGE_ICON, size, size, LR_DEFAULTCOLOR))));
  return loaded.back().second.get();
}

}  // namespace

// The program's icon on the caption, the task bar and Alt+Tab, at the
// window's dpi. A tool window (the bar) shows it nowhere and goes without.
void Win32Form::SetIcons() {
  if (args_.toolWindow) return;
  const int sizes[2] = {GetSystemMetricsForDpi(SM_CXICON, dpi()),
                        GetSystemMetricsForDpi(SM_CXSMICON, dpi())};
  for (int i = 0; i < 2; ++i)
    SendMessageW(hwnd_, WM_SETICON, i == 0 ? ICON_BIG : ICON_SMALL,
                 reinterpret_cast<LPARAM>(AppIcon(sizes[i])));
}

void Win32Form::Show() {
  if (destroyed_) return;
  // The first Resize runs before the window appears, so it is never seen
  // at a size that the handler is about to correct.
  showing_ = true;
  if (!placed_) {
    PlaceFirst();
    PINROW_MARK("show: placed");
    SetIcons();
    PINROW_MARK("show: icons");
    RealizeChildren();
    PINROW_MARK("show: windows made");
  }
  Fire(Resize);
  ShowWindow(hwnd_, SW_SHOW);
  PINROW_MARK("show: shown");
  showing_ = false;
  if (destroyed_) return;
  tips_.Start(controls_);
  if (lastActiveForm == this) return;
  lastActiveForm = this;
  Fire(Activate);
}

void Win32Form::ShowModal(Form* owner) {
  const ModalScope modal;
  activeBeforeModal_ = GetActiveWindow();
  if (auto* o = dynamic_cast<Win32Form*>(owner))
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT,
                      reinterpret_cast<LONG_PTR>(o->hwnd_));
  for (Win32Form* f : OpenForms()) {
    if (f != this && IsWindowEnabled(f->hwnd_)) {
      EnableWindow(f->hwnd_, FALSE);
      disabledForModal_.push_back(f->hwnd_);
    }
  }
  PINROW_MARK("modal: others disabled");
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

Timer& Win32Form::AddTimer() {
  timers_.push_back(std::make_unique<Win32Timer>(hwnd_, timers_.size() + 1));
  return *timers_.back();
}

// ---- fonts and hit testing ------------------------------------------------

HFONT Win32Form::FontFor(const FontSpec& wanted) {
  for (const FontEntry& e : fonts_) {
    if (e.face.name == wanted.name && e.face.points == wanted.points &&
        e.face.bold == wanted.bold && e.face.charset == wanted.charset &&
        e.face.weight == wanted.weight && e.face.underline == wanted.underline)
      return e.font.get();
  }
  int height = -PointsToPixels(wanted.points, dpi());
  int weight = wanted.weight ? wanted.weight
               : wanted.bold ? FW_BOLD
                             : FW_NORMAL;
  FontHandle font(CreateFontW(height, 0, 0, 0, weight, FALSE, wanted.underline,
                              FALSE, static_cast<BYTE>(wanted.charset),
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              wanted.name.c_str()));
  fonts_.push_back({wanted, std::move(font)});
  return fonts_.back().font.get();
}

HDC Win32Form::MeasuringDc() {
  if (!measuring_) measuring_.Reset(CreateCompatibleDC(nullptr));
  return measuring_.get();
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
  auto* c = child != hwnd_ ? ObjectOf<ChildWindow>(child) : nullptr;
  if (c && &c->form() == this) return {c, false};
  return {nullptr, true};
}

// ---- messages
// ------------------------------------------------------------------

LRESULT CALLBACK Win32Form::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* form = static_cast<Win32Form*>(created->lpCreateParams);
    form->hwnd_ = hwnd;
    BindWindow(hwnd, *form);
  }
  auto* form = ObjectOf<Win32Form>(hwnd);
  if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) UnbindWindow(hwnd);
  try {
    return form->HandleMessage(msg, wp, lp);
  } catch (...) {
    ReportStray("a form's window procedure");
    return 0;
  }
}

LRESULT Win32Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (HandleDragMessage(msg, wp, lp)) return 0;
  LRESULT reflected = 0;
  if (Reflect(msg, wp, lp, reflected)) return reflected;
  switch (msg) {
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED && !placing_) Fire(Resize);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) break;
      OnActivate(true);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATEAPP:
      if (wp && leftForOtherProgram_) OnAppActivated();
      leftForOtherProgram_ = !wp;
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp) EndSession();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_PAINT:
      PaintContainer(*this, hwnd_);
      return 0;
    case DM_GETDEFID:
      return DefaultButtonId();
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_HOTKEY:
      Fire(HotKey, static_cast<int>(wp));
      return 0;
    case WM_GETMINMAXINFO:
      OnMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp));
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wp), *reinterpret_cast<RECT*>(lp));
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

// Activation restores the keyboard focus inside the form (the control that
// gets it back fires no GotFocus: nothing moved as far as the form goes, and
// a handler that showed a box would run again as the box closes); Activate
// fires
// only when the form takes over from another of the program's forms (or from
// none), not when the user comes back from another program or a box closes.
void Win32Form::OnActivate(bool active) {
  if (!active) {
    ForgetModifiers();
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
    tips_.HideNotice();
    return;
  }
  HWND focus = savedFocus_;
  if (focus && IsWindow(focus) && IsWindowVisible(focus) &&
      IsWindowEnabled(focus)) {
    restoringFocus_ = true;
    ::SetFocus(focus);
    restoringFocus_ = false;
  } else {
    FocusFirst();
  }
  if (showing_ || lastActiveForm == this) return;
  lastActiveForm = this;
  Fire(Activate);
}

void Win32Form::OnDestroy() {
  destroyed_ = true;
  ForgetInstance(hwnd_);
  drag_.Cancel();
  for (auto& t : timers_) t->Stop();
  ReleaseModal();
  auto& forms = OpenForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (lastActiveForm == this) lastActiveForm = nullptr;
  if (forms.empty()) PostQuitMessage(0);
}

// The program became the active one again after the user had gone to
// another program (its first activation, as it starts, is no coming back):
// AppActivate waits on a short timer
// until the mouse button that may have brought the form forward is up (the
// click runs first) and no modal window of the program is open over it.
void Win32Form::OnAppActivated() {
  if (AppActivate)
    SetTimer(hwnd_, kAppActivateTimer, kAppActivatePollMs, nullptr);
}

void Win32Form::FireAppActivateWhenFree() {
  const bool buttonDown = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ||
                          (GetAsyncKeyState(VK_RBUTTON) & 0x8000) ||
                          (GetAsyncKeyState(VK_MBUTTON) & 0x8000);
  if (buttonDown || !IsWindowEnabled(hwnd_)) return;
  KillTimer(hwnd_, kAppActivateTimer);
  Fire(AppActivate);
}

void Win32Form::OnTimer(UINT_PTR id) {
  if (id == kAppActivateTimer) {
    FireAppActivateWhenFree();
    return;
  }
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
  const SIZE frame = FramePixels();
  info.ptMinTrackSize = {frame.cx, frame.cy};
}

// Every control placed again from its twips, with fonts and pictures at
// the new dpi.
void Win32Form::SetDpi(UINT dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  std::vector<FontEntry> old;
  old.swap(fonts_);
  for (auto& c : controls_) c->ApplyDpi();
  tips_.ApplyDpi();
  SetIcons();
}

// A move to a monitor of another dpi: the window takes the rectangle the
// system suggests, so the form keeps its physical size; while it is first
// placed, its twips decide (PlaceFirst).
void Win32Form::OnDpiChanged(UINT dpi, const RECT& suggested) {
  SetDpi(dpi);
  if (placing_) return;
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left,
                 suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace win32

std::unique_ptr<Form> CreateForm(const FormArgs& args) {
  return std::make_unique<win32::Win32Form>(args);
}

}  // namespace platform
