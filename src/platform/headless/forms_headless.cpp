// Headless forms and controls: plain objects that keep every property and
// fire the events the window system would, synchronously, when a test plays
// the user (headless_forms.h). They keep the event contract of forms.h.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>

#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "platform/platform.h"
#include "platform/text_edit.h"
#include "runtime/vb.h"

namespace platform {
namespace {

using headless::kFrameHeight;
using headless::kFrameWidth;
using headless::kMinOuterHeight;
using headless::kMinOuterWidth;
using headless::kToolFrameHeight;
using headless::kToolFrameWidth;

template <class Event, class... Args>
void Fire(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

WindowHandle NewHandle() {
  static WindowHandle next = 0x10000;
  next += 4;
  headless::AddOwnWindow(next);
  return next;
}

void RequireProperty(bool ok) {
  if (!ok) vb::Raise(vb::kInvalidPropertyValue);
}

class HForm;
struct Core;

// Where a container sits: the form itself (no holder), a frame, or page
// `page` of a tab control (the holder).
struct Place {
  HForm* form = nullptr;
  Core* holder = nullptr;
  int page = -1;
};

// What every headless control keeps besides its kind's own properties.
struct Core {
  virtual ~Core() { headless::ForgetOwnWindow(handle); }
  virtual Control& AsControl() = 0;
  HForm* owner = nullptr;
  Place in;  // the container it was added to
  Container* container = nullptr;
  int sequence = 0;  // order of adding on the form
  float left = 0, top = 0, width = 0, height = 0;
  bool visible = true, enabled = true, tabStop = true;
  int tabIndex = 0;
  std::wstring toolTip;
  FontSpec font;
  WindowHandle handle = NewHandle();
  int wheelRest = 0;  // a wheel turn short of a whole notch
};

Core& CoreOf(const Control& c) {
  return dynamic_cast<Core&>(const_cast<Control&>(c));
}

// The window-system side of the program's forms.
struct Desktop {
  std::vector<HForm*> forms;       // created, not destroyed
  std::vector<HForm*> activation;  // activation history, active form last
  std::deque<std::function<void(Form&)>> modalScripts;
  Control* dragSource = nullptr;
  Control* dragOver = nullptr;
  float dragX = 0, dragY = 0;  // last pointer position, client twips
};
Desktop& desk() {
  static Desktop d;
  return d;
}

// ---- text measurement (autosized labels and check boxes) ------------------

float EmOf(const FontSpec& f) { return f.points * 20; }

float TextWidth(const std::wstring& text, const FontSpec& f) {
  float units = 0;
  for (wchar_t c : text) units += c < 0x80 ? 0.55f : 1.0f;
  return units * EmOf(f);
}

float LineHeight(const FontSpec& f) { return EmOf(f) * 1.25f; }

// ---- adding controls -------------------------------------------------------

class HTabControl;

// The control kinds, each a plain object behind its interface.
template <class Base>
class HControl : public Base, public Core {
 public:
  Control& AsControl() override { return *this; }
  float Left() const override { return left; }
  float Top() const override { return top; }
  float Width() const override { return width; }
  float Height() const override { return height; }
  void SetLeft(float twips) override { left = twips; }
  void SetTop(float twips) override { top = twips; }
  void SetWidth(float twips) override { width = std::max(0.0f, twips); }
  void SetHeight(float twips) override { height = std::max(0.0f, twips); }
  bool Visible() const override { return visible; }
  void SetVisible(bool v) override { visible = v; }
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool v) override { enabled = v; }
  bool TabStop() const override { return tabStop; }
  void SetTabStop(bool v) override { tabStop = v; }
  int TabIndex() const override { return tabIndex; }
  void SetTabIndex(int i) override {
    if (i < 0) vb::Raise(vb::kInvalidPropertyValue);
    tabIndex = i;
  }
  std::wstring ToolTipText() const override { return toolTip; }
  void SetToolTipText(const std::wstring& t) override { toolTip = t; }
  WindowHandle hWnd() const override { return handle; }
  void SetFocus() override;
};

// Adds controls to a container; the form, frames and tab pages share it.
template <class Base>
class WithControls : public Base {
 public:
  ToggleButton& AddToggleButton(const ToggleButtonArgs& args) override;
  PictureButton& AddPictureButton(const PictureButtonArgs& args) override;
  CommandButton& AddCommandButton(const CommandButtonArgs& args) override;
  Label& AddLabel(const LabelArgs& args) override;
  TextBox& AddTextBox(const TextBoxArgs& args) override;
  VScrollBar& AddVScrollBar(const VScrollBarArgs& args) override;
  DropDownList& AddDropDownList(const DropDownListArgs& args) override;
  CheckBox& AddCheckBox(const CheckBoxArgs& args) override;
  Frame& AddFrame(const FrameArgs& args) override;
  Shape& AddShape(const ShapeArgs& args) override;
  Image& AddImage(const ImageArgs& args) override;
  TabControl& AddTabControl(const TabControlArgs& args) override;

 protected:
  virtual Place Where() = 0;

 private:
  template <class T, class Args>
  T& Add(const Args& args);
};

class HForm final : public WithControls<Form> {
 public:
  explicit HForm(const FormArgs& args)
      : args_(args),
        left_(args.left),
        top_(args.top),
        width_(std::max(args.width, kMinOuterWidth)),
        height_(std::max(args.height, kMinOuterHeight)),
        frameW_(args.toolWindow ? kToolFrameWidth : kFrameWidth),
        frameH_(args.toolWindow ? kToolFrameHeight : kFrameHeight) {
    desk().forms.push_back(this);
  }
  ~HForm() override;

  std::wstring Caption() const override { return args_.caption; }
  float Left() const override { return left_; }
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetLeft(float twips) override { left_ = twips; }
  void SetTop(float twips) override { top_ = twips; }
  void SetWidth(float twips) override { SetSize(twips, height_); }
  void SetHeight(float twips) override { SetSize(width_, twips); }
  float ScaleWidth() const override { return std::max(0.0f, width_ - frameW_); }
  float ScaleHeight() const override {
    return std::max(0.0f, height_ - frameH_);
  }
  ScreenArea WorkArea() const override {
    return {0, 0, headless::kScreenWidth, headless::kWorkAreaHeight};
  }
  bool Visible() const override { return visible_; }
  WindowHandle hWnd() const override { return handle_; }

  void Show() override;
  void ShowModal(Form* owner) override;
  void Close() override;
  Timer& AddTimer() override;

  // One move to a new outer size; Resize fires when the size changed.
  void SetSize(float width, float height) {
    width = std::max(width, kMinOuterWidth);
    height = std::max(height, kMinOuterHeight);
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    Fire(Resize);
  }

  // Takes over a new control and gives it its place in the tab order.
  template <class T>
  T& Keep(std::unique_ptr<T> control) {
    T& kept = *control;
    kept.sequence = static_cast<int>(controls_.size());
    controls_.push_back(std::move(control));
    return kept;
  }

  const std::vector<std::unique_ptr<Core>>& Controls() const {
    return controls_;
  }

  const FormArgs args_;
  bool modal_ = false;
  bool closed_ = false;
  int unloads_ = 0;
  Form* owner_ = nullptr;
  Control* focused_ = nullptr;
  // The user came back from another program while a modal form was open:
  // AppActivate fires once that has closed.
  bool appActivatePending_ = false;

 protected:
  Place Where() override { return {this, nullptr, -1}; }

 private:
  void Appear();
  void KeepOnScreen();

  float left_, top_, width_, height_;
  const float frameW_, frameH_;
  bool visible_ = false;
  WindowHandle handle_ = NewHandle();
  std::vector<std::unique_ptr<Core>> controls_;
  std::vector<std::unique_ptr<Timer>> timers_;
};

HForm& Owner(const Control& c) { return *CoreOf(c).owner; }

// ---- the control kinds -----------------------------------------------------

class HToggle final : public HControl<ToggleButton> {
 public:
  std::wstring Caption() const override { return caption; }
  void SetCaption(const std::wstring& c) override { caption = c; }
  int Value() const override { return value; }
  void SetValue(int v) override {
    RequireProperty(v == 0 || v == 1);
    value = v;
  }
  DragMode GetDragMode() const override { return dragMode; }
  void SetDragMode(DragMode m) override { dragMode = m; }

  std::wstring caption;
  int value = 0;
  DragMode dragMode = DragMode::Manual;
};

class HPicture final : public HControl<PictureButton> {
 public:
  Picture picture = Picture::Settings;
};

class HCommand final : public HControl<CommandButton> {
 public:
  std::wstring Caption() const override { return args.caption; }
  void SetCaption(const std::wstring& c) override { args.caption = c; }
  CommandButtonArgs args;
};

class HLabel final : public HControl<Label> {
 public:
  std::wstring Caption() const override { return args.caption; }
  void SetCaption(const std::wstring& c) override {
    args.caption = c;
    AutoSize();
  }
  // A width or height of 0 follows the caption; a caption wider than
  // maxWidth shrinks its font as the Win32 label does (by half points here).
  void AutoSize() {
    font = own;
    while (args.width == 0 && args.maxWidth > 0 &&
           TextWidth(args.caption, font) > args.maxWidth &&
           (font.points - 0.5f) * 4 >= own.points * 3)
      font.points -= 0.5f;
    if (args.width == 0) width = TextWidth(args.caption, font);
    if (args.height == 0) height = LineHeight(own);
  }
  LabelArgs args;
  FontSpec own;  // the label's font before any shrinking to fit
};

class HTextBox final : public HControl<TextBox> {
 public:
  std::wstring Text() const override { return args.text; }
  void SetText(const std::wstring& t) override { args.text = t; }
  bool Locked() const override { return args.locked; }
  void SetLocked(bool v) override { args.locked = v; }
  Color BackColor() const override { return args.backColor; }
  void SetBackColor(Color c) override { args.backColor = c; }
  Color ForeColor() const override { return args.foreColor; }
  void SetForeColor(Color c) override { args.foreColor = c; }
  TextBoxArgs args;
  std::vector<EditRefusal> notices;
};

class HScrollBar final : public HControl<VScrollBar> {
 public:
  int Min() const override { return min; }
  int Max() const override { return max; }
  void SetMin(int v) override {
    min = v;
    Clamp();
  }
  void SetMax(int v) override {
    max = v;
    Clamp();
  }
  int SmallChange() const override { return smallChange; }
  int LargeChange() const override { return largeChange; }
  void SetSmallChange(int v) override {
    RequireProperty(v >= 0);
    smallChange = v;
  }
  void SetLargeChange(int v) override {
    RequireProperty(v >= 0);
    largeChange = v;
  }
  int Value() const override { return value; }
  void SetValue(int v) override {
    RequireProperty(v >= Low() && v <= High());
    Move(v);
  }

  int Low() const { return std::min(min, max); }
  int High() const { return std::max(min, max); }
  // One step of `amount` towards the bottom end (Max) or the top end.
  void ClickArrows(int clicks) override {
    for (int i = 0; i < std::abs(clicks); ++i) Step(smallChange, clicks < 0);
  }
  void Step(int amount, bool towardsMax) {
    const int sign = (max >= min) == towardsMax ? 1 : -1;
    const long target = static_cast<long>(value) + sign * amount;
    Move(static_cast<int>(std::clamp<long>(target, Low(), High())));
  }
  void Move(int v) {
    if (v == value) return;
    value = v;
    Fire(Change);
  }
  void Clamp() { Move(std::clamp(value, Low(), High())); }

  int min = 0, max = 32767, smallChange = 1, largeChange = 1, value = 0;
};

class HDropDown final : public HControl<DropDownList> {
 public:
  void AddItem(const std::wstring& item) override { items.push_back(item); }
  int ListCount() const override { return static_cast<int>(items.size()); }
  std::wstring List(int index) const override {
    if (index < 0 || index >= ListCount()) return L"";
    return items[static_cast<std::size_t>(index)];
  }
  int ListIndex() const override { return index; }
  void SetListIndex(int i) override {
    RequireProperty(i >= -1 && i < ListCount());
    index = i;
  }
  std::wstring Text() const override { return List(index); }
  std::vector<std::wstring> items;
  int index = -1;
};

class HCheckBox final : public HControl<CheckBox> {
 public:
  std::wstring Caption() const override { return args.caption; }
  int Value() const override { return args.value; }
  void SetValue(int v) override {
    RequireProperty(v == 0 || v == 1);
    args.value = v;
  }
  CheckBoxArgs args;
};

// Shapes and images are drawn on their container and have no window.
class HShape final : public HControl<Shape> {
 public:
  WindowHandle hWnd() const override { return 0; }
};

class HImage final : public HControl<Image> {
 public:
  WindowHandle hWnd() const override { return 0; }
  Picture picture = Picture::AppIcon;
};

class HFrame final : public WithControls<HControl<Frame>> {
 public:
  std::wstring Caption() const override { return caption; }
  std::wstring caption;

 protected:
  Place Where() override { return {owner, this, -1}; }
};

class HPage final : public WithControls<Container> {
 public:
  HPage(HForm& form, Core& tabs, int index) : place_{&form, &tabs, index} {}

 protected:
  Place Where() override { return place_; }

 private:
  Place place_;
};

class HTabControl final : public HControl<TabControl> {
 public:
  int Tabs() const override { return static_cast<int>(pages.size()); }
  Container& Page(int index) override {
    if (index < 0 || index >= Tabs()) vb::Raise(vb::kSubscript);
    return *pages[static_cast<std::size_t>(index)];
  }
  int Tab() const override { return tab; }
  void SetTab(int index) override {
    RequireProperty(index >= 0 && index < Tabs());
    tab = index;
  }
  std::vector<std::unique_ptr<HPage>> pages;
  int tab = 0;
};

class HTimer final : public Timer {
 public:
  explicit HTimer(HForm& form) : owner(form) {}
  int Interval() const override { return interval; }
  void SetInterval(int ms) override { interval = std::max(0, ms); }
  HForm& owner;
  int interval = 0;
};

// ---- containers and reach
// ----------------------------------------------------

// Whether a container is shown and enabled: the form always is (as far as
// its controls go); a frame when it is, in its own container; a tab page
// when its tab control is and shows it.
bool ContainerOpen(const Place& p);

bool ControlOpen(const Core& c) {
  return c.visible && c.enabled && ContainerOpen(c.in);
}

bool ContainerOpen(const Place& p) {
  if (!p.holder) return true;
  if (!ControlOpen(*p.holder)) return false;
  if (p.page < 0) return true;
  return dynamic_cast<const HTabControl&>(*p.holder).tab == p.page;
}

float OriginLeft(const Place& p);
float OriginTop(const Place& p);

float AbsLeft(const Core& c) { return OriginLeft(c.in) + c.left; }
float AbsTop(const Core& c) { return OriginTop(c.in) + c.top; }
float OriginLeft(const Place& p) { return p.holder ? AbsLeft(*p.holder) : 0; }
float OriginTop(const Place& p) { return p.holder ? AbsTop(*p.holder) : 0; }

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
  s.min = a.min;
  s.max = a.max;
  s.smallChange = a.smallChange;
  s.largeChange = a.largeChange;
  s.value = std::clamp(a.value, s.Low(), s.High());
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

// ---- activation
// --------------------------------------------------------------

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

// The window system refuses the focus to a window that is hidden or
// disabled, itself or through a container.
template <class Base>
void HControl<Base>::SetFocus() {
  if (!ControlOpen(*this)) vb::Raise(vb::kInvalidCall);
  TakeFocus(*this);
}

// A control the user can reach with the mouse or the keyboard.
bool Reachable(const Control& c) {
  return ControlOpen(CoreOf(c)) && TakesInput(Owner(c));
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

}  // namespace

std::unique_ptr<Form> CreateForm(const FormArgs& args) {
  return std::make_unique<HForm>(args);
}

// Tests fire every event themselves; there is nothing to wait for.
int RunMessageLoop() { return 0; }

namespace headless {

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
bool Reachable(const Control& c) { return platform::Reachable(c); }
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
  s.Step(line ? s.smallChange : s.largeChange, down);
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
  s.Move(std::clamp(value, s.Low(), s.High()));
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

}  // namespace headless
}  // namespace platform
