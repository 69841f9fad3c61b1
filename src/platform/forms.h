// Forms and controls of the window system, with VB-style properties in
// twips (1440 per inch) as single-precision values. Text is UTF-16.
//
// Errors: every call that can fail throws vb::RuntimeError
// (runtime/vb.h) so the caller's error trap reports it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// A window handle as a plain number; 0 is the null handle.
using WindowHandle = std::intptr_t;

// Modifier mask of key and mouse events.
enum ShiftMask : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// Drag-over states.
enum DragState : int { kDragEnter = 0, kDragLeave = 1, kDragOver = 2 };

enum class DragMode : int { Manual = 0, Automatic = 1 };

struct FontSpec {
  std::wstring name;  // e.g. L"ＭＳ Ｐゴシック"
  float points = 9;
  bool bold = false;
  int charset = 1;  // 1 = default, 128 = Shift-JIS
};

// ---------------------------------------------------------------------------
// Controls

class Control {
 public:
  virtual ~Control() = default;

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
  virtual void SetFocus() = 0;

  // Drag and drop. `source` is the control being dragged; x, y are twips
  // relative to this control.
  std::function<void(Control& source, float x, float y, int state)> DragOver;
  std::function<void(Control& source, float x, float y)> DragDrop;
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

// A plain push button with a text caption (a dialog's close button).
class CommandButton : public Control {
 public:
  virtual std::wstring Caption() const = 0;
  virtual void SetCaption(const std::wstring& c) = 0;
  std::function<void()> Click;
};

class Timer {
 public:
  virtual ~Timer() = default;
  // Milliseconds; 0 stops the timer.
  virtual int Interval() const = 0;
  virtual void SetInterval(int ms) = 0;
  std::function<void()> Tick;
};

struct ToggleButtonArgs {
  float left = 0, top = 0, width = 1200, height = 400;
  std::wstring caption;
  bool visible = true;
  bool enabled = true;
  FontSpec font;
};

struct CommandButtonArgs {
  float left = 0, top = 0, width = 1215, height = 375;
  std::wstring caption;
  int tabIndex = 0;
};

enum class Picture { Settings, Table };

struct PictureButtonArgs {
  float left = 0, top = 0, width = 400, height = 400;
  Picture picture = Picture::Settings;
  std::wstring toolTip;
  int tabIndex = 0;
};

// ---------------------------------------------------------------------------
// Forms

struct FormArgs {
  std::wstring caption;
  // Outer size and position in twips before Load changes them.
  float left = 0, top = 0, width = 3000, height = 3000;
  bool minButton = false;
  bool maxButton = false;
  // A small floating tool window (narrow caption, fixed single border).
  bool toolWindow = false;
  bool centerOnScreen = false;
};

class Form {
 public:
  virtual ~Form() = default;

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

  virtual bool Visible() const = 0;
  virtual WindowHandle hWnd() const = 0;

  // Shows the form modelessly (fires Resize for its first size, then
  // Activate).
  virtual void Show() = 0;
  // Shows the form modally without an owner and returns when it is closed.
  virtual void ShowModal() = 0;
  // Closes the form: fires Unload, then destroys the window.
  virtual void Close() = 0;

  virtual ToggleButton& AddToggleButton(const ToggleButtonArgs& args) = 0;
  virtual PictureButton& AddPictureButton(const PictureButtonArgs& args) = 0;
  virtual CommandButton& AddCommandButton(const CommandButtonArgs& args) = 0;
  virtual Timer& AddTimer() = 0;

  // Resize fires on every change of the size, nested when a handler changes
  // the size again. Activate fires when the form becomes the active one among
  // the program's own forms (not when coming back from another program, not
  // after a message or input box). Unload fires once, before the window goes.
  std::function<void()> Resize;
  std::function<void()> Activate;
  std::function<void()> Unload;
  // x, y: twips relative to the client area.
  std::function<void(Control& source, float x, float y)> DragDrop;
};

std::unique_ptr<Form> CreateForm(const FormArgs& args);

// Runs the event loop until the last form has closed; returns the exit code.
int RunMessageLoop();

}  // namespace platform
