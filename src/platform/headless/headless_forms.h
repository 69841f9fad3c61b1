// Test hooks of the headless forms: the in-memory windows and controls that
// platform::CreateForm gives in the unit tests, and the user actions a test
// plays on them (clicks, keys, typing, scrolling, drags, timer ticks,
// resizing, activation).
//
// Frame model: a form's client area is its outer size less a fixed frame,
// and no outer size goes below the minimum the system allows. Every form and
// control has a unique non-zero handle; form and control handles count as
// the program's own windows (platform::IsOwnWindow).
//
// Showing, activating or clicking a form makes it the foreground window, as
// the window system does; closing the active form gives the foreground and
// the activation back to the form that was active before it.
//
// User actions reach a control only when it is reachable: visible and
// enabled, in visible and enabled containers (a tab page is visible while
// its tab control shows it), on a form that takes input (no modal form of
// the program is open above it). An unreachable control ignores them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::headless {

// Frame of a tool window (narrow caption) and of an ordinary window, twips.
constexpr float kToolFrameWidth = 90;
constexpr float kToolFrameHeight = 390;
constexpr float kFrameWidth = 120;
constexpr float kFrameHeight = 480;
// The smallest outer size the system allows.
constexpr float kMinOuterWidth = 1020;
constexpr float kMinOuterHeight = 390;
// The screen that centred forms are centred on, twips (1280 x 800 pixels),
// with its work area (the screen less a task bar of 40 pixels at the bottom).
constexpr float kScreenWidth = 19200;
constexpr float kScreenHeight = 12000;
constexpr float kWorkAreaHeight = 11400;

// ---- finding what the program created -------------------------------------

// Forms created and not yet closed or destroyed, oldest first.
std::vector<Form*> LiveForms();
// The live form with this caption, or nullptr.
Form* FindForm(const std::wstring& caption);
// The form's command button with this caption, or nullptr.
CommandButton* FindCommandButton(Form& form, const std::wstring& caption);
// The form that is active among the program's own forms, or nullptr.
Form* ActiveForm();

// ---- properties the interface does not read back ---------------------------

const FormArgs& ArgsOf(const Form& form);
bool IsModal(const Form& form);
// Whether a form shown modally is open now.
bool ModalFormOpen();
// The owner a modal form was shown with, or nullptr.
Form* OwnerOf(const Form& form);
bool IsClosed(const Form& form);
// How often Unload has fired.
int UnloadCount(const Form& form);
// The font the control shows its text in (the form's font when it names
// none).
FontSpec FontOf(const Control& control);
Picture PictureOf(const Control& pictureButtonOrImage);
Align AlignmentOf(const Control& labelOrTextBox);
// The creation arguments of a control of that kind, as given.
const LabelArgs& LabelArgsOf(const Label& label);
const TextBoxArgs& TextBoxArgsOf(const TextBox& box);
const CheckBoxArgs& CheckBoxArgsOf(const CheckBox& box);
const CommandButtonArgs& CommandButtonArgsOf(const CommandButton& button);
// The container a control was added to: the form, a frame or a tab page.
Container& ContainerOf(const Control& control);
// The control's position in the form's client area, twips.
float FormLeft(const Control& control);
float FormTop(const Control& control);
// Whether the user can reach the control now (see above).
bool Reachable(const Control& control);
// The control that last took the focus on its form, or nullptr.
Control* FocusedControl(const Form& form);
// The balloons a text box showed for edits it did not take, oldest first.
const std::vector<EditRefusal>& Notices(const TextBox& box);

// ---- modal dialogs ---------------------------------------------------------

// Queues a script for the next ShowModal: it runs while the dialog is open
// (shown and active), so a test can act inside it. When the dialog is still
// open after its script (or has no script), it is closed as by its close
// box before ShowModal returns.
void QueueModalScript(std::function<void(Form& dialog)> script);
// Scripts queued and not yet run (a dialog that never opened leaves one).
int UnusedModalScripts();
// Drops queued scripts and forgets the activation history.
void ResetForms();

// ---- user actions
// ------------------------------------------------------------

// A mouse click on a tag button: in automatic drag mode nothing (the press
// would start a drag); otherwise Value toggles 0 <-> 1, then Click fires.
void Press(ToggleButton& button);
void PressPictureButton(PictureButton& button);
void PressCommandButton(CommandButton& button);
void ClickLabel(Label& label);
// A click on a check box toggles its Value.
void ClickCheckBox(CheckBox& box);
void KeyDown(ToggleButton& button, int keyCode, int shift);
void KeyUp(ToggleButton& button, int keyCode, int shift);
// A mouse press without the click; fires MouseDown in manual drag mode.
void MouseDown(ToggleButton& button, int mouseButton, int shift, float x,
               float y);
// The user moves the focus to the control (a click or the Tab key); a text
// box fires GotFocus.
void Focus(Control& control);
// The user types text at the end of a text box, which takes the focus
// first: each character is one edit. A locked box takes nothing; an
// ansiOnly box refuses each character the code page can't hold, and the
// box's acceptEdit judges each edit (see Notices).
void Type(TextBox& box, const std::wstring& text);
// The same with the whole text pasted in one edit.
void Paste(TextBox& box, const std::wstring& text);
// The user deletes the last character of a text box (Backspace at the end).
void Backspace(TextBox& box);
// The user selects all of a text box's text and types over it.
void Retype(TextBox& box, const std::wstring& text);

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown };
// A click on an arrow (Line*) or on the track (Page*) of a scroll bar: Up
// moves towards the top end (Min), Down towards the bottom end (Max), each
// stopping at the end.
void Scroll(VScrollBar& bar, ScrollAction action);
// The mouse wheel turned over a control by `delta`, kWheelDelta a notch,
// positive away from the user (up); a high-resolution wheel sends parts.
constexpr int kWheelDelta = 120;
void Wheel(Control& control, int delta);
// The thumb dragged to a value between Min and Max and released.
void DragThumb(VScrollBar& bar, int value);
// The user chooses an item of a drop-down list.
void Choose(DropDownList& list, int index);
// The user clicks a tab of a tab control.
void ClickTab(TabControl& tabs, int index);
// Esc and Enter pressed on a form: its cancel or default button is pressed.
void PressEscape(Form& form);
void PressEnter(Form& form);
// A click on the form's close box.
void CloseBox(Form& form);

// A whole drag of `source`. BeginDrag fires DragOver(source, x, y, enter) on
// the source itself. MoveOver a control fires leave on the control the
// pointer was over (if another), then enter on the new one, or over when it
// stays on the same control; MoveOverForm leaves the current control. Drops
// end the drag: DropOn enters the target first when the pointer was not on
// it and fires its DragDrop; DropOnForm leaves the current control and fires
// the form's DragDrop; DropOutside only leaves. Positions are twips relative
// to the control (or to the form's client area).
void BeginDrag(Control& source, float x, float y);
void MoveOver(Control& target, float x, float y);
void MoveOverForm(Form& form, float x, float y);
void DropOn(Control& target, float x, float y);
void DropOnForm(Form& form, float x, float y);
void DropOutside();
bool Dragging();

// The user drags the sizing border to a new outer size in one move: one
// Resize if it changed. A form without a sizing border keeps its size.
void SetFormSize(Form& form, float width, float height);
// The user activates the form (the app's active form changes to it).
void Activate(Form& form);
// The user brings the form forward from another program's window (a click
// on its caption, Alt+Tab): AppActivate fires, or, while a modal form is
// open over it, once that has closed.
void ComeBack(Form& form);
// The user, in another program, clicks a tag button: the click runs, then
// AppActivate fires.
void PressFromOtherProgram(ToggleButton& button);
// One period of the timer: fires Tick only while Interval > 0.
void Tick(Timer& timer);

}  // namespace platform::headless
