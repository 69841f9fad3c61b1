// Headless forms and controls: plain objects that keep every property and
// fire the events the window system would, synchronously, when a test plays
// the user (headless_forms.h). They keep the event contract of forms.h. Here
// they are made, activated, shown and closed, and looked into by the tests;
// the user's actions are in user_actions_headless.cpp.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>

#include "platform/headless/controls_headless.h"

namespace platform::headless::detail {

template <class Base>
template <class T, class Args>
T& WithControls<Base>::Add(const Args& args) {
  const Place p = Where();
  auto c = std::make_unique<T>();
  c->owner = p.form;
  c->in = p;
  c->container = this;
  c->left = args.left;
  c->top = args.top;
  c->width = args.width;
  c->height = args.height;
  c->visible = args.visible;
  c->enabled = args.enabled;
  c->tabStop = args.tabStop;
  c->toolTip = args.toolTip;
  c->font = args.font.name.empty() ? p.form->args_.font : args.font;
  T& kept = p.form->Keep(std::move(c));
  kept.tabIndex = args.tabIndex >= 0 ? args.tabIndex : kept.sequence;
  return kept;
}

template <class Base>
ToggleButton& WithControls<Base>::AddToggleButton(const ToggleButtonArgs& a) {
  HToggle& b = Add<HToggle>(a);
  b.caption = a.caption;
  return b;
}

template <class Base>
PictureButton& WithControls<Base>::AddPictureButton(
    const PictureButtonArgs& a) {
  HPicture& b = Add<HPicture>(a);
  b.picture = a.picture;
  return b;
}

template <class Base>
CommandButton& WithControls<Base>::AddCommandButton(
    const CommandButtonArgs& a) {
  HCommand& b = Add<HCommand>(a);
  b.args = a;
  return b;
}

template <class Base>
Label& WithControls<Base>::AddLabel(const LabelArgs& a) {
  HLabel& l = Add<HLabel>(a);
  l.args = a;
  l.own = l.font;
  l.AutoSize();
  return l;
}

template <class Base>
TextBox& WithControls<Base>::AddTextBox(const TextBoxArgs& a) {
  HTextBox& t = Add<HTextBox>(a);
  t.args = a;
  return t;
}

template <class Base>
VScrollBar& WithControls<Base>::AddVScrollBar(const VScrollBarArgs& a) {
  HScrollBar& s = Add<HScrollBar>(a);
  s.model = ScrollModel(a);
  return s;
}

template <class Base>
DropDownList& WithControls<Base>::AddDropDownList(const DropDownListArgs& a) {
  return Add<HDropDown>(a);
}

template <class Base>
CheckBox& WithControls<Base>::AddCheckBox(const CheckBoxArgs& a) {
  HCheckBox& c = Add<HCheckBox>(a);
  c.args = a;
  RequireProperty(a.value == 0 || a.value == 1);
  if (a.width == 0) c.width = TextWidth(a.caption, c.font) + 300;
  if (a.height == 0) c.height = LineHeight(c.font);
  return c;
}

template <class Base>
Frame& WithControls<Base>::AddFrame(const FrameArgs& a) {
  HFrame& f = Add<HFrame>(a);
  f.caption = a.caption;
  return f;
}

template <class Base>
Shape& WithControls<Base>::AddShape(const ShapeArgs& a) {
  return Add<HShape>(a);
}

template <class Base>
Image& WithControls<Base>::AddImage(const ImageArgs& a) {
  HImage& i = Add<HImage>(a);
  i.picture = a.picture;
  return i;
}

template <class Base>
TabControl& WithControls<Base>::AddTabControl(const TabControlArgs& a) {
  HTabControl& t = Add<HTabControl>(a);
  for (std::size_t i = 0; i < a.captions.size(); ++i)
    t.pages.push_back(
        std::make_unique<HPage>(*t.owner, t, static_cast<int>(i)));
  return t;
}

// ---- activation ----------------------------------------------------------

HForm* Active() {
  auto& a = desk().activation;
  return a.empty() ? nullptr : a.back();
}

void Forget(std::vector<HForm*>& list, HForm* f) {
  list.erase(std::remove(list.begin(), list.end(), f), list.end());
}

// Makes f the app's active form and the foreground window; Activate fires
// only when the app's active form changes.
void MakeActive(HForm& f) {
  headless::SetForegroundWindow(f.hWnd());
  if (Active() == &f) return;
  Forget(desk().activation, &f);
  desk().activation.push_back(&f);
  Fire(f.Activate);
}

// A closing form hands the activation back to the form active before it.
void HandBack(HForm& f) {
  const bool wasActive = Active() == &f;
  Forget(desk().activation, &f);
  if (!wasActive) return;
  HForm* next = Active();
  headless::SetForegroundWindow(next ? next->hWnd() : 0);
  if (next) Fire(next->Activate);
}

// While a modal form is open, the other forms take no input.
bool TakesInput(const HForm& f) {
  for (HForm* other : desk().forms)
    if (other != &f && other->modal_ && !other->closed_) return false;
  return !f.closed_;
}

void EndDrag() {
  desk().dragSource = nullptr;
  desk().dragOver = nullptr;
}

HForm::~HForm() {
  headless::ForgetOwnWindow(handle_);
  Forget(desk().forms, this);
  Forget(desk().activation, this);
  for (Control* c : {desk().dragSource, desk().dragOver})
    if (c && &Owner(*c) == this) EndDrag();
}

// A form wholly outside the work area is moved onto it, by the least way.
void HForm::KeepOnScreen() {
  const float right = headless::kScreenWidth;
  const float bottom = headless::kWorkAreaHeight;
  const bool overlaps = left_ < right && left_ + width_ > 0 && top_ < bottom &&
                        top_ + height_ > 0;
  if (overlaps) return;
  left_ = std::max(0.0f, std::min(left_, right - width_));
  top_ = std::max(0.0f, std::min(top_, bottom - height_));
}

void HForm::Appear() {
  if (args_.centerOnScreen) {
    left_ = (headless::kScreenWidth - width_) / 2;
    top_ = (headless::kScreenHeight - height_) / 2;
  }
  KeepOnScreen();
  visible_ = true;
  Fire(Resize);
  MakeActive(*this);
}

void HForm::Show() {
  if (!closed_) Appear();
}

void HForm::ShowModal(Form* owner) {
  if (closed_) return;
  modal_ = true;
  owner_ = owner;
  Appear();
  auto& scripts = desk().modalScripts;
  if (!scripts.empty()) {
    auto script = std::move(scripts.front());
    scripts.pop_front();
    script(*this);
  }
  Close();
}

void FireAppActivate(HForm& f) {
  f.appActivatePending_ = !TakesInput(f);
  if (!f.appActivatePending_) Fire(f.AppActivate);
}

void HForm::Close() {
  if (closed_) return;
  closed_ = true;
  ++unloads_;
  Fire(Unload);
  visible_ = false;
  HandBack(*this);
  for (HForm* other : std::vector<HForm*>(desk().forms))
    if (other->appActivatePending_) FireAppActivate(*other);
}

Timer& HForm::AddTimer() {
  timers_.push_back(std::make_unique<HTimer>(*this));
  return *timers_.back();
}

HForm& FormOf(const Form& f) {
  return dynamic_cast<HForm&>(const_cast<Form&>(f));
}

// Moves the form's focus to c; a text box that did not have it fires
// GotFocus.
void TakeFocus(Control& c) {
  HForm& form = Owner(c);
  if (form.focused_ == &c) return;
  form.focused_ = &c;
  if (auto* box = dynamic_cast<HTextBox*>(&c)) Fire(box->GotFocus);
}

// A mouse press on a control activates its form and focuses the control.
void Click(Control& c) {
  MakeActive(Owner(c));
  TakeFocus(c);
}

// The pointer leaves the control it was over; (x, y) in client twips.
void Leave(float x, float y) {
  Control* over = desk().dragOver;
  desk().dragX = x;
  desk().dragY = y;
  if (!over) return;
  desk().dragOver = nullptr;
  Fire(over->DragOver, *desk().dragSource, x - over->Left(), y - over->Top(),
       kDragLeave);
}

// The form's first reachable command button with the given role.
HCommand* ButtonWithRole(HForm& form, bool cancel) {
  for (const auto& c : form.Controls()) {
    auto* b = dynamic_cast<HCommand*>(c.get());
    if (b && (cancel ? b->args.isCancel : b->args.isDefault) && Reachable(*b))
      return b;
  }
  return nullptr;
}

template <class T>
const T& As(const Control& c) {
  return dynamic_cast<const T&>(c);
}

}  // namespace platform::headless::detail

namespace platform {

std::unique_ptr<Form> CreateForm(const FormArgs& args) {
  return std::make_unique<headless::detail::HForm>(args);
}

// Tests fire every event themselves; there is nothing to wait for.
int RunMessageLoop() { return 0; }

namespace headless {

using namespace detail;

std::vector<Form*> LiveForms() {
  std::vector<Form*> live;
  for (HForm* f : desk().forms)
    if (!f->closed_) live.push_back(f);
  return live;
}

Form* FindForm(const std::wstring& caption) {
  for (Form* f : LiveForms())
    if (f->Caption() == caption) return f;
  return nullptr;
}

CommandButton* FindCommandButton(Form& form, const std::wstring& caption) {
  for (const auto& c : FormOf(form).Controls()) {
    auto* b = dynamic_cast<HCommand*>(c.get());
    if (b && b->args.caption == caption) return b;
  }
  return nullptr;
}

Form* ActiveForm() { return Active(); }

const FormArgs& ArgsOf(const Form& form) { return FormOf(form).args_; }
bool IsModal(const Form& form) { return FormOf(form).modal_; }
bool ModalFormOpen() {
  for (const HForm* f : desk().forms)
    if (f->modal_ && !f->closed_) return true;
  return false;
}
Form* OwnerOf(const Form& form) { return FormOf(form).owner_; }
bool IsClosed(const Form& form) { return FormOf(form).closed_; }
int UnloadCount(const Form& form) { return FormOf(form).unloads_; }
FontSpec FontOf(const Control& c) { return CoreOf(c).font; }
Picture PictureOf(const Control& c) {
  if (auto* i = dynamic_cast<const HImage*>(&c)) return i->picture;
  return As<HPicture>(c).picture;
}
Align AlignmentOf(const Control& c) {
  if (auto* l = dynamic_cast<const HLabel*>(&c)) return l->args.alignment;
  return As<HTextBox>(c).args.alignment;
}
const LabelArgs& LabelArgsOf(const Label& l) { return As<HLabel>(l).args; }
const TextBoxArgs& TextBoxArgsOf(const TextBox& t) {
  return As<HTextBox>(t).args;
}
const CheckBoxArgs& CheckBoxArgsOf(const CheckBox& c) {
  return As<HCheckBox>(c).args;
}
const CommandButtonArgs& CommandButtonArgsOf(const CommandButton& b) {
  return As<HCommand>(b).args;
}
Container& ContainerOf(const Control& c) { return *CoreOf(c).container; }
float FormLeft(const Control& c) { return AbsLeft(CoreOf(c)); }
float FormTop(const Control& c) { return AbsTop(CoreOf(c)); }

// A control the user can reach with the mouse or the keyboard.
bool Reachable(const Control& c) {
  return ControlOpen(CoreOf(c)) && TakesInput(Owner(c));
}
Control* FocusedControl(const Form& form) { return FormOf(form).focused_; }
const std::vector<EditRefusal>& Notices(const TextBox& box) {
  return As<HTextBox>(box).notices;
}

void QueueModalScript(std::function<void(Form& dialog)> script) {
  desk().modalScripts.push_back(std::move(script));
}

int UnusedModalScripts() {
  return static_cast<int>(desk().modalScripts.size());
}

void ResetForms() {
  desk().modalScripts.clear();
  desk().activation.clear();
  EndDrag();
}

}  // namespace headless
}  // namespace platform
