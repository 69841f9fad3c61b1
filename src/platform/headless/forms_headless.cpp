// Headless forms and controls: plain objects that keep every property and
// fire the events the window system would, synchronously, when a test plays
// the user (headless_forms.h).
#include <algorithm>
#include <deque>
#include <memory>

#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "platform/platform.h"
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

class HForm;

// What every headless control keeps besides its kind's own properties.
class Core {
 public:
  virtual ~Core() = default;
  HForm* owner = nullptr;
  float left = 0, top = 0, width = 0, height = 0;
  bool visible = true, enabled = true, tabStop = true;
  int tabIndex = 0;
  std::wstring toolTip;
  WindowHandle handle = NewHandle();
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

class HForm final : public Form {
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
  bool Visible() const override { return visible_; }
  WindowHandle hWnd() const override { return handle_; }

  void Show() override;
  void ShowModal() override;
  void Close() override;

  ToggleButton& AddToggleButton(const ToggleButtonArgs& args) override;
  PictureButton& AddPictureButton(const PictureButtonArgs& args) override;
  CommandButton& AddCommandButton(const CommandButtonArgs& args) override;
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

  const std::vector<std::unique_ptr<Core>>& Controls() const {
    return controls_;
  }

  const FormArgs args_;
  bool modal_ = false;
  bool closed_ = false;
  int unloads_ = 0;
  Control* focused_ = nullptr;

 private:
  void Appear();
  template <class T>
  T& Keep(std::unique_ptr<T> control);

  float left_, top_, width_, height_;
  const float frameW_, frameH_;
  bool visible_ = false;
  WindowHandle handle_ = NewHandle();
  std::vector<std::unique_ptr<Core>> controls_;
  std::vector<std::unique_ptr<Timer>> timers_;
};

HForm& Owner(const Control& c) { return *CoreOf(c).owner; }

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
  Forget(desk().forms, this);
  Forget(desk().activation, this);
  for (Control* c : {desk().dragSource, desk().dragOver})
    if (c && &Owner(*c) == this) EndDrag();
}

void HForm::Appear() {
  if (args_.centerOnScreen) {
    left_ = (headless::kScreenWidth - width_) / 2;
    top_ = (headless::kScreenHeight - height_) / 2;
  }
  visible_ = true;
  Fire(Resize);
  MakeActive(*this);
}

void HForm::Show() {
  if (!closed_) Appear();
}

void HForm::ShowModal() {
  if (closed_) return;
  modal_ = true;
  Appear();
  auto& scripts = desk().modalScripts;
  if (!scripts.empty()) {
    auto script = std::move(scripts.front());
    scripts.pop_front();
    script(*this);
  }
  Close();
}

void HForm::Close() {
  if (closed_) return;
  closed_ = true;
  ++unloads_;
  Fire(Unload);
  visible_ = false;
  HandBack(*this);
}

// ---- controls
// ------------------------------------------------------------------

template <class Base>
class HControl : public Base, public Core {
 public:
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
  void SetTabIndex(int i) override { tabIndex = i; }
  std::wstring ToolTipText() const override { return toolTip; }
  void SetToolTipText(const std::wstring& t) override { toolTip = t; }
  WindowHandle hWnd() const override { return handle; }
  // The window system refuses the focus to a hidden or disabled window.
  void SetFocus() override {
    if (!visible || !enabled) vb::Raise(vb::kInvalidCall);
    owner->focused_ = this;
  }

  void Place(HForm& form, float l, float t, float w, float h) {
    owner = &form;
    left = l;
    top = t;
    width = w;
    height = h;
  }
};

class HToggle final : public HControl<ToggleButton> {
 public:
  std::wstring Caption() const override { return caption; }
  void SetCaption(const std::wstring& c) override { caption = c; }
  int Value() const override { return value; }
  void SetValue(int v) override { value = v; }
  DragMode GetDragMode() const override { return dragMode; }
  void SetDragMode(DragMode m) override { dragMode = m; }

  std::wstring caption;
  int value = 0;
  DragMode dragMode = DragMode::Manual;
  FontSpec font;
};

class HPicture final : public HControl<PictureButton> {
 public:
  Picture picture = Picture::Settings;
};

class HCommand final : public HControl<CommandButton> {
 public:
  std::wstring Caption() const override { return caption; }
  void SetCaption(const std::wstring& c) override { caption = c; }
  std::wstring caption;
};

class HTimer final : public Timer {
 public:
  explicit HTimer(HForm& form) : owner(form) {}
  int Interval() const override { return interval; }
  void SetInterval(int ms) override { interval = ms; }
  HForm& owner;
  int interval = 0;
};

template <class T>
T& HForm::Keep(std::unique_ptr<T> control) {
  T& kept = *control;
  controls_.push_back(std::move(control));
  return kept;
}

ToggleButton& HForm::AddToggleButton(const ToggleButtonArgs& args) {
  auto b = std::make_unique<HToggle>();
  b->Place(*this, args.left, args.top, args.width, args.height);
  b->caption = args.caption;
  b->visible = args.visible;
  b->enabled = args.enabled;
  b->font = args.font;
  return Keep(std::move(b));
}

PictureButton& HForm::AddPictureButton(const PictureButtonArgs& args) {
  auto b = std::make_unique<HPicture>();
  b->Place(*this, args.left, args.top, args.width, args.height);
  b->picture = args.picture;
  b->toolTip = args.toolTip;
  b->tabIndex = args.tabIndex;
  return Keep(std::move(b));
}

CommandButton& HForm::AddCommandButton(const CommandButtonArgs& args) {
  auto b = std::make_unique<HCommand>();
  b->Place(*this, args.left, args.top, args.width, args.height);
  b->caption = args.caption;
  b->tabIndex = args.tabIndex;
  return Keep(std::move(b));
}

Timer& HForm::AddTimer() {
  timers_.push_back(std::make_unique<HTimer>(*this));
  return *timers_.back();
}

HForm& FormOf(const Form& f) {
  return dynamic_cast<HForm&>(const_cast<Form&>(f));
}

// A control the user can reach with the mouse or the keyboard.
bool Reachable(const Control& c) {
  return c.Visible() && c.Enabled() && TakesInput(Owner(c));
}

// A mouse press on a control activates its form and focuses the control.
void Click(Control& c) {
  MakeActive(Owner(c));
  Owner(c).focused_ = &c;
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
    if (b && b->caption == caption) return b;
  }
  return nullptr;
}

Form* ActiveForm() { return Active(); }

const FormArgs& ArgsOf(const Form& form) { return FormOf(form).args_; }
bool IsModal(const Form& form) { return FormOf(form).modal_; }
bool IsClosed(const Form& form) { return FormOf(form).closed_; }
int UnloadCount(const Form& form) { return FormOf(form).unloads_; }
FontSpec FontOf(const ToggleButton& b) {
  return dynamic_cast<const HToggle&>(b).font;
}
Picture PictureOf(const PictureButton& b) {
  return dynamic_cast<const HPicture&>(b).picture;
}
Control* FocusedControl(const Form& form) { return FormOf(form).focused_; }

void QueueModalScript(std::function<void(Form& dialog)> script) {
  desk().modalScripts.push_back(std::move(script));
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
  FormOf(form).SetSize(width, height);
}

void Activate(Form& form) {
  if (!FormOf(form).closed_) MakeActive(FormOf(form));
}

void Tick(Timer& timer) {
  auto& t = dynamic_cast<HTimer&>(timer);
  if (t.interval > 0 && !t.owner.closed_) Fire(t.Tick);
}

}  // namespace headless
}  // namespace platform
