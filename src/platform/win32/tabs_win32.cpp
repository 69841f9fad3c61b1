// The tab control and its pages. Each page is a host window of its own,
// lying over the tab control's display area above it, so the tab control
// never paints over the page's controls nor takes their clicks. A page's
// coordinates start at the tab control's corner, and its window (with its
// controls' windows) is made when the page is first shown.
#include <memory>
#include <optional>
#include <vector>

#include "platform/win32/controls_win32.h"
#include "runtime/vb.h"

namespace platform::win32 {
namespace {

class Win32TabControl;

class Win32Page final : public AddsControls<Container>,
                        public Win32Container,
                        public Stacked,
                        public WindowObject {
 public:
  explicit Win32Page(Win32TabControl& tabs);
  ~Win32Page() override;

  float OriginLeft() const override;
  float OriginTop() const override;
  HWND Host() override;
  POINT HostOrigin() const override;
  bool Realized() const override {
    return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE);
  }
  HWND StackWindow() const override { return hwnd_; }
  double StackKey() const override;
  RECT StackRect() const override;

  void SetShown(bool shown);
  void Place();
  HWND hwnd() const { return hwnd_; }

 protected:
  Win32Container& Self() override { return *this; }

 private:
  RECT RectInHost() const;

  Win32TabControl& tabs_;
  HWND hwnd_ = nullptr;
};

class Win32TabControl final : public ControlOf<TabControl> {
 public:
  Win32TabControl(Win32Container& parent, const TabControlArgs& args)
      : ControlOf(parent, args), captions_(args.captions) {
    Init(WC_TABCONTROLW, 0, 0, L"");
    for (std::size_t i = 0; i < captions_.size(); ++i)
      pages_.push_back(std::make_unique<Win32Page>(*this));
  }

  int Tabs() const override { return static_cast<int>(pages_.size()); }
  Container& Page(int index) override {
    if (index < 0 || index >= Tabs()) vb::Raise(vb::kSubscript);
    return *pages_[static_cast<std::size_t>(index)];
  }
  int Tab() const override { return tab_; }
  void SetTab(int index) override {
    if (index < 0 || index >= Tabs()) vb::Raise(vb::kInvalidPropertyValue);
    tab_ = index;
    if (hwnd()) TabCtrl_SetCurSel(hwnd(), index);
    ShowPages();
  }

  // The display area (below the tabs) in the form's client area, pixels.
  // Every control on a page asks for it to place itself: it is worked out
  // once for the tab control's place, font and tabs.
  RECT PageRectInForm() const {
    if (pageRect_) return *pageRect_;
    PixelRect p = FormPixels();
    RECT r{p.x, p.y, p.x + p.cx, p.y + p.cy};
    if (!hwnd()) return r;
    TabCtrl_AdjustRect(hwnd(), FALSE, &r);
    pageRect_ = r;
    return r;
  }

  bool OnReflect(UINT msg, WPARAM, LPARAM lp, LRESULT& result) override {
    if (msg != WM_NOTIFY) return false;
    if (reinterpret_cast<NMHDR*>(lp)->code != TCN_SELCHANGE) return false;
    tab_ = TabCtrl_GetCurSel(hwnd());
    ShowPages();
    result = 0;
    return true;
  }

 protected:
  void ApplyState() override {
    for (std::size_t i = 0; i < captions_.size(); ++i) {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<wchar_t*>(captions_[i].c_str());
      TabCtrl_InsertItem(hwnd(), static_cast<int>(i), &item);
    }
    pageRect_.reset();
    TabCtrl_SetCurSel(hwnd(), tab_);
    ShowPages();
  }
  void ApplyLook() override {
    ChildWindow::ApplyLook();
    pageRect_.reset();  // the tabs' height follows the font
  }
  void OnPlaced() override {
    pageRect_.reset();
    for (auto& p : pages_) p->Place();
  }
  void OnShown(bool) override { ShowPages(); }

 private:
  // Shows the current page (while the tab control shows) and hides the
  // others. The focus does not stay on a page that goes.
  void ShowPages() {
    const bool on =
        hwnd() && (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    HWND focus = GetFocus();
    bool focusLeaves = false;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
      Win32Page& page = *pages_[i];
      const bool shown = on && static_cast<int>(i) == tab_;
      if (!shown && page.hwnd() && focus && IsChild(page.hwnd(), focus))
        focusLeaves = true;
      if (shown) page.SetShown(true);
    }
    for (std::size_t i = 0; i < pages_.size(); ++i)
      if (!(on && static_cast<int>(i) == tab_)) pages_[i]->SetShown(false);
    if (focusLeaves && hwnd()) ::SetFocus(hwnd());
  }

  std::vector<std::wstring> captions_;
  std::vector<std::unique_ptr<Win32Page>> pages_;
  int tab_ = 0;
  mutable std::optional<RECT> pageRect_;
};

Win32Page::Win32Page(Win32TabControl& tabs)
    : Win32Container(tabs.form()), tabs_(tabs) {}

Win32Page::~Win32Page() {
  if (hwnd_) tabs_.parent().Unstack(*this);
}

float Win32Page::OriginLeft() const { return tabs_.AbsLeft(); }
float Win32Page::OriginTop() const { return tabs_.AbsTop(); }
double Win32Page::StackKey() const { return tabs_.sequence() + 0.5; }
RECT Win32Page::StackRect() const { return tabs_.PageRectInForm(); }

POINT Win32Page::HostOrigin() const {
  RECT r = tabs_.PageRectInForm();
  return {r.left, r.top};
}

RECT Win32Page::RectInHost() const {
  RECT r = tabs_.PageRectInForm();
  POINT o = tabs_.parent().HostOrigin();
  OffsetRect(&r, -o.x, -o.y);
  return r;
}

HWND Win32Page::Host() {
  if (!hwnd_) {
    hwnd_ = CreatePane(*this, tabs_.parent().Host(), RectInHost(), false);
    tabs_.parent().Stack(*this);
  }
  return hwnd_;
}

void Win32Page::SetShown(bool shown) {
  if (!shown) {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  Host();
  ShowWindow(hwnd_, SW_SHOWNA);
  RealizeChildren();
}

void Win32Page::Place() {
  if (!hwnd_) return;
  RECT r = RectInHost();
  ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceChildren();
}

}  // namespace

TabControl& MakeTabControl(Win32Container& c, const TabControlArgs& a) {
  return Install<Win32TabControl>(c, a);
}

}  // namespace platform::win32
