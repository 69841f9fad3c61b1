// The user's actions a test plays on the headless forms (headless_forms.h):
// presses, keys, typing, scrolling, the wheel, drags, resizing, activation
// and timer ticks, each reaching a control only as the window system would.
#include <string>

#include "platform/headless/controls_headless.h"
#include "platform/text_edit.h"

namespace platform::headless {

using namespace detail;

void Press(ToggleButton& button) {
  if (!Reachable(button) || button.GetDragMode() == DragMode::Automatic) return;
  Click(button);
  button.SetValue(button.Value() == 0 ? 1 : 0);
  Fire(button.Click);
}

void PressPictureButton(PictureButton& button) {
  if (!Reachable(button)) return;
  Click(button);
  Fire(button.Click);
}

void PressCommandButton(CommandButton& button) {
  if (!Reachable(button)) return;
  Click(button);
  Fire(button.Click);
}

void ClickLabel(Label& label) {
  if (!Reachable(label)) return;
  MakeActive(Owner(label));
  Fire(label.Click);
}

void ClickCheckBox(CheckBox& box) {
  if (!Reachable(box)) return;
  Click(box);
  box.SetValue(box.Value() == 0 ? 1 : 0);
}

void KeyDown(ToggleButton& button, int keyCode, int shift) {
  if (Reachable(button)) Fire(button.KeyDown, keyCode, shift);
}

void KeyUp(ToggleButton& button, int keyCode, int shift) {
  if (Reachable(button)) Fire(button.KeyUp, keyCode, shift);
}

void MouseDown(ToggleButton& button, int mouseButton, int shift, float x,
               float y) {
  if (!Reachable(button) || button.GetDragMode() == DragMode::Automatic) return;
  Click(button);
  Fire(button.MouseDown, mouseButton, shift, x, y);
}

void Focus(Control& control) {
  if (Reachable(control) && control.TabStop()) Click(control);
}

// One edit at the end of the text, taken as the window system takes it.
void Insert(TextBox& box, const std::wstring& text) {
  if (!Reachable(box)) return;
  Click(box);
  auto& t = dynamic_cast<HTextBox&>(box);
  if (t.args.locked) return;
  EditOutcome out = TakeEdit(t.args.ansiOnly, t.args.acceptEdit, t.args.text,
                             {t.args.text, text, L""});
  t.args.text = std::move(out.text);
  if (out.notice) t.notices.push_back(*out.notice);
}

void Backspace(TextBox& box) {
  if (!Reachable(box)) return;
  Click(box);
  auto& t = dynamic_cast<HTextBox&>(box);
  if (t.args.locked || t.args.text.empty()) return;
  const std::wstring head = t.args.text.substr(0, t.args.text.size() - 1);
  EditOutcome out = TakeEdit(t.args.ansiOnly, t.args.acceptEdit, t.args.text,
                             {head, L"", L""});
  t.args.text = std::move(out.text);
  if (out.notice) t.notices.push_back(*out.notice);
}

void Type(TextBox& box, const std::wstring& text) {
  for (const std::wstring& unit : Characters(text)) Insert(box, unit);
}

void Paste(TextBox& box, const std::wstring& text) { Insert(box, text); }

void Retype(TextBox& box, const std::wstring& text) {
  if (!Reachable(box) || box.Locked()) return;
  box.SetText(L"");
  Type(box, text);
}

void Scroll(VScrollBar& bar, ScrollAction action) {
  if (!Reachable(bar)) return;
  auto& s = dynamic_cast<HScrollBar&>(bar);
  const bool line =
      action == ScrollAction::LineUp || action == ScrollAction::LineDown;
  const bool down =
      action == ScrollAction::LineDown || action == ScrollAction::PageDown;
  s.Moved(line ? s.model.Line(down) : s.model.Page(down));
}

// The window system gives the wheel to the window under the pointer, a
// disabled one too (platform/win32: AimWheel); parts of a notch add up.
void Wheel(Control& control, int delta) {
  Core& c = CoreOf(control);
  if (!c.visible || !ContainerOpen(c.in) || !TakesInput(Owner(control))) return;
  auto* bar = dynamic_cast<HScrollBar*>(&control);
  if (bar ? !c.enabled : !control.MouseWheel) return;
  c.wheelRest += delta;
  const int notches = c.wheelRest / kWheelDelta;
  c.wheelRest -= notches * kWheelDelta;
  if (!notches) return;
  if (!bar) return control.MouseWheel(notches);
  bar->ClickArrows(notches);
}

void DragThumb(VScrollBar& bar, int value) {
  if (!Reachable(bar)) return;
  auto& s = dynamic_cast<HScrollBar&>(bar);
  s.Moved(s.model.MoveWithin(value));
}

void Choose(DropDownList& list, int index) {
  if (!Reachable(list) || index < 0 || index >= list.ListCount()) return;
  Click(list);
  list.SetListIndex(index);
}

void ClickTab(TabControl& tabs, int index) {
  if (!Reachable(tabs) || index < 0 || index >= tabs.Tabs()) return;
  Click(tabs);
  tabs.SetTab(index);
}

void PressEscape(Form& form) {
  if (!TakesInput(FormOf(form))) return;
  if (HCommand* b = ButtonWithRole(FormOf(form), true)) PressCommandButton(*b);
}

void PressEnter(Form& form) {
  HForm& f = FormOf(form);
  if (!TakesInput(f)) return;
  if (auto* box = dynamic_cast<HTextBox*>(f.focused_)) {
    if (box->args.multiLine) return Type(*box, L"\r\n");
  }
  if (HCommand* b = ButtonWithRole(f, false)) PressCommandButton(*b);
}

void CloseBox(Form& form) {
  if (TakesInput(FormOf(form))) form.Close();
}

void BeginDrag(Control& source, float x, float y) {
  EndDrag();
  desk().dragSource = &source;
  desk().dragOver = &source;
  desk().dragX = source.Left() + x;
  desk().dragY = source.Top() + y;
  Fire(source.DragOver, source, x, y, kDragEnter);
}

void MoveOver(Control& target, float x, float y) {
  Control* source = desk().dragSource;
  if (!source) return;
  if (desk().dragOver == &target) {
    desk().dragX = target.Left() + x;
    desk().dragY = target.Top() + y;
    Fire(target.DragOver, *source, x, y, kDragOver);
    return;
  }
  Leave(target.Left() + x, target.Top() + y);
  desk().dragOver = &target;
  Fire(target.DragOver, *source, x, y, kDragEnter);
}

void MoveOverForm(Form&, float x, float y) {
  if (desk().dragSource) Leave(x, y);
}

void DropOn(Control& target, float x, float y) {
  Control* source = desk().dragSource;
  if (!source) return;
  if (desk().dragOver != &target) MoveOver(target, x, y);
  EndDrag();
  Fire(target.DragDrop, *source, x, y);
}

void DropOnForm(Form& form, float x, float y) {
  Control* source = desk().dragSource;
  if (!source) return;
  Leave(x, y);
  EndDrag();
  Fire(form.DragDrop, *source, x, y);
}

void DropOutside() {
  if (!desk().dragSource) return;
  Leave(desk().dragX, desk().dragY);
  EndDrag();
}

bool Dragging() { return desk().dragSource != nullptr; }

void SetFormSize(Form& form, float width, float height) {
  if (FormOf(form).args_.sizable) FormOf(form).SetSize(width, height);
}

void Activate(Form& form) {
  if (!FormOf(form).closed_) MakeActive(FormOf(form));
}

void ComeBack(Form& form) {
  HForm& f = FormOf(form);
  if (f.closed_) return;
  headless::SetForegroundWindow(f.hWnd());
  FireAppActivate(f);
}

void PressFromOtherProgram(ToggleButton& button) {
  Press(button);
  FireAppActivate(Owner(button));
}

void Tick(Timer& timer) {
  auto& t = dynamic_cast<HTimer&>(timer);
  if (t.interval > 0 && !t.owner.closed_) Fire(t.Tick);
}

}  // namespace platform::headless
