// Child controls: the common child-window plumbing, the toggle button and
// the picture button.
#include "platform/win32/win32_internal.h"
#include "resource.h"
#include "runtime/vb.h"

namespace platform::win32 {
namespace {

int ShiftMaskNow() {
  return (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) |
         (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
         (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

int MouseShiftMask(WPARAM keys) {
  return ((keys & MK_SHIFT) ? kShiftMask : 0) |
         ((keys & MK_CONTROL) ? kCtrlMask : 0) |
         (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

}  // namespace

// ---- ChildWindow
// -------------------------------------------------------------

ChildWindow::ChildWindow(Win32Form& form, float left, float top, float width,
                         float height)
    : form_(form), geometry_{left, top, width, height} {
  sequence_ = form.NextControlId() - 1000;
  tabIndex_ = sequence_;
}

void ChildWindow::Init(DWORD style, const std::wstring& text, bool visible,
                       bool enabled) {
  style_ = style;
  text_ = text;
  visible_ = visible;
  enabled_ = enabled;
  if (visible_) CreateWindowNow();
}

// Makes the window with every property the control holds, and hooks it to
// the control. The form then puts it into its place in the tab order.
void ChildWindow::CreateWindowNow() {
  PixelRect r = PlaceTwips(geometry_[0], geometry_[1], geometry_[2],
                           geometry_[3], form_.dpi());
  DWORD style = style_ | WS_CHILD | (visible_ ? WS_VISIBLE : 0) |
                (enabled_ ? 0 : WS_DISABLED) | (tabStop_ ? WS_TABSTOP : 0);
  hwnd_ = CreateWindowExW(
      0, L"BUTTON", text_.c_str(), style, r.x, r.y, r.cx, r.cy, form_.hwnd(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + sequence_)),
      GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) vb::Raise(vb::kOutOfMemory);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowSubclass(hwnd_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  ApplyLook();
  ApplyState();
  if (!toolTip_.empty()) form_.SetToolTip(hwnd_, toolTip_);
  form_.RestackTabOrder();
}

LRESULT CALLBACK ChildWindow::SubclassProc(HWND hwnd, UINT msg, WPARAM wp,
                                           LPARAM lp, UINT_PTR id,
                                           DWORD_PTR ref) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, id);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  try {
    LRESULT result = 0;
    if (reinterpret_cast<ChildWindow*>(ref)->OnMessage(msg, wp, lp, result))
      return result;
  } catch (...) {
    // Event handlers trap their own errors; nothing may cross this point.
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

bool ChildWindow::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  // While a drag is under way the keyboard only cancels it (Esc).
  bool keyDown = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
  if (keyDown && form_.drag().Active()) {
    if (wp == VK_ESCAPE) form_.drag().Cancel();
    result = 0;
    return true;
  }
  return false;
}

void ChildWindow::ApplyDpi() {
  if (!hwnd_) return;
  Place();
  ApplyLook();
}

void ChildWindow::Place() {
  PixelRect r = PlaceTwips(geometry_[0], geometry_[1], geometry_[2],
                           geometry_[3], form_.dpi());
  ::SetWindowPos(hwnd_, nullptr, r.x, r.y, r.cx, r.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Setting a property to the value it has is no window call: the bar
// re-applies every button each time it becomes active. A control without a
// window only records the value.
void ChildWindow::SetGeometry(int i, float twips) {
  if (geometry_[i] == twips) return;
  geometry_[i] = twips;
  if (hwnd_) Place();
}

void ChildWindow::SetVisibleFlag(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (!hwnd_)
    CreateWindowNow();  // only a hidden control lacks one, so v is true
  else
    ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
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

void ChildWindow::SetTabIndexValue(int i) {
  if (i < 0) vb::Raise(vb::kInvalidCall);
  if (i == tabIndex_) return;
  tabIndex_ = i;
  form_.RestackTabOrder();
}

void ChildWindow::SetToolTip(const std::wstring& t) {
  if (toolTip_ == t) return;
  toolTip_ = t;
  if (hwnd_) form_.SetToolTip(hwnd_, t);
}

void ChildWindow::SetText(const std::wstring& t) {
  if (text_ == t) return;
  text_ = t;
  if (hwnd_) SetWindowTextW(hwnd_, t.c_str());
}

// A visible control always has its window.
void ChildWindow::Focus() {
  if (!visible_ || !enabled_) vb::Raise(vb::kInvalidCall);
  ::SetFocus(hwnd_);
}

void ChildWindow::PixelToTwips(POINT inControl, float& x, float& y) const {
  // Measured from the form's client origin and taken relative to the stored
  // twip position, so a point converts back exactly to where it was.
  MapWindowPoints(hwnd_, form_.hwnd(), &inControl, 1);
  UINT dpi = form_.dpi();
  x = PixelsToTwips(inControl.x, dpi) - geometry_[0];
  y = PixelsToTwips(inControl.y, dpi) - geometry_[1];
}

// ---- ToggleButton
// ------------------------------------------------------------

namespace {

class Win32ToggleButton : public ControlOf<ToggleButton> {
 public:
  Win32ToggleButton(Win32Form& form, const ToggleButtonArgs& args)
      : ControlOf(form, args.left, args.top, args.width, args.height),
        font_(args.font) {
    if (args.tabIndex >= 0) InitTabIndex(args.tabIndex);
    Init(BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_MULTILINE, args.caption,
         args.visible, args.enabled);
  }

  std::wstring Caption() const override { return text(); }
  void SetCaption(const std::wstring& c) override { SetText(c); }
  // A press changes the check of the window itself, so a window is asked.
  int Value() const override {
    if (!hwnd()) return value_;
    return SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  }
  void SetValue(int v) override {
    if (v != 0 && v != 1) vb::Raise(vb::kInvalidCall);
    value_ = v;
    if (hwnd()) SetCheck(v);
  }
  DragMode GetDragMode() const override { return dragMode_; }
  void SetDragMode(DragMode m) override { dragMode_ = m; }

  void OnCommand(WORD code) override {
    if (code == BN_CLICKED) Fire(Click);
  }

  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (ChildWindow::OnMessage(msg, wp, lp, result)) return true;
    switch (msg) {
      case WM_GETDLGCODE:  // the arrow keys belong to the key handlers
        result = DefSubclassProc(hwnd(), msg, wp, lp) | DLGC_WANTARROWS;
        return true;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        Fire(KeyDown, static_cast<int>(wp), ShiftMaskNow());
        return false;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        Fire(KeyUp, static_cast<int>(wp), ShiftMaskNow());
        return false;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        return OnLeftPress(wp, lp, result);
      case WM_RBUTTONDOWN:
        FireMouseDown(2, wp, lp);
        return false;
      case WM_MBUTTONDOWN:
        FireMouseDown(4, wp, lp);
        return false;
      default:
        return false;
    }
  }

 private:
  // In automatic drag mode a left press drags the button instead of
  // pressing it. A MouseDown handler that switches to automatic mode makes
  // this very press the start of the drag (Shift + drag in one gesture).
  bool OnLeftPress(WPARAM wp, LPARAM lp, LRESULT& result) {
    if (dragMode_ != DragMode::Automatic) FireMouseDown(1, wp, lp);
    if (dragMode_ != DragMode::Automatic || !IsWindowVisible(hwnd()))
      return false;
    form().drag().Start(*this, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
    result = 0;
    return true;
  }

  void FireMouseDown(int button, WPARAM wp, LPARAM lp) {
    float x = 0, y = 0;
    PixelToTwips({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, x, y);
    Fire(MouseDown, button, MouseShiftMask(wp), x, y);
  }

  void ApplyLook() override {
    SendMessageW(hwnd(), WM_SETFONT,
                 reinterpret_cast<WPARAM>(form().FontFor(font_)), TRUE);
  }
  // A new window starts unchecked.
  void ApplyState() override {
    if (value_) SetCheck(value_);
  }
  void SetCheck(int v) {
    SendMessageW(hwnd(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  FontSpec font_;
  int value_ = 0;  // the check until the window exists
  DragMode dragMode_ = DragMode::Manual;
};

// ---- PictureButton
// -----------------------------------------------------------

class Win32PictureButton : public ControlOf<PictureButton> {
 public:
  Win32PictureButton(Win32Form& form, const PictureButtonArgs& args)
      : ControlOf(form, args.left, args.top, args.width, args.height),
        resource_(args.picture == Picture::Settings ? IDI_SETTINGS
                                                    : IDI_TABLE) {
    SetToolTip(args.toolTip);
    if (args.tabIndex >= 0) InitTabIndex(args.tabIndex);
    Init(BS_PUSHBUTTON | BS_ICON, L"", true, true);
  }
  ~Win32PictureButton() override {
    if (icon_) DestroyIcon(icon_);
  }

  void OnCommand(WORD code) override {
    if (code == BN_CLICKED) Fire(Click);
  }

 private:
  // The 16x16 picture at the window's dpi (the icon holds several sizes).
  void ApplyLook() override {
    int size = MulDiv(16, static_cast<int>(form().dpi()), 96);
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource_),
                   IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    SendMessageW(hwnd(), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(icon));
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
  }

  int resource_;
  HICON icon_ = nullptr;
};

// ---- CommandButton
// -----------------------------------------------------------

class Win32CommandButton : public ControlOf<CommandButton> {
 public:
  Win32CommandButton(Win32Form& form, const CommandButtonArgs& args)
      : ControlOf(form, args.left, args.top, args.width, args.height) {
    if (args.tabIndex >= 0) InitTabIndex(args.tabIndex);
    Init(BS_PUSHBUTTON, args.caption, true, true);
  }

  std::wstring Caption() const override { return text(); }
  void SetCaption(const std::wstring& c) override { SetText(c); }

  void OnCommand(WORD code) override {
    if (code == BN_CLICKED) Fire(Click);
  }

 private:
  void ApplyLook() override {
    static const FontSpec kDialogFont{L"MS UI Gothic", 9, false, 1};
    SendMessageW(hwnd(), WM_SETFONT,
                 reinterpret_cast<WPARAM>(form().FontFor(kDialogFont)), TRUE);
  }
};

}  // namespace

std::unique_ptr<ChildWindow> MakeCommandButton(Win32Form& form,
                                               const CommandButtonArgs& args) {
  return std::make_unique<Win32CommandButton>(form, args);
}

CommandButton& AsCommand(ChildWindow& child) {
  return static_cast<Win32CommandButton&>(child);
}

std::unique_ptr<ChildWindow> MakeToggleButton(Win32Form& form,
                                              const ToggleButtonArgs& args) {
  return std::make_unique<Win32ToggleButton>(form, args);
}

std::unique_ptr<ChildWindow> MakePictureButton(Win32Form& form,
                                               const PictureButtonArgs& args) {
  return std::make_unique<Win32PictureButton>(form, args);
}

ToggleButton& AsToggle(ChildWindow& child) {
  return static_cast<Win32ToggleButton&>(child);
}

PictureButton& AsPicture(ChildWindow& child) {
  return static_cast<Win32PictureButton&>(child);
}

}  // namespace platform::win32
