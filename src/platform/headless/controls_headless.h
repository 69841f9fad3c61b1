// The headless backend's forms and controls inside: the control kinds, the
// state every control keeps, the desktop they share, and what reaches a
// control. forms_headless.cpp makes and runs them; user_actions_headless.cpp
// plays the user's actions on them. Not for the tests: they use
// headless_forms.h.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "platform/platform.h"
#include "platform/scroll_model.h"
#include "runtime/vb.h"

namespace platform::headless::detail {

template <class Event, class... Args>
inline void Fire(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

inline WindowHandle NewHandle() {
  static WindowHandle next = 0x10000;
  next += 4;
  headless::AddOwnWindow(next);
  return next;
}

inline void RequireProperty(bool ok) {
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

inline Core& CoreOf(const Control& c) {
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
inline Desktop& desk() {
  static Desktop d;
  return d;
}

// ---- text measurement (autosized labels and check boxes) ------------------

inline float EmOf(const FontSpec& f) { return f.points * 20; }

inline float TextWidth(const std::wstring& text, const FontSpec& f) {
  float units = 0;
  for (wchar_t c : text) units += c < 0x80 ? 0.55f : 1.0f;
  return units * EmOf(f);
}

inline float LineHeight(const FontSpec& f) { return EmOf(f) * 1.25f; }

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

inline HForm& Owner(const Control& c) { return *CoreOf(c).owner; }

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
  int Min() const override { return model.Min(); }
  int Max() const override { return model.Max(); }
  void SetMin(int v) override { Moved(model.SetMin(v)); }
  void SetMax(int v) override { Moved(model.SetMax(v)); }
  int SmallChange() const override { return model.SmallChange(); }
  int LargeChange() const override { return model.LargeChange(); }
  void SetSmallChange(int v) override { model.SetSmallChange(v); }
  void SetLargeChange(int v) override { model.SetLargeChange(v); }
  int Value() const override { return model.Value(); }
  void SetValue(int v) override { Moved(model.SetValue(v)); }
  void ClickArrows(int clicks) override {
    for (int i = 0; i < std::abs(clicks); ++i) Moved(model.Line(clicks < 0));
  }
  void Moved(bool moved) {
    if (moved) Fire(Change);
  }

  ScrollModel model;
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

// ---- containers and reach ------------------------------------------------

// Whether a container is shown and enabled: the form always is (as far as
// its controls go); a frame when it is, in its own container; a tab page
// when its tab control is and shows it.
inline bool ContainerOpen(const Place& p);

inline bool ControlOpen(const Core& c) {
  return c.visible && c.enabled && ContainerOpen(c.in);
}

inline bool ContainerOpen(const Place& p) {
  if (!p.holder) return true;
  if (!ControlOpen(*p.holder)) return false;
  if (p.page < 0) return true;
  return dynamic_cast<const HTabControl&>(*p.holder).tab == p.page;
}

inline float OriginLeft(const Place& p);
inline float OriginTop(const Place& p);

inline float AbsLeft(const Core& c) { return OriginLeft(c.in) + c.left; }
inline float AbsTop(const Core& c) { return OriginTop(c.in) + c.top; }
inline float OriginLeft(const Place& p) {
  return p.holder ? AbsLeft(*p.holder) : 0;
}
inline float OriginTop(const Place& p) {
  return p.holder ? AbsTop(*p.holder) : 0;
}

// ---- in forms_headless.cpp, for the user's actions too --------------------

HForm* Active();
// Makes f the app's active form and the foreground window; Activate fires
// only when the app's active form changes.
void MakeActive(HForm& f);
// While a modal form is open, the other forms take no input.
bool TakesInput(const HForm& f);
void EndDrag();
void FireAppActivate(HForm& f);
HForm& FormOf(const Form& f);
// Moves the form's focus to c; a text box that did not have it fires
// GotFocus.
void TakeFocus(Control& c);
// A mouse press on a control activates its form and focuses the control.
void Click(Control& c);
// The pointer leaves the control it was over; (x, y) in client twips.
void Leave(float x, float y);
// The form's first reachable command button with the given role.
HCommand* ButtonWithRole(HForm& form, bool cancel);

// The window system refuses the focus to a window that is hidden or
// disabled, itself or through a container.
template <class Base>
void HControl<Base>::SetFocus() {
  if (!ControlOpen(*this)) vb::Raise(vb::kInvalidCall);
  TakeFocus(*this);
}

}  // namespace platform::headless::detail
