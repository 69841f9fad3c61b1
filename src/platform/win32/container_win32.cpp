// Containers: the stacking of their children's windows, the host windows of
// frames and tab pages, and what a container draws beneath its children
// (frame outlines, shapes, images).
#include "platform/win32/controls_win32.h"
// The visual styles need the declarations of <windows.h> first.
#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>

#include "resource.h"
#include "runtime/vb.h"

namespace platform::win32 {
namespace {

constexpr wchar_t kPaneClass[] = L"PinrowPane";

LRESULT CALLBACK PaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    LRESULT result = 0;
    if (Reflect(msg, wp, lp, result)) return result;
    auto* container = ObjectOf<Win32Container>(hwnd);
    switch (msg) {
      case WM_ERASEBKGND: {
        RECT r{};
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r,
                 GetSysColorBrush(COLOR_BTNFACE));
        return 1;
      }
      case WM_PAINT:
        if (container) {
          PaintContainer(*container, hwnd);
          return 0;
        }
        break;
      case WM_PRINTCLIENT: {  // themed controls draw their parent beneath
        RECT r{};
        GetClientRect(hwnd, &r);
        HDC dc = reinterpret_cast<HDC>(wp);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        if (container) {
          container->PaintBackground(dc, r);
          container->PaintWindowless(dc);
        }
        return 0;
      }
      case WM_NCDESTROY:
        UnbindWindow(hwnd);
        break;
    }
  } catch (...) {
    ReportStray("a pane's window procedure");
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterPaneClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PaneProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPaneClass;
  RegisterClassExW(&wc);
  done = true;
}

// The visual-style calls, from uxtheme.dll loaded when a frame is first
// drawn: the bar needs none of it to start.
struct ThemeCalls {
  decltype(&OpenThemeData) open = nullptr;
  decltype(&DrawThemeBackground) draw = nullptr;
  decltype(&CloseThemeData) close = nullptr;
};

const ThemeCalls& Themes() {
  static const ThemeCalls calls = [] {
    ThemeCalls c;
    if (HMODULE dll = LoadLibraryExW(L"uxtheme.dll", nullptr,
                                     LOAD_LIBRARY_SEARCH_SYSTEM32)) {
      auto get = [dll](const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(dll, name));
      };
      c.open = reinterpret_cast<decltype(c.open)>(get("OpenThemeData"));
      c.draw = reinterpret_cast<decltype(c.draw)>(get("DrawThemeBackground"));
      c.close = reinterpret_cast<decltype(c.close)>(get("CloseThemeData"));
    }
    return c;
  }();
  return calls;
}

// An etched rectangle as group boxes have, with a caption over its top
// edge; in the visual style when one is active.
void DrawGroupOutline(HWND hwnd, HDC dc, RECT r, const std::wstring& caption,
                      HFONT font, bool enabled) {
  Selected keepFont(dc, font);
  SIZE text{};
  if (!caption.empty())
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()),
                          &text);
  RECT box = r;
  if (!caption.empty()) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    box.top += tm.tmHeight / 2;
  }
  const ThemeCalls& themes = Themes();
  HTHEME theme = themes.open && themes.draw && themes.close
                     ? themes.open(hwnd, L"BUTTON")
                     : nullptr;
  if (theme) {
    themes.draw(theme, dc, BP_GROUPBOX, enabled ? GBS_NORMAL : GBS_DISABLED,
                &box, nullptr);
    themes.close(theme);
  } else {
    DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
  }
  if (caption.empty()) return;
  const int indent = MulDiv(8, static_cast<int>(DpiOf(hwnd)), 96);
  const int pad = MulDiv(2, static_cast<int>(DpiOf(hwnd)), 96);
  RECT label{r.left + indent - pad, r.top, r.left + indent + text.cx + pad,
             r.top + text.cy};
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  ExtTextOutW(dc, label.left + pad, label.top, ETO_OPAQUE, &label,
              caption.c_str(), static_cast<UINT>(caption.size()), nullptr);
}

}  // namespace

// ---- Win32Container ---------------------------------------------------------

// Last-added first: each new window lies below those made before it, so
// the later-added ones end up on top without a single restacking call
// (each costs milliseconds under Wine).
void Win32Container::RealizeChildren() {
  for (auto c = children_.rbegin(); c != children_.rend(); ++c)
    if ((*c)->visible() && !(*c)->windowless() && !(*c)->hwnd())
      (*c)->EnsureWindow();
}

void Win32Container::PlaceChildren() {
  for (ChildWindow* c : children_) c->PlaceAgain();
}

void Win32Container::PaintWindowless(HDC dc) {
  for (ChildWindow* c : children_)
    if (c->windowless() && c->visible()) c->PaintWindowless(dc, c->HostRect());
}

// A new window lies at the bottom of its siblings. Only where it overlaps
// others does its place show: it goes above the earlier ones it overlaps
// and below the later ones, that is directly below the earliest later one
// it overlaps, or on top. Windows that overlap nothing cost no call.
void Win32Container::Stack(Stacked& s) {
  stacked_.push_back(&s);
  const RECT area = s.StackRect();
  bool overlapsEarlier = false;
  Stacked* above = nullptr;
  for (Stacked* o : stacked_) {
    if (o == &s || !o->StackWindow() || o->StackKey() == s.StackKey()) continue;
    RECT other = o->StackRect(), both{};
    if (!IntersectRect(&both, &area, &other)) continue;
    if (o->StackKey() < s.StackKey())
      overlapsEarlier = true;
    else if (!above || o->StackKey() < above->StackKey())
      above = o;
  }
  if (!overlapsEarlier) return;
  ::SetWindowPos(s.StackWindow(), above ? above->StackWindow() : HWND_TOP, 0, 0,
                 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Container::Unstack(Stacked& s) {
  stacked_.erase(std::remove(stacked_.begin(), stacked_.end(), &s),
                 stacked_.end());
}

HWND CreatePane(WindowObject& page, HWND parent, const RECT& r, bool visible) {
  RegisterPaneClass();
  HWND pane = CreateWindowExW(
      WS_EX_CONTROLPARENT, kPaneClass, L"",
      WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0),
      r.left, r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
      GetModuleHandleW(nullptr), nullptr);
  if (!pane) vb::Raise(vb::kOutOfMemory);
  BindWindow(pane, page);
  return pane;
}

void PaintContainer(Win32Container& container, HWND hwnd) {
  Painting paint(hwnd);
  RECT client{};
  GetClientRect(hwnd, &client);
  container.PaintBackground(paint.dc(), client);
  container.PaintWindowless(paint.dc());
}

// ---- Frame
// -------------------------------------------------------------------

namespace {

// A captioned group box holding controls. Its window is the host of its
// children and draws the outline itself, beneath them.
class Win32Frame final : public AddsControls<ControlOf<Frame>>,
                         public Win32Container {
 public:
  Win32Frame(Win32Container& parent, const FrameArgs& args)
      : AddsControls(parent, args), Win32Container(parent.form()) {
    Init(kPaneClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, args.caption);
    RegisterPaneClass();
  }

  std::wstring Caption() const override { return text(); }

  float OriginLeft() const override { return AbsLeft(); }
  float OriginTop() const override { return AbsTop(); }
  HWND Host() override { return EnsureWindow(); }
  POINT HostOrigin() const override {
    PixelRect p = FormPixels();
    return {p.x, p.y};
  }
  bool Realized() const override {
    return hwnd() && (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE) &&
           parent().Realized();
  }
  void PaintBackground(HDC dc, const RECT& client) override {
    DrawGroupOutline(hwnd(), dc, client, text(), Font(), enabled());
  }

 protected:
  Win32Container& Self() override { return *this; }
  void ApplyState() override { RealizeChildren(); }
  void OnShown(bool shown) override {
    if (shown) RealizeChildren();
  }
  void OnPlaced() override { PlaceChildren(); }
};

// A rectangle drawn on the container's background.
class Win32Shape final : public ControlOf<Shape> {
 public:
  Win32Shape(Win32Container& parent, const ShapeArgs& args)
      : ControlOf(parent, args) {
    Init(nullptr, 0, 0, L"");
  }
  void PaintWindowless(HDC dc, const RECT& r) override {
    DrawGroupOutline(parent().Host(), dc, r, L"", Font(), true);
  }
};

// A picture from the program's resources, drawn at the control's size.
class Win32Image final : public ControlOf<Image> {
 public:
  Win32Image(Win32Container& parent, const ImageArgs& args)
      : ControlOf(parent, args), resource_(ResourceOf(args.picture)) {
    Init(nullptr, 0, 0, L"");
  }
  void PaintWindowless(HDC dc, const RECT& r) override {
    const int size = std::min(r.right - r.left, r.bottom - r.top);
    if (size <= 0) return;
    if (!icon_ || iconSize_ != size) {
      icon_.Reset(static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource_),
                     IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
      iconSize_ = size;
    }
    DrawIconEx(dc, r.left, r.top, icon_.get(), size, size, 0, nullptr,
               DI_NORMAL);
  }

 private:
  int resource_;
  IconHandle icon_;
  int iconSize_ = 0;
};

}  // namespace

Frame& MakeFrame(Win32Container& c, const FrameArgs& a) {
  return Install<Win32Frame>(c, a);
}

Shape& MakeShape(Win32Container& c, const ShapeArgs& a) {
  return Install<Win32Shape>(c, a);
}

Image& MakeImage(Win32Container& c, const ImageArgs& a) {
  return Install<Win32Image>(c, a);
}

}  // namespace platform::win32
