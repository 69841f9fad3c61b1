// The Win32 backend's forms and containers: the containers that hold
// controls (the form, frames, tab pages) and stack their windows, the
// factories of the control kinds they add, the drag tracker, timers, a
// form's tooltips, and the form itself with its keyboard interface.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/win32/base_win32.h"
#include "platform/win32/gdi_win32.h"

namespace platform::win32 {

class Win32Form;
class ChildWindow;

// ---- containers (container_win32.cpp) --------------------------------------
// A window among its siblings: a control's or a tab page's. Later-added ones
// lie on top of earlier ones (StackKey grows with the order of adding).
class Stacked {
 public:
  virtual ~Stacked() = default;
  virtual HWND StackWindow() const = 0;
  virtual double StackKey() const = 0;
  // The window's rectangle in the form's client area, pixels (siblings
  // share their host, so this compares them).
  virtual RECT StackRect() const = 0;
};

// Holds controls: the form, a frame or a tab page. Controls' positions are
// twips from the container's origin; the host window parents their windows.
class Win32Container {
 public:
  explicit Win32Container(Win32Form& form) : form_(form) {}
  virtual ~Win32Container() = default;

  Win32Form& form() const { return form_; }
  // The container's origin in the form's client area, twips.
  virtual float OriginLeft() const = 0;
  virtual float OriginTop() const = 0;
  // The window that parents the children's windows, made (hidden) when it
  // has none yet.
  virtual HWND Host() = 0;
  // Pixels of the host's client origin in the form's client area.
  virtual POINT HostOrigin() const = 0;
  // Whether the host is shown, so visible children have their windows.
  virtual bool Realized() const = 0;
  // What the container draws beneath its children (a frame's outline).
  virtual void PaintBackground(HDC dc, const RECT& client) {
    (void)dc;
    (void)client;
  }

  void Adopt(ChildWindow& child) { children_.push_back(&child); }
  const std::vector<ChildWindow*>& children() const { return children_; }
  // Makes the windows of visible children that have none.
  void RealizeChildren();
  // Places every child's window again (after the container moved).
  void PlaceChildren();
  // Draws the windowless children (shapes, images) over the background.
  void PaintWindowless(HDC dc);
  // Registers a window in the host's stacking and puts it in its place.
  void Stack(Stacked& s);
  void Unstack(Stacked& s);

 private:
  Win32Form& form_;
  std::vector<ChildWindow*> children_;
  std::vector<Stacked*> stacked_;
};

// A tab page's host window, bound to `page` (a Win32Container), which paints
// its background and windowless children. Frames host their children in a
// window of the same class.
HWND CreatePane(WindowObject& page, HWND parent, const RECT& r, bool visible);
// Fills a pane or form client with the dialog background.
void PaintContainer(Win32Container& container, HWND hwnd);

// ---- reflection (child_win32.cpp) ----------------------------------------
// Gives a notification that a child sent to its parent (the form or a pane)
// to the child's own object; true when that object handled it (result set).
bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// ---- the control kinds' factories (the kinds' files) ----------------------
// One factory per control kind; each returns the control it made, owned by
// the form.
ToggleButton& MakeToggleButton(Win32Container& c, const ToggleButtonArgs& a);
PictureButton& MakePictureButton(Win32Container& c, const PictureButtonArgs& a);
CommandButton& MakeCommandButton(Win32Container& c, const CommandButtonArgs& a);
CheckBox& MakeCheckBox(Win32Container& c, const CheckBoxArgs& a);
Label& MakeLabel(Win32Container& c, const LabelArgs& a);
TextBox& MakeTextBox(Win32Container& c, const TextBoxArgs& a);
VScrollBar& MakeVScrollBar(Win32Container& c, const VScrollBarArgs& a);
DropDownList& MakeDropDownList(Win32Container& c, const DropDownListArgs& a);
Frame& MakeFrame(Win32Container& c, const FrameArgs& a);
TabControl& MakeTabControl(Win32Container& c, const TabControlArgs& a);
Shape& MakeShape(Win32Container& c, const ShapeArgs& a);
Image& MakeImage(Win32Container& c, const ImageArgs& a);

// The container interface on top of a Win32Container (the form, frames and
// tab pages share it).
template <class Base>
class AddsControls : public Base {
 public:
  using Base::Base;
  ToggleButton& AddToggleButton(const ToggleButtonArgs& a) override {
    return MakeToggleButton(Self(), a);
  }
  PictureButton& AddPictureButton(const PictureButtonArgs& a) override {
    return MakePictureButton(Self(), a);
  }
  CommandButton& AddCommandButton(const CommandButtonArgs& a) override {
    return MakeCommandButton(Self(), a);
  }
  Label& AddLabel(const LabelArgs& a) override { return MakeLabel(Self(), a); }
  TextBox& AddTextBox(const TextBoxArgs& a) override {
    return MakeTextBox(Self(), a);
  }
  VScrollBar& AddVScrollBar(const VScrollBarArgs& a) override {
    return MakeVScrollBar(Self(), a);
  }
  DropDownList& AddDropDownList(const DropDownListArgs& a) override {
    return MakeDropDownList(Self(), a);
  }
  CheckBox& AddCheckBox(const CheckBoxArgs& a) override {
    return MakeCheckBox(Self(), a);
  }
  Frame& AddFrame(const FrameArgs& a) override { return MakeFrame(Self(), a); }
  Shape& AddShape(const ShapeArgs& a) override { return MakeShape(Self(), a); }
  Image& AddImage(const ImageArgs& a) override { return MakeImage(Self(), a); }
  TabControl& AddTabControl(const TabControlArgs& a) override {
    return MakeTabControl(Self(), a);
  }

 protected:
  virtual Win32Container& Self() = 0;
};

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

// ---- tooltips (tooltips_win32.cpp) -----------------------------------------
// A form's tooltips, and the balloon below a text box that tells why an
// edit of the user's was refused.
class FormTips {
 public:
  explicit FormTips(Win32Form& form) : form_(form) {}
  ~FormTips();
  FormTips(const FormTips&) = delete;
  FormTips& operator=(const FormTips&) = delete;
  // Registers or updates a control's tooltip.
  void Set(HWND control, const std::wstring& text);
  // The form is on the screen: registers the tooltips of the controls that
  // have windows; those made later register their own.
  void Start(const std::vector<std::unique_ptr<ChildWindow>>& controls);
  // Tooltips stay hidden while a drag is under way.
  void Enable(bool on);
  // The form's dpi changed: the tooltips' width follows it.
  void ApplyDpi();
  // Shows the notice of a refused edit below a control for a few seconds.
  void ShowNotice(HWND control, const std::wstring& title,
                  const std::wstring& text);
  void HideNotice() { notice_.Hide(); }

 private:
  Win32Form& form_;
  HWND tooltip_ = nullptr;
  Balloon notice_;
  bool started_ = false;  // set once the form has been shown
};

// ---- the form (form_win32.cpp) -------------------------------------------
class Win32Form : public AddsControls<platform::Form>,
                  public Win32Container,
                  public WindowObject {
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
  ScreenArea WorkArea() const override;
  bool Visible() const override;
  WindowHandle hWnd() const override {
    return reinterpret_cast<WindowHandle>(hwnd_);
  }
  void Show() override;
  void ShowModal(Form* owner) override;
  void Close() override;
  Timer& AddTimer() override;

  // Win32Container: the form's client area.
  float OriginLeft() const override { return 0; }
  float OriginTop() const override { return 0; }
  HWND Host() override { return hwnd_; }
  POINT HostOrigin() const override { return {0, 0}; }
  // The controls' windows are made when the form is first shown, all at
  // once and without restacking (RealizeChildren).
  bool Realized() const override { return placed_; }

  HWND hwnd() const { return hwnd_; }
  // The window's dpi, as last reported: asked once, then kept up to date
  // by WM_DPICHANGED (controls ask for it for every placement).
  UINT dpi() const { return dpi_; }
  DragTracker& drag() { return drag_; }
  FormTips& tips() { return tips_; }
  const FontSpec& defaultFont() const { return args_.font; }
  // Takes over a control made for this form; returns its sequence number.
  int Keep(std::unique_ptr<ChildWindow> control);
  HFONT FontFor(const FontSpec& wanted);
  // A device context for measuring text, kept for the form's life: one
  // per measurement costs a window DC each time.
  HDC MeasuringDc();
  DropTarget HitTest(POINT screen);
  // The keyboard interface of a dialog; true when the key was used.
  bool PreTranslate(const MSG& msg);
  // Whether the focus is being given back to the control that had it when
  // the form was last deactivated.
  bool RestoringFocus() const { return restoringFocus_; }
  static bool AnyOpen();
  // The owner of message and input boxes: the program's active form.
  static HWND BoxOwner();

 protected:
  Win32Container& Self() override { return *this; }

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool HandleDragMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnActivate(bool active);
  void OnDestroy();
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void SetDpi(UINT dpi);
  void OnTimer(UINT_PTR id);
  void OnAppActivated();
  // The user went to another program since the form was last active.
  bool leftForOtherProgram_ = false;
  void FireAppActivateWhenFree();
  void OnMinMaxInfo(MINMAXINFO& info);
  float Outer(int i) const;
  void SetOuter(int i, float twips);
  SIZE FramePixels() const;
  int PixelSize(int i, float twips) const;
  void PlaceFirst();
  void MoveToTwips();
  UINT SavedPositionDpi() const;
  void SetIcons();
  void CentreOnScreen(RECT& r) const;
  void KeepOnScreen(RECT& r) const;
  void ReleaseModal();
  // Keyboard (keyboard_win32.cpp): the tab order, page switching, Enter
  // and Esc.
  std::vector<ChildWindow*> TabOrder() const;
  ChildWindow* FocusedChild() const;
  void FocusFirst();
  bool TabTo(bool backwards);
  bool CycleTabPages(bool backwards);
  // Shows the focus rectangle from now on: the user moves by keyboard.
  void ShowFocusCues();
  bool PressRole(bool cancel);
  ChildWindow* ButtonWithRole(bool cancel) const;
  // The answer to DM_GETDEFID: the default button's id, when it has one.
  LRESULT DefaultButtonId() const;

  const FormArgs args_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HWND savedFocus_ = nullptr;
  bool restoringFocus_ = false;
  // The outer geometry last set, in twips; until the first Show the only
  // place it lives, then reported back as long as the window still sits on
  // the pixels it gives at the current dpi.
  float outer_[4] = {0, 0, 0, 0};
  bool placed_ = false;   // the window has had its first place and size
  bool placing_ = false;  // PlaceFirst is under way
  bool showing_ = false;
  bool closing_ = false;
  bool destroyed_ = false;
  std::vector<HWND> disabledForModal_;
  HWND activeBeforeModal_ = nullptr;
  std::vector<std::unique_ptr<ChildWindow>> controls_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  struct FontEntry {
    FontSpec face;
    FontHandle font;
  };
  std::vector<FontEntry> fonts_;
  MemoryDc measuring_;
  DragTracker drag_{*this};
  FormTips tips_{*this};
};

}  // namespace platform::win32
