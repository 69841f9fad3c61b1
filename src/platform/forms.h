// Forms and controls of the window system, with VB-style properties in
// twips (1440 per inch) as single-precision values. Text is UTF-16.
//
// Errors: every call that can fail throws vb::RuntimeError
// (runtime/vb.h) so the caller's error trap reports it.
//
// The event contract (both backends keep it; the contract suite in
// tests/unit/platform_contract_test.cpp checks it on each):
// - Setting a property from code fires no event, with two exceptions: a
//   scroll bar whose Value changes (set by code, or clamped by a new Min or
//   Max) fires Change, once, after the new value is in place; and a Form's
//   SetWidth or SetHeight that changes its size fires Resize, as every
//   change of a form's size does.
// - User actions fire their events after the control's state has changed:
//   a press toggles a ToggleButton's Value before Click; a scroll bar's
//   Value is updated before Change; a text box has the focus when GotFocus
//   runs.
// - GotFocus fires when the focus moves to a text box within its form (a
//   click, Tab, SetFocus), not when the form gets its focus back as it is
//   activated again (a message box or another form closed, the user came
//   back from another program).
// - A value outside what a property accepts raises kInvalidPropertyValue
//   and leaves the property unchanged (a ToggleButton or CheckBox Value
//   other than 0 or 1, a scroll bar Value outside Min..Max, a list index
//   outside -1..ListCount-1). A negative timer interval stops the timer
//   and reads back as 0.
// - A disabled control keeps its value: a disabled CheckBox still takes
//   and returns Value.
// - Visible and Enabled are each control's own flags; a control inside a
//   hidden or disabled frame or tab page is unreachable but keeps them.
// - hWnd() of a control is non-zero from its creation on.
// - Show fires Activate when the form becomes the program's active form,
//   not when it already was.
// - AppActivate fires when the user brings the form forward from a window
//   of another program, once: after any mouse button that was pressed for
//   it is released (so a click that brought it forward has run first) and
//   only while no modal form or box of the program is open over it (it
//   waits until that has closed). Moving between the program's own windows
//   never fires it.
// - Controls of a container stack in the order they were added, later ones
//   on top; the tab order (TabIndex, then the order of adding) is
//   independent of the stacking.
// - The mouse wheel reaches the control under the pointer (a disabled one
//   too, none of a form that takes no input), in whole notches: partial
//   notches add up. A scroll bar steps as its arrows do; any other control
//   fires MouseWheel.
// - A user's edit of a text box is judged by its acceptEdit; text set by
//   code never is. While the judge runs, the box's Text() is still the text
//   before the edit.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_handle.h"
#include "runtime/vb.h"

namespace platform {

// Modifier mask of key and mouse events.
enum ShiftMask : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// Drag-over states.
enum DragState : int { kDragEnter = 0, kDragLeave = 1, kDragOver = 2 };

enum class DragMode : int { Manual = 0, Automatic = 1 };

struct FontSpec {
  std::wstring name;  // e.g. L"ＭＳ Ｐゴシック"; empty: the form's font
  float points = 9;
  bool bold = false;
  int charset = 1;  // 1 = default, 128 = Shift-JIS
  int weight = 0;   // 0: 400 or, when bold, 700; else this weight
  bool underline = false;
};

// A colour as the classic properties hold it: 0x00BBGGRR for a colour of
// its own, 0x800000nn for system colour nn (which follows the user's
// colour scheme).
struct Color {
  std::uint32_t value = 0;
  static constexpr Color Rgb(int r, int g, int b) {
    return {static_cast<std::uint32_t>(r | (g << 8) | (b << 16))};
  }
  static constexpr Color System(int index) {
    return {0x80000000u | static_cast<std::uint32_t>(index)};
  }
  bool IsSystem() const { return (value & 0x80000000u) != 0; }
  int SystemIndex() const { return static_cast<int>(value & 0xFFu); }
  bool operator==(const Color& o) const { return value == o.value; }
  bool operator!=(const Color& o) const { return value != o.value; }
};

// System colour indexes used by the program.
enum SystemColorIndex : int {
  kColorWindow = 5,
  kColorWindowText = 8,
  kColorCaptionText = 9,
  kColorHighlight = 13,
  kColorButtonFace = 15,
};

enum class Align : int { Left = 0, Right = 1, Center = 2 };

// ---------------------------------------------------------------------------
// Controls

class Control {
 public:
  virtual ~Control() = default;

  // Position inside the control's container, size; twips.
  virtual float Left() const = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;

  virtual bool Visible() const = 0;
  virtual void SetVisible(bool v) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool v) = 0;
  virtual bool TabStop() const = 0;
  virtual void SetTabStop(bool v) = 0;
  virtual int TabIndex() const = 0;
  virtual void SetTabIndex(int i) = 0;
  virtual std::wstring ToolTipText() const = 0;
  virtual void SetToolTipText(const std::wstring& t) = 0;
  virtual WindowHandle hWnd() const = 0;
  // Raises kInvalidCall when the control can't take the focus (hidden,
  // disabled, or in a hidden or disabled container).
  virtual void SetFocus() = 0;

  // Drag and drop. `source` is the control being dragged; x, y are twips
  // relative to this control.
  std::function<void(Control& source, float x, float y, int state)> DragOver;
  std::function<void(Control& source, float x, float y)> DragDrop;
  // The mouse wheel turned over the control by whole notches, positive away
  // from the user (up). Not fired for scroll bars, which step themselves.
  std::function<void(int notches)> MouseWheel;
};

// A check button drawn as a push button that stays pressed while its value
// is 1. A press toggles Value before Click runs. In automatic drag mode a
// mouse press starts dragging the button instead of pressing it.
class ToggleButton : public Control {
 public:
  virtual std::wstring Caption() const = 0;
  virtual void SetCaption(const std::wstring& c) = 0;
  virtual int Value() const = 0;
  virtual void SetValue(int v) = 0;
  virtual DragMode GetDragMode() const = 0;
  virtual void SetDragMode(DragMode m) = 0;

  std::function<void()> Click;
  // keyCode is a virtual-key code; shift is the modifier mask.
  std::function<void(int keyCode, int shift)> KeyDown;
  std::function<void(int keyCode, int shift)> KeyUp;
  // button: 1 left, 2 right, 4 middle; x, y in twips inside the button.
  std::function<void(int button, int shift, float x, float y)> MouseDown;
};

// A push button showing a 16x16 picture from the program's resources.
class PictureButton : public Control {
 public:
  std::function<void()> Click;
};

// A plain push button with a text caption.
class CommandButton : public Control {
 public:
  virtual std::wstring Caption() const = 0;
  virtual void SetCaption(const std::wstring& c) = 0;
  std::function<void()> Click;
};

// A text the user does not edit, in the container's background.
class Label : public Control {
 public:
  virtual std::wstring Caption() const = 0;
  virtual void SetCaption(const std::wstring& c) = 0;
  std::function<void()> Click;
};

// A single- or multi-line edit field. Locked: read-only (the user can still
// select and copy). With ansiOnly (TextBoxArgs) the user can type or paste
// only characters code page 932 (the files' code page, whatever the
// system's) holds; any other is refused at once with a visible notice, so
// what the field shows is what a file can store.
class TextBox : public Control {
 public:
  virtual std::wstring Text() const = 0;
  virtual void SetText(const std::wstring& t) = 0;
  virtual bool Locked() const = 0;
  virtual void SetLocked(bool v) = 0;
  virtual Color BackColor() const = 0;
  virtual void SetBackColor(Color c) = 0;
  virtual Color ForeColor() const = 0;
  virtual void SetForeColor(Color c) = 0;
  std::function<void()> GotFocus;
};

// A vertical scroll bar. Min is the value at the top end and Max the value
// at the bottom end; either may be the larger. The arrows move Value by
// SmallChange towards their end, a click on the track by LargeChange. Each
// notch of the mouse wheel over an enabled bar is one arrow click, up
// towards the top end.
class VScrollBar : public Control {
 public:
  virtual int Min() const = 0;
  virtual int Max() const = 0;
  virtual void SetMin(int v) = 0;
  virtual void SetMax(int v) = 0;
  virtual int SmallChange() const = 0;
  virtual int LargeChange() const = 0;
  virtual void SetSmallChange(int v) = 0;
  virtual void SetLargeChange(int v) = 0;
  virtual int Value() const = 0;
  virtual void SetValue(int v) = 0;
  // As many clicks on the up arrow (a negative count: the down arrow), each
  // firing Change when it moves the value; the wheel's notches step so.
  virtual void ClickArrows(int clicks) = 0;
  std::function<void()> Change;
};

// A drop-down list the user chooses from (no typing). ListIndex -1: no
// item chosen; Text is then empty.
class DropDownList : public Control {
 public:
  virtual void AddItem(const std::wstring& item) = 0;
  virtual int ListCount() const = 0;
  virtual std::wstring List(int index) const = 0;
  virtual int ListIndex() const = 0;
  virtual void SetListIndex(int index) = 0;
  virtual std::wstring Text() const = 0;
};

// A check box: Value 0 (clear) or 1 (ticked).
class CheckBox : public Control {
 public:
  virtual std::wstring Caption() const = 0;
  virtual int Value() const = 0;
  virtual void SetValue(int v) = 0;
};

// A rectangle drawn on its container's background (no window, no input).
class Shape : public Control {};

enum class Picture { Settings, Table, AppIcon };

// A picture drawn on its container's background (no input).
class Image : public Control {};

class Frame;
class TabControl;

// Arguments every control kind starts from. tabIndex -1: the order in which
// controls were added to the form.
struct ControlArgs {
  float left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
  bool enabled = true;
  bool tabStop = true;
  int tabIndex = -1;
  FontSpec font;  // empty name: the form's font
  std::wstring toolTip;
};

struct ToggleButtonArgs : ControlArgs {
  ToggleButtonArgs() { width = 1200, height = 400; }
  std::wstring caption;
};

struct CommandButtonArgs : ControlArgs {
  CommandButtonArgs() { width = 1215, height = 375; }
  std::wstring caption;
  // Enter anywhere in the form presses the default button (unless the
  // focused control takes Enter itself); Esc presses the cancel button.
  bool isDefault = false;
  bool isCancel = false;
};

struct PictureButtonArgs : ControlArgs {
  PictureButtonArgs() { width = 400, height = 400; }
  Picture picture = Picture::Settings;
  // What the button is called: the name screen readers say; only the
  // picture is drawn.
  std::wstring name;
};

// width 0: as wide as the caption (one line); height 0: as high as the
// caption's lines at that width.
struct LabelArgs : ControlArgs {
  LabelArgs() { tabStop = false; }
  std::wstring caption;
  Align alignment = Align::Left;
  bool wordWrap = false;
  Color foreColor = Color::System(kColorWindowText);
  // Opaque: the label fills its area with backColor; otherwise the
  // container's background shows.
  bool opaque = false;
  Color backColor = Color::System(kColorButtonFace);
  bool handCursor = false;  // a link: the hand pointer over the label
  // For a label as wide as its caption (width 0): the widest it may be, as
  // when a neighbour starts there; 0: no limit. A caption wider at the
  // label's font is drawn in the same face as much smaller as it takes to
  // fit, down to three quarters of the size (a stand-in for a missing font
  // can run wider than the font the layout was made with).
  float maxWidth = 0;
};

// A text box's answer to an edit of the user's that it does not take: the
// balloon it shows at the box.
struct EditRefusal {
  std::wstring title, text;
  // Keep the longest beginning of the inserted text that is taken (a length
  // limit) instead of undoing the whole edit.
  bool keepWhatFits = false;
};

// Judges the text an edit of the user's would leave; nothing: taken.
using EditJudge =
    std::function<std::optional<EditRefusal>(const std::wstring& text)>;

struct TextBoxArgs : ControlArgs {
  std::wstring text;
  bool multiLine = false;
  bool verticalScrollBar = false;
  bool locked = false;
  Align alignment = Align::Left;
  Color backColor = Color::System(kColorWindow);
  Color foreColor = Color::System(kColorWindowText);
  bool ansiOnly = false;
  // Every edit the user makes (typed, pasted, composed, deleted) is judged by
  // the text it would leave, after the ansiOnly guard: a refusal undoes the
  // edit (or keeps what fits) and shows its balloon. Text set by code is not
  // judged.
  EditJudge acceptEdit;
  // A thin single border instead of the sunken one, outside the text's
  // room, and no margins for centred text: cells of a grid, whose borders
  // overlap by a line.
  bool flat = false;
};

struct VScrollBarArgs : ControlArgs {
  int min = 0, max = 32767;
  int smallChange = 1, largeChange = 1;
  int value = 0;
};

struct DropDownListArgs : ControlArgs {
  DropDownListArgs() { height = 300; }
};

// width 0: as wide as the caption and its box.
struct CheckBoxArgs : ControlArgs {
  std::wstring caption;
  bool boxOnRight = false;
  int value = 0;
};

struct FrameArgs : ControlArgs {
  FrameArgs() { tabStop = false; }
  std::wstring caption;
};

struct ShapeArgs : ControlArgs {
  ShapeArgs() { tabStop = false; }
};

struct ImageArgs : ControlArgs {
  ImageArgs() { tabStop = false; }
  Picture picture = Picture::AppIcon;
};

struct TabControlArgs : ControlArgs {
  std::vector<std::wstring> captions;  // one page per caption
};

// Something that holds controls: the form, a frame, a tab page. A control's
// Left and Top are relative to its container's origin: the form's client
// area, the frame's corner, or, for a tab page, the tab control's corner.
class Container {
 public:
  virtual ~Container() = default;
  virtual ToggleButton& AddToggleButton(const ToggleButtonArgs& args) = 0;
  virtual PictureButton& AddPictureButton(const PictureButtonArgs& args) = 0;
  virtual CommandButton& AddCommandButton(const CommandButtonArgs& args) = 0;
  virtual Label& AddLabel(const LabelArgs& args) = 0;
  virtual TextBox& AddTextBox(const TextBoxArgs& args) = 0;
  virtual VScrollBar& AddVScrollBar(const VScrollBarArgs& args) = 0;
  virtual DropDownList& AddDropDownList(const DropDownListArgs& args) = 0;
  virtual CheckBox& AddCheckBox(const CheckBoxArgs& args) = 0;
  virtual Frame& AddFrame(const FrameArgs& args) = 0;
  virtual Shape& AddShape(const ShapeArgs& args) = 0;
  virtual Image& AddImage(const ImageArgs& args) = 0;
  virtual TabControl& AddTabControl(const TabControlArgs& args) = 0;
};

// A captioned group box that holds controls.
class Frame : public Control, public Container {
 public:
  virtual std::wstring Caption() const = 0;
};

// Captioned pages of which one shows at a time. The pages hold controls;
// the user switches pages with the tabs or Ctrl+Tab / Ctrl+Shift+Tab.
class TabControl : public Control {
 public:
  virtual int Tabs() const = 0;
  virtual Container& Page(int index) = 0;
  // The page shown.
  virtual int Tab() const = 0;
  virtual void SetTab(int index) = 0;
};

// A fixed array of controls addressed by index, as control arrays are:
// Check(0) .. Check(30), txtListNo(0) .. txtListNo(4). An index outside
// raises kSubscript.
template <class T>
class ControlArray {
 public:
  void push_back(T* control) { items_.push_back(control); }
  T& operator()(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size()) ||
        !items_[static_cast<std::size_t>(index)])
      vb::Raise(vb::kSubscript);
    return *items_[static_cast<std::size_t>(index)];
  }
  T* operator[](std::size_t index) const { return items_[index]; }
  std::size_t size() const { return items_.size(); }
  int UBound() const { return static_cast<int>(items_.size()) - 1; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  T* back() const { return items_.back(); }

 private:
  std::vector<T*> items_;
};

class Timer {
 public:
  virtual ~Timer() = default;
  // Milliseconds; 0 stops the timer.
  virtual int Interval() const = 0;
  virtual void SetInterval(int ms) = 0;
  std::function<void()> Tick;
};

// ---------------------------------------------------------------------------
// Forms

struct FormArgs {
  std::wstring caption;
  // Outer size and position in twips before Load changes them.
  float left = 0, top = 0, width = 3000, height = 3000;
  bool minButton = false;
  bool maxButton = false;
  // A small floating tool window (narrow caption).
  bool toolWindow = false;
  // A sizing border the user drags to resize the window (every change of
  // the size fires Resize, as always); otherwise a fixed border.
  bool sizable = false;
  bool centerOnScreen = false;
  // The font of every control that names none.
  FontSpec font{L"ＭＳ Ｐゴシック", 9, false, 128};
};

// A rectangle of the screen, twips.
struct ScreenArea {
  float left = 0, top = 0, right = 0, bottom = 0;
};

class Form : public Container {
 public:
  virtual std::wstring Caption() const = 0;
  // Outer geometry, twips (screen coordinates for Left/Top).
  virtual float Left() const = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;
  // Client area, twips.
  virtual float ScaleWidth() const = 0;
  virtual float ScaleHeight() const = 0;
  // The work area (the screen less the task bar) of the monitor the form
  // lies on (the nearest one), in the screen coordinates of Left and Top.
  virtual ScreenArea WorkArea() const = 0;

  virtual bool Visible() const = 0;
  virtual WindowHandle hWnd() const = 0;

  // Shows the form modelessly (fires Resize for its first size, then
  // Activate). A form that would lie wholly outside every monitor's work
  // area is first moved onto the nearest one.
  virtual void Show() = 0;
  // Shows the form modally and returns when it is closed. While it is open
  // the program's other forms take no input. With an owner the form stays
  // in front of it.
  virtual void ShowModal(Form* owner = nullptr) = 0;
  // Closes the form: fires Unload, then destroys the window.
  virtual void Close() = 0;

  virtual Timer& AddTimer() = 0;

  // Resize fires on every change of the size, nested when a handler changes
  // the size again. Activate fires when the form becomes the active one among
  // the program's own forms (not when coming back from another program, not
  // after a message or input box). Unload fires once, before the window goes.
  // AppActivate: see the event contract at the top.
  std::function<void()> Resize;
  std::function<void()> Activate;
  std::function<void()> AppActivate;
  std::function<void()> Unload;
  // A key the form's window took from every program was pressed (see
  // platform::RegisterHotKey): `id` is the id it was taken under.
  std::function<void(int id)> HotKey;
  // x, y: twips relative to the client area.
  std::function<void(Control& source, float x, float y)> DragDrop;
};

std::unique_ptr<Form> CreateForm(const FormArgs& args);

// Runs the event loop until the last form has closed; returns the exit code.
int RunMessageLoop();

}  // namespace platform
