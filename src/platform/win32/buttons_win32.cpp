// Buttons: the toggle button, the picture button, the command button and
// the check box.
#include <functional>

#include "platform/win32/controls_win32.h"
#include "resource.h"
#include "runtime/vb.h"

namespace platform::win32 {

int ResourceOf(Picture picture) {
  switch (picture) {
    case Picture::Settings:
      return IDI_SETTINGS;
    case Picture::Table:
      return IDI_TABLE;
    default:
      return IDI_PINROW;
  }
}

namespace {

int ShiftMaskNow() {
  return (ModifierHeld(VK_SHIFT) ? kShiftMask : 0) |
         (ModifierHeld(VK_CONTROL) ? kCtrlMask : 0) |
         (ModifierHeld(VK_MENU) ? kAltMask : 0);
}

int MouseShiftMask(WPARAM keys) {
  return ((keys & MK_SHIFT) ? kShiftMask : 0) |
         ((keys & MK_CONTROL) ? kCtrlMask : 0) |
         (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

// A button's click, reflected from its parent, fires `click`.
bool ReflectClick(UINT msg, WPARAM wp, LRESULT& result,
                  const std::function<void()>& click) {
  if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
  Fire(click);
  result = 0;
  return true;
}

// The check of a button with a check (a toggle button, a check box): kept
// in the control until the window exists, then the window's own, since a
// click changes it there; a disabled button keeps and returns it all the
// same.
class ButtonCheck {
 public:
  explicit ButtonCheck(int value) : value_(value) {}
  int Get(HWND hwnd) const {
    if (!hwnd) return value_;
    return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  }
  void Set(HWND hwnd, int v) {
    if (v != 0 && v != 1) vb::Raise(vb::kInvalidPropertyValue);
    value_ = v;
    if (hwnd) Apply(hwnd);
  }
  // A new window starts unchecked.
  void Apply(HWND hwnd) const {
    SendMessageW(hwnd, BM_SETCHECK, value_ ? BST_CHECKED : BST_UNCHECKED, 0);
  }

 private:
  int value_;
};

// ---- ToggleButton
// ------------------------------------------------------------

class Win32ToggleButton final : public ControlOf<ToggleButton> {
 public:
  Win32ToggleButton(Win32Container& parent, const ToggleButtonArgs& args)
      : ControlOf(parent, args) {
    Init(L"BUTTON", BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_MULTILINE, 0,
         args.caption);
  }

  std::wstring Caption() const override { return text(); }
  void SetCaption(const std::wstring& c) override { SetText(c); }
  int Value() const override { return check_.Get(hwnd()); }
  void SetValue(int v) override { check_.Set(hwnd(), v); }
  DragMode GetDragMode() const override { return dragMode_; }
  void SetDragMode(DragMode m) override { dragMode_ = m; }

  bool OnReflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    return ReflectClick(msg, wp, result, Click);
  }

  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (ChildWindow::OnMessage(msg, wp, lp, result)) return true;
    switch (msg) {
      case WM_GETDLGCODE:  // the arrow keys belong to the key handlers
        result = ClassProc(msg, wp, lp) | DLGC_WANTARROWS;
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

 protected:
  void ApplyState() override { check_.Apply(hwnd()); }

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

  ButtonCheck check_{0};
  DragMode dragMode_ = DragMode::Manual;
};

// ---- PictureButton
// -----------------------------------------------------------

class Win32PictureButton final : public ControlOf<PictureButton> {
 public:
  Win32PictureButton(Win32Container& parent, const PictureButtonArgs& args)
      : ControlOf(parent, args), resource_(ResourceOf(args.picture)) {
    // A BS_ICON button draws its picture and never its text: the text is
    // the button's accessible name.
    Init(L"BUTTON", BS_PUSHBUTTON | BS_ICON, 0, args.name);
  }

  bool OnReflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    return ReflectClick(msg, wp, result, Click);
  }

 protected:
  // The 16x16 picture at the window's dpi (the icon holds several sizes).
  void ApplyLook() override {
    int size = MulDiv(16, static_cast<int>(form().dpi()), 96);
    IconHandle icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource_),
                   IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    SendMessageW(hwnd(), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(icon.get()));
    icon_ = std::move(icon);
  }

 private:
  int resource_;
  IconHandle icon_;
};

// ---- CommandButton
// -----------------------------------------------------------

class Win32CommandButton final : public ControlOf<CommandButton> {
 public:
  Win32CommandButton(Win32Container& parent, const CommandButtonArgs& args)
      : ControlOf(parent, args),
        isDefault_(args.isDefault),
        isCancel_(args.isCancel) {
    Init(L"BUTTON", args.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, 0,
         args.caption);
  }

  std::wstring Caption() const override { return text(); }
  void SetCaption(const std::wstring& c) override { SetText(c); }

  bool OnReflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    return ReflectClick(msg, wp, result, Click);
  }

  bool isDefault() const { return isDefault_; }
  bool isCancel() const { return isCancel_; }

 private:
  bool isDefault_, isCancel_;
};

// ---- CheckBox
// ----------------------------------------------------------------

class Win32CheckBox final : public ControlOf<CheckBox> {
 public:
  Win32CheckBox(Win32Container& parent, const CheckBoxArgs& args)
      : ControlOf(parent, args), check_(0) {
    check_.Set(nullptr, args.value);
    Init(L"BUTTON", BS_AUTOCHECKBOX | (args.boxOnRight ? BS_LEFTTEXT : 0), 0,
         args.caption);
  }

  std::wstring Caption() const override { return text(); }
  int Value() const override { return check_.Get(hwnd()); }
  void SetValue(int v) override { check_.Set(hwnd(), v); }

 protected:
  void ApplyState() override { check_.Apply(hwnd()); }
  // A box without a given size is as large as its caption and its box.
  void Measure() override {
    const UINT dpi = form().dpi();
    HDC dc = form().MeasuringDc();
    Selected font(dc, Font());
    SIZE text{};
    GetTextExtentPoint32W(dc, this->text().c_str(),
                          static_cast<int>(this->text().size()), &text);
    const int box = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi);
    const int gap = MulDiv(6, static_cast<int>(dpi), 96);
    if (autoWidth()) SetMeasured(2, PixelsToTwips(text.cx + box + gap, dpi));
    if (autoHeight())
      SetMeasured(3, PixelsToTwips(std::max<int>(text.cy, box) + 2, dpi));
  }

 private:
  ButtonCheck check_;
};

}  // namespace

ToggleButton& MakeToggleButton(Win32Container& c, const ToggleButtonArgs& a) {
  return Install<Win32ToggleButton>(c, a);
}

PictureButton& MakePictureButton(Win32Container& c,
                                 const PictureButtonArgs& a) {
  return Install<Win32PictureButton>(c, a);
}

CommandButton& MakeCommandButton(Win32Container& c,
                                 const CommandButtonArgs& a) {
  return Install<Win32CommandButton>(c, a);
}

CheckBox& MakeCheckBox(Win32Container& c, const CheckBoxArgs& a) {
  return Install<Win32CheckBox>(c, a);
}

bool IsRoleButton(ChildWindow& child, bool cancel) {
  auto* b = dynamic_cast<Win32CommandButton*>(&child);
  return b && (cancel ? b->isCancel() : b->isDefault());
}

}  // namespace platform::win32
