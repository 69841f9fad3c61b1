// Private pieces of the Win32 backend shared by its files: unit conversion,
// containers, the control and form wrappers, the drag tracker and the
// message pump.
//
// Every control is a ChildWindow: it keeps its properties in members (twips
// are the truth; pixels follow at the form's dpi) and has a window while it
// is visible in a shown container. A control made hidden, or added to a
// container not yet shown (a frame, a tab page), gets its window when it is
// first shown, with every stored property applied at creation: hidden
// windows cost start-up time and serve nobody. The object behind a window
// is the pointer stored in it at creation; notifications a child sends to
// its parent (WM_COMMAND, WM_NOTIFY, WM_VSCROLL, WM_CTLCOLOR*) are reflected
// to that object.
#pragma once

#include <windows.h>
// These need the declarations of <windows.h> first.
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/gdi_win32.h"

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

// ---- libraries loaded on demand ------------------------------------------
// A function of a library of the system folder, loaded on first use (never
// from the program's own folder, which holds the user's files and may be
// writable by others); null when it is missing.
template <class Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module =
      LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? reinterpret_cast<Fn>(
                      reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// ---- errors ----------------------------------------------------------------
// The run-time error number that fits a failed file operation's system code.
int FileErrorNumber(DWORD systemError, int fallback);
// Throws FileBusy for a file another program holds for a moment, else the
// fitting run-time error.
[[noreturn]] void RaiseFileError(DWORD systemError, int fallback);
[[noreturn]] void RaiseFileError(int fallback);

// Event handlers trap their own errors; what still reaches a window
// procedure is written to the debug output here, and nothing crosses it.
void ReportStray(const char* where) noexcept;

// Runs an event handler; an empty handler does nothing.
template <class Fn, class... Args>
void Fire(const Fn& fn, Args&&... args) {
  if (fn) fn(std::forward<Args>(args)...);
}

// ---- message pump (system_win32.cpp) -------------------------------------
// Whether a modifier key (VK_SHIFT, VK_CONTROL, VK_MENU) is held for the key
// message being handled.
bool ModifierHeld(int vk);
// The program lost the keyboard: a key released elsewhere is not seen.
void ForgetModifiers();
// Translates and dispatches one message, giving the form that owns it a
// chance at its keyboard interface (Tab, Ctrl+Tab, Enter, Esc) first; the
// mouse wheel goes to the program's window under the pointer.
void DispatchOne(MSG& msg);

// ---- the session (session_win32.cpp) -------------------------------------
// The session ends: runs the program's save once and ends the process;
// a call while that runs returns at once.
void EndSession();
// A window goes: it no longer stands for a claimed folder.
void ForgetInstance(HWND window);

class Win32Form;
class ChildWindow;

// ---- reflection (child_win32.cpp) ----------------------------------------
// The control object behind a window, or null for windows of others.
ChildWindow* ChildOf(HWND hwnd);
// Gives a notification that a child sent to its parent to the child's own
// object; true when that object handled it (result set).
bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

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

// Paints a container's background and windowless children; the window
// procedure of the frames' and tab pages' host windows.
HWND CreatePane(Win32Container& container, HWND parent, const RECT& r,
                bool visible);
// Fills a pane or form client with the dialog background.
void PaintContainer(Win32Container& container, HWND hwnd);

// ---- controls (child_win32.cpp and the kinds' files) -----------------------
class ChildWindow : public Stacked {
 public:
  ChildWindow(Win32Container& parent, const ControlArgs& args);
  ~ChildWindow() override;

  virtual platform::Control& AsControl() = 0;
  // A notification this control sent to its parent; true when handled.
  virtual bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Messages of the control's own window; true when fully handled.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
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
  // Sets the text (and the window's, when it changes).
  void SetText(const std::wstring& t);
  // The user changed the window's text: the control takes it over.
  void TextChanged(const std::wstring& t);
  const FontSpec& font() const { return font_; }
  HFONT Font() const;
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
  // (with SetMeasured); runs at creation and with ApplyLook.
  virtual void Measure() {}
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
  static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR,
                                       DWORD_PTR);
  void CreateWindowNow();
  void Place();
  // Adds a wheel turn to the part of a notch kept; true when used.
  bool TakeWheel(int delta);

  Win32Container& parent_;
  HWND hwnd_ = nullptr;
  const wchar_t* windowClass_ = nullptr;
  DWORD style_ = 0;
  DWORD exStyle_ = 0;
  float geometry_[4];  // left, top, width, height (twips)
  bool autoWidth_ = false;
  bool autoHeight_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  bool tabStop_ = true;
  int tabIndex_ = 0;
  int sequence_ = 0;
  std::wstring text_;
  std::wstring toolTip_;
  FontSpec font_;
  int wheelRest_ = 0;  // a wheel turn short of a whole notch
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

// ---- the form (form_win32.cpp) -------------------------------------------
class Win32Form : public AddsControls<platform::Form>, public Win32Container {
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
  const FontSpec& defaultFont() const { return args_.font; }
  // Takes over a control made for this form; returns its sequence number.
  int Keep(std::unique_ptr<ChildWindow> control);
  HFONT FontFor(const FontSpec& wanted);
  // A device context for measuring text, kept for the form's life: one
  // per measurement costs a window DC each time.
  HDC MeasuringDc();
  // Registers or updates a control's tooltip.
  void SetToolTip(HWND control, const std::wstring& text);
  // Tooltips stay hidden while a drag is under way.
  void EnableToolTips(bool on);
  // Shows the notice of a refused character below a control.
  void ShowNotice(HWND control, const std::wstring& title,
                  const std::wstring& text);
  DropTarget HitTest(POINT screen);
  // The keyboard interface of a dialog; true when the key was used.
  bool PreTranslate(const MSG& msg);
  // Whether the focus is being given back to the control that had it when
  // the form was last deactivated.
  bool RestoringFocus() const { return restoringFocus_; }
  // The form that owns a window (itself or a child), or null.
  static Win32Form* FromWindow(HWND hwnd);
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
  void StartToolTips();
  // Keyboard: the tab order, page switching, Enter and Esc.
  std::vector<ChildWindow*> TabOrder() const;
  ChildWindow* FocusedChild() const;
  void FocusFirst();
  bool TabTo(bool backwards);
  bool CycleTabPages(bool backwards);
  bool PressRole(bool cancel);
  ChildWindow* ButtonWithRole(bool cancel) const;

  const FormArgs args_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HWND tooltip_ = nullptr;
  HWND notice_ = nullptr;
  bool showTips_ = false;  // set once the form has been shown
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
  IconHandle icons_[2];  // big and small, for the caption and the task bar
  MemoryDc measuring_;
  DragTracker drag_{*this};
};

}  // namespace platform::win32
