// Private pieces of the Win32 backend shared by its files: unit conversion,
// the form and control wrappers, the drag tracker and the message pump.
#pragma once

#include <windows.h>
// These need the declarations of <windows.h> first.
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::win32 {

// ---- units (dpi_win32.cpp) -------------------------------------------------
constexpr float kTwipsPerInch = 1440.0f;

int TwipsToPixels(float twips, UINT dpi);
float PixelsToTwips(int pixels, UINT dpi);
UINT DpiOf(HWND hwnd);

// A twip rectangle placed on the pixel grid by rounding its edges, so that
// neighbouring rectangles share their edges without gaps or overlaps.
struct PixelRect {
  int x, y, cx, cy;
};
PixelRect PlaceTwips(float left, float top, float width, float height,
                     UINT dpi);

// ---- errors ----------------------------------------------------------------
// The run-time error number that fits a failed file operation's system code.
int FileErrorNumber(DWORD systemError, int fallback);
[[noreturn]] void RaiseFileError(int fallback);

// Runs an event handler; an empty handler does nothing.
template <class Fn, class... Args>
void Fire(const Fn& fn, Args&&... args) {
  if (fn) fn(std::forward<Args>(args)...);
}

// ---- message pump (system_win32.cpp) -------------------------------------
// Translates and dispatches one message, giving the form that owns it a
// chance at dialog navigation (Tab) first.
void DispatchOne(MSG& msg);

class Win32Form;

// ---- controls (controls_win32.cpp) ---------------------------------------
// The backend's side of a child control: its window, its geometry in twips
// (the source of truth; pixels are derived at the window's dpi) and the
// message hooks the form routes to it.
//
// A control made hidden has no window until it first becomes visible: every
// property lives in members until then and is applied when the window is
// made. Most of the bar's buttons stay hidden all run, and each window costs
// start-up time. Once made, the window stays until the form goes.
class ChildWindow {
 public:
  ChildWindow(Win32Form& form, float left, float top, float width,
              float height);
  virtual ~ChildWindow() = default;

  virtual platform::Control& AsControl() = 0;
  // Notification code of a WM_COMMAND sent by this control.
  virtual void OnCommand(WORD code) { (void)code; }
  // Messages of the subclassed control; true when fully handled.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Re-applies everything that depends on the dpi (place, font, picture).
  void ApplyDpi();

  // The window, or null while the control has never been visible.
  HWND hwnd() const { return hwnd_; }
  Win32Form& form() const { return form_; }
  int sequence() const { return sequence_; }

  // Shared property plumbing for the Control overrides.
  float geometry(int i) const { return geometry_[i]; }
  void SetGeometry(int i, float twips);
  bool visible() const { return visible_; }
  void SetVisibleFlag(bool v);
  bool enabled() const { return enabled_; }
  void SetEnabledFlag(bool v);
  bool tabStop() const { return tabStop_; }
  void SetTabStopFlag(bool v);
  int tabIndex() const { return tabIndex_; }
  void SetTabIndexValue(int i);
  const std::wstring& toolTip() const { return toolTip_; }
  void SetToolTip(const std::wstring& t);
  const std::wstring& text() const { return text_; }
  void SetText(const std::wstring& t);
  void Focus();

  // A point in this control's pixel coordinates as twips from its corner.
  void PixelToTwips(POINT client, float& x, float& y) const;

 protected:
  // Sets up a "BUTTON" window of the given style; it is made at once when
  // visible, else when it first becomes visible.
  void Init(DWORD style, const std::wstring& text, bool visible, bool enabled);
  // The tab index given at creation (the form restacks after adding).
  void InitTabIndex(int i) { tabIndex_ = i; }
  // What depends on the dpi beside the place (font, picture); runs on a new
  // window and on a dpi change.
  virtual void ApplyLook() {}
  // The control's own state (e.g. the check) applied to a new window.
  virtual void ApplyState() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR,
                                       DWORD_PTR);
  void CreateWindowNow();
  void Place();

  Win32Form& form_;
  HWND hwnd_ = nullptr;
  DWORD style_ = 0;
  float geometry_[4];  // left, top, width, height (twips)
  bool visible_ = true;
  bool enabled_ = true;
  bool tabStop_ = true;
  int tabIndex_ = 0;
  int sequence_ = 0;
  std::wstring text_;
  std::wstring toolTip_;
};

// Implements the Control interface on top of ChildWindow.
template <class Base>
class ControlOf : public Base, public ChildWindow {
 public:
  using ChildWindow::ChildWindow;
  platform::Control& AsControl() override { return *this; }

  float Left() const override { return geometry(0); }
  float Top() const override { return geometry(1); }
  float Width() const override { return geometry(2); }
  float Height() const override { return geometry(3); }
  void SetLeft(float t) override { SetGeometry(0, t); }
  void SetTop(float t) override { SetGeometry(1, t); }
  void SetWidth(float t) override { SetGeometry(2, t); }
  void SetHeight(float t) override { SetGeometry(3, t); }
  bool Visible() const override { return visible(); }
  void SetVisible(bool v) override { SetVisibleFlag(v); }
  bool Enabled() const override { return enabled(); }
  void SetEnabled(bool v) override { SetEnabledFlag(v); }
  bool TabStop() const override { return tabStop(); }
  void SetTabStop(bool v) override { SetTabStopFlag(v); }
  int TabIndex() const override { return tabIndex(); }
  void SetTabIndex(int i) override { SetTabIndexValue(i); }
  std::wstring ToolTipText() const override { return toolTip(); }
  void SetToolTipText(const std::wstring& t) override { SetToolTip(t); }
  WindowHandle hWnd() const override {
    return reinterpret_cast<WindowHandle>(ChildWindow::hwnd());
  }
  void SetFocus() override { Focus(); }
};

std::unique_ptr<ChildWindow> MakeToggleButton(Win32Form& form,
                                              const ToggleButtonArgs& args);
std::unique_ptr<ChildWindow> MakePictureButton(Win32Form& form,
                                               const PictureButtonArgs& args);
std::unique_ptr<ChildWindow> MakeCommandButton(Win32Form& form,
                                               const CommandButtonArgs& args);
ToggleButton& AsToggle(ChildWindow& child);
CommandButton& AsCommand(ChildWindow& child);
PictureButton& AsPicture(ChildWindow& child);

// ---- drag and drop (drag_win32.cpp) --------------------------------------
// Where the pointer is during a drag: a control of the form, the form's
// client background, or anywhere else.
struct DropTarget {
  ChildWindow* control = nullptr;
  bool background = false;
  bool operator==(const DropTarget& o) const {
    return control == o.control && background == o.background;
  }
};

// A manual drag of one control with the mouse: an outline follows the
// pointer and the form's controls get DragOver and DragDrop.
class DragTracker {
 public:
  explicit DragTracker(Win32Form& form) : form_(form) {}
  bool Active() const { return source_ != nullptr; }
  // Starts dragging `source`, grabbed at `grab` (its own pixel coordinates).
  void Start(ChildWindow& source, POINT grab);
  void Move(POINT screen);
  void Drop(POINT screen);
  void Cancel();

 private:
  void ShowOutline(POINT screen);
  void Enter(const DropTarget& target, POINT screen);

  Win32Form& form_;
  ChildWindow* source_ = nullptr;
  DropTarget over_;
  POINT grab_{};
  HWND outline_ = nullptr;
};

// ---- timers (timer_win32.cpp) ----------------------------------------------
class Win32Timer : public platform::Timer {
 public:
  Win32Timer(HWND owner, UINT_PTR id) : owner_(owner), id_(id) {}
  ~Win32Timer() override;
  int Interval() const override { return interval_; }
  void SetInterval(int ms) override;
  UINT_PTR id() const { return id_; }
  void Stop();

 private:
  HWND owner_;
  UINT_PTR id_;
  int interval_ = 0;
};

// ---- the form (form_win32.cpp) -------------------------------------------
class Win32Form : public platform::Form {
 public:
  explicit Win32Form(const FormArgs& args);
  ~Win32Form() override;

  std::wstring Caption() const override;
  float Left() const override { return Outer(0); }
  float Top() const override { return Outer(1); }
  float Width() const override { return Outer(2); }
  float Height() const override { return Outer(3); }
  void SetLeft(float t) override { SetOuter(0, t); }
  void SetTop(float t) override { SetOuter(1, t); }
  void SetWidth(float t) override { SetOuter(2, t); }
  void SetHeight(float t) override { SetOuter(3, t); }
  float ScaleWidth() const override;
  float ScaleHeight() const override;
  bool Visible() const override;
  WindowHandle hWnd() const override {
    return reinterpret_cast<WindowHandle>(hwnd_);
  }
  void Show() override;
  void ShowModal(Form* owner) override;
  Label& AddLabel(const LabelArgs& args) override;
  TextBox& AddTextBox(const TextBoxArgs& args) override;
  VScrollBar& AddVScrollBar(const VScrollBarArgs& args) override;
  DropDownList& AddDropDownList(const DropDownListArgs& args) override;
  CheckBox& AddCheckBox(const CheckBoxArgs& args) override;
  Frame& AddFrame(const FrameArgs& args) override;
  Shape& AddShape(const ShapeArgs& args) override;
  Image& AddImage(const ImageArgs& args) override;
  TabControl& AddTabControl(const TabControlArgs& args) override;
  void Close() override;
  ToggleButton& AddToggleButton(const ToggleButtonArgs& args) override;
  PictureButton& AddPictureButton(const PictureButtonArgs& args) override;
  CommandButton& AddCommandButton(const CommandButtonArgs& args) override;
  Timer& AddTimer() override;

  HWND hwnd() const { return hwnd_; }
  UINT dpi() const { return DpiOf(hwnd_); }
  DragTracker& drag() { return drag_; }
  int NextControlId() { return 1000 + static_cast<int>(controls_.size()); }
  HFONT FontFor(const FontSpec& wanted);
  // Registers or updates a control's tooltip.
  void SetToolTip(HWND control, const std::wstring& text);
  // Tooltips stay hidden while a drag is under way.
  void EnableToolTips(bool on);
  // Tab order follows z-order: restacks the controls by TabIndex.
  void RestackTabOrder();
  void ApplyTabOrder();
  DropTarget HitTest(POINT screen);
  // The form that owns a window (itself or a child), or null.
  static Win32Form* FromWindow(HWND hwnd);
  static bool AnyOpen();

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool HandleDragMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnActivate(bool active);
  void OnDestroy();
  void OnDpiChanged(const RECT& suggested);
  void OnCommand(WPARAM wp, LPARAM lp);
  void OnTimer(UINT_PTR id);
  void OnMinMaxInfo(MINMAXINFO& info);
  float Outer(int i) const;
  void SetOuter(int i, float twips);
  void PlaceOuter(const std::array<float, 4>& twips);
  void ReleaseModal();
  void DeleteFonts();
  void StartToolTips();

  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  bool showTips_ = false;  // set once the form has been shown
  HWND savedFocus_ = nullptr;
  // The outer geometry last set, in twips; reported back as long as the
  // window still sits on the pixels it gives at the current dpi.
  float outer_[4] = {0, 0, 0, 0};
  bool showing_ = false;
  bool closing_ = false;
  bool destroyed_ = false;
  std::vector<HWND> disabledForModal_;
  HWND activeBeforeModal_ = nullptr;
  std::vector<std::unique_ptr<ChildWindow>> controls_;
  std::vector<HWND> stacked_;  // the children's z-order as last applied
  bool tabOrderDirty_ = false;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  struct FontEntry {
    FontSpec face;
    HFONT font;
  };
  std::vector<FontEntry> fonts_;
  DragTracker drag_{*this};
};

}  // namespace platform::win32
