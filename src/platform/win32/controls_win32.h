// The part every control kind of the Win32 backend shares.
//
// Every control is a ChildWindow: it keeps its properties in members (twips
// are the truth; pixels follow at the form's dpi) and has a window while it
// is visible in a shown container. A control made hidden, or added to a
// container not yet shown (a frame, a tab page), gets its window when it is
// first shown, with every stored property applied at creation: hidden
// windows cost start-up time and serve nobody. A window is bound to its
// control at creation (BindWindow); notifications a child sends to its
// parent (WM_COMMAND, WM_NOTIFY, WM_VSCROLL, WM_CTLCOLOR*) are reflected to
// that object.
#pragma once

#include <memory>
#include <string>

#include "platform/forms.h"
#include "platform/win32/form_win32.h"

namespace platform::win32 {

// ---- controls (child_win32.cpp and the kinds' files) -----------------------
class ChildWindow : public Stacked, public WindowObject {
 public:
  ChildWindow(Win32Container& parent, const ControlArgs& args);
  ~ChildWindow() override;

  virtual platform::Control& AsControl() = 0;
  // A notification this control sent to its parent; true when handled.
  virtual bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Messages of the control's own window; true when fully handled.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // What the window's class does with a message (the window procedure it
  // had before the control took it over).
  LRESULT ClassProc(UINT msg, WPARAM wp, LPARAM lp);
  // A windowless control draws itself on its container's background.
  virtual void PaintWindowless(HDC dc, const RECT& r) {
    (void)dc;
    (void)r;
  }
  // Re-applies everything that depends on the dpi (place, font, picture).
  void ApplyDpi();
  // Hands the control to its form and makes its window when it shows.
  void Attach(std::unique_ptr<ChildWindow> self);
  // Places the window again from the twips (after its container moved).
  void PlaceAgain();
  // The control's rectangle in its host window's client area, pixels.
  RECT HostRect() const;

  // The window, or null while the control has none yet.
  HWND hwnd() const { return hwnd_; }
  // The window, made now (hidden if the control is) when it has none yet.
  HWND EnsureWindow();
  Win32Container& parent() const { return parent_; }
  Win32Form& form() const { return parent_.form(); }
  int sequence() const { return sequence_; }
  bool windowless() const { return windowClass_ == nullptr; }

  HWND StackWindow() const override { return hwnd_; }
  double StackKey() const override { return sequence_; }
  RECT StackRect() const override {
    PixelRect p = FormPixels();
    return {p.x, p.y, p.x + p.cx, p.y + p.cy};
  }

  // Shared property plumbing for the Control overrides.
  float geometry(int i) const {
    if (i >= 2) MeasureIfPending();
    return geometry_[i];
  }
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
  // Sets the text (and the window's, when it changes).
  void SetText(const std::wstring& t);
  // The user changed the window's text: the control takes it over.
  void TextChanged(const std::wstring& t);
  const FontSpec& font() const { return font_; }
  // The font the control draws in (the control's font at the form's dpi).
  virtual HFONT Font() const;
  void Focus();
  // Whether the user can reach the control: its window and every
  // container's shown and enabled.
  bool Reachable() const;

  // The control's rectangle in the form's client area: twips, pixels.
  float AbsLeft() const;
  float AbsTop() const;
  PixelRect FormPixels() const;
  // A point in this control's pixel coordinates as twips from its corner.
  void PixelToTwips(POINT client, float& x, float& y) const;

 protected:
  // Sets up the window class and styles (a null class: a windowless
  // control). The window is made at Attach when the control is visible in a
  // shown container, else when it first is.
  void Init(const wchar_t* windowClass, DWORD style, DWORD exStyle,
            const std::wstring& text);
  // What depends on the dpi beside the place (font, picture, autosize);
  // runs on a new window and on a dpi change.
  virtual void ApplyLook();
  // Sets the autosized width or height from the text at the form's dpi
  // (with SetMeasured); runs with ApplyLook, or when the size of a control
  // without a window is first read.
  virtual void Measure() {}
  // The autosized width or height follows the text again: measured now
  // when the window exists, else when the size is first read (a control of
  // a page not shown yet may never need it).
  void Remeasure();
  // The control's own state (a check, items, a range) applied to a new
  // window.
  virtual void ApplyState() {}
  // After the window was placed anew (containers place their children).
  virtual void OnPlaced() {}
  // After the visible flag changed on an existing window.
  virtual void OnShown(bool shown) { (void)shown; }
  // Extra pixels of window height beyond the control's own (a drop-down
  // list's list).
  virtual int ExtraWindowHeight() const { return 0; }
  // Whether the control uses the mouse wheel, and a turn of it by whole
  // notches (positive: away from the user).
  virtual bool WantsWheel() {
    return static_cast<bool>(AsControl().MouseWheel);
  }
  virtual void OnWheel(int notches) { Fire(AsControl().MouseWheel, notches); }
  // Sets an autosized width or height (twips) measured by ApplyLook.
  void SetMeasured(int i, float twips) { geometry_[i] = twips; }
  bool autoWidth() const { return autoWidth_; }
  bool autoHeight() const { return autoHeight_; }
  // Redraws the area of a windowless control.
  void InvalidateArea() const;

 private:
  static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM);
  void CreateWindowNow();
  void Place();
  // Adds a wheel turn to the part of a notch kept; true when used.
  bool TakeWheel(int delta);
  void MeasureIfPending() const;

  Win32Container& parent_;
  HWND hwnd_ = nullptr;
  const wchar_t* windowClass_ = nullptr;
  DWORD style_ = 0;
  DWORD exStyle_ = 0;
  float geometry_[4];  // left, top, width, height (twips)
  bool autoWidth_ = false;
  bool autoHeight_ = false;
  mutable bool measurePending_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  bool tabStop_ = true;
  int tabIndex_ = 0;
  int sequence_ = 0;
  std::wstring text_;
  std::wstring toolTip_;
  FontSpec font_;
  int wheelRest_ = 0;  // a wheel turn short of a whole notch
  WNDPROC classProc_ = nullptr;
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
    if (windowless()) return 0;
    return reinterpret_cast<WindowHandle>(
        const_cast<ControlOf*>(this)->EnsureWindow());
  }
  void SetFocus() override { Focus(); }
};

// Makes a control of kind T and hands it to its form.
template <class T, class Args>
T& Install(Win32Container& container, const Args& args) {
  auto owned = std::make_unique<T>(container, args);
  T& control = *owned;
  control.Attach(std::move(owned));
  return control;
}

// The resource id of a picture.
int ResourceOf(Picture picture);
// Whether a control is the form's default (or, with cancel, its cancel)
// command button.
bool IsRoleButton(ChildWindow& child, bool cancel);

// The colour's value now (a system colour as the scheme has it).
COLORREF ColorRefOf(Color c);
// A brush of a colour: the system's own for a system colour, else one of
// its own, made anew when the colour changes.
class ColorBrush {
 public:
  HBRUSH For(Color c);

 private:
  BrushHandle own_;
  COLORREF color_ = 0;
};

}  // namespace platform::win32
