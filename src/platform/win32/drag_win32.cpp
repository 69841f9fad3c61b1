// Manual drag and drop of a control: an outline follows the pointer,
// DragOver tells the controls of the form when the pointer enters, moves
// over and leaves them, and the release drops on what lies beneath.
#include "platform/win32/controls_win32.h"

namespace platform::win32 {
namespace {

// Fires DragOver on `target` with the pointer at `screen`.
void NotifyOver(ChildWindow& target, ChildWindow& source, POINT screen,
                int state) {
  POINT p = screen;
  ScreenToClient(target.hwnd(), &p);
  float x = 0, y = 0;
  target.PixelToTwips(p, x, y);
  Fire(target.AsControl().DragOver, source.AsControl(), x, y, state);
}

constexpr wchar_t kOutlineClass[] = L"PinrowDragOutline";
constexpr int kOutlineThickness = 3;

LRESULT CALLBACK OutlineProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // The outline never takes the pointer: hit tests see what lies beneath.
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// The checkered grey of the system's own drag rectangles.
HBRUSH HalftoneBrush() {
  static const WORD kPattern[8] = {0x55, 0xAA, 0x55, 0xAA,
                                   0x55, 0xAA, 0x55, 0xAA};
  HBITMAP bits = CreateBitmap(8, 8, 1, 1, kPattern);
  HBRUSH brush = CreatePatternBrush(bits);
  DeleteObject(bits);  // the brush keeps its own copy
  return brush;
}

// A borderless topmost popup cut down to a frame by its window region. As a
// window of its own it survives repaints of whatever lies beneath, which an
// outline drawn in XOR on the screen does not.
HWND CreateOutline(HWND owner) {
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = OutlineProc;
    wc.hInstance = instance;
    wc.hbrBackground = HalftoneBrush();
    wc.lpszClassName = kOutlineClass;
    RegisterClassW(&wc);
    registered = true;
  }
  return CreateWindowExW(
      WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
      kOutlineClass, L"", WS_POPUP, 0, 0, 0, 0, owner, nullptr, instance,
      nullptr);
}

void ShapeOutline(HWND outline, int width, int height) {
  HRGN frame = CreateRectRgn(0, 0, width, height);
  HRGN hole =
      CreateRectRgn(kOutlineThickness, kOutlineThickness,
                    width - kOutlineThickness, height - kOutlineThickness);
  CombineRgn(frame, frame, hole, RGN_DIFF);
  DeleteObject(hole);
  SetWindowRgn(outline, frame, TRUE);  // the window owns the region now
}

}  // namespace

void DragTracker::Start(ChildWindow& source, POINT grab) {
  if (Active()) Cancel();
  source_ = &source;
  grab_ = grab;
  over_ = {};
  form_.tips().Enable(false);
  SetCapture(form_.hwnd());
  POINT screen = grab;
  ClientToScreen(source.hwnd(), &screen);
  Move(screen);  // the pointer starts over the source: it is entered first
}

void DragTracker::Move(POINT screen) {
  if (!Active()) return;
  ShowOutline(screen);
  DropTarget target = form_.HitTest(screen);
  if (target == over_) {
    if (over_.control) NotifyOver(*over_.control, *source_, screen, kDragOver);
    return;
  }
  Enter(target, screen);
}

// The pointer moved from one target to another: the old one hears that it
// was left, the new one that it was entered. A handler may end the drag (a
// message box takes the capture), so every step checks it still runs.
void DragTracker::Enter(const DropTarget& target, POINT screen) {
  DropTarget previous = over_;
  over_ = target;
  if (previous.control)
    NotifyOver(*previous.control, *source_, screen, kDragLeave);
  if (Active() && target.control)
    NotifyOver(*target.control, *source_, screen, kDragEnter);
}

void DragTracker::Drop(POINT screen) {
  if (!Active()) return;
  ChildWindow& source = *source_;
  DropTarget target = form_.HitTest(screen);
  Cancel();  // erases the outline and releases the capture
  if (target.control) {
    POINT p = screen;
    ScreenToClient(target.control->hwnd(), &p);
    float x = 0, y = 0;
    target.control->PixelToTwips(p, x, y);
    Fire(target.control->AsControl().DragDrop, source.AsControl(), x, y);
  } else if (target.background) {
    POINT p = screen;
    ScreenToClient(form_.hwnd(), &p);
    UINT dpi = form_.dpi();
    Fire(form_.DragDrop, source.AsControl(), PixelsToTwips(p.x, dpi),
         PixelsToTwips(p.y, dpi));
  }
}

void DragTracker::Cancel() {
  if (!Active()) return;
  if (outline_) DestroyWindow(outline_);
  outline_ = nullptr;
  source_ = nullptr;
  over_ = {};
  form_.tips().Enable(true);
  if (GetCapture() == form_.hwnd()) ReleaseCapture();
}

// Places the outline where the dragged control would be with its grab
// point under the pointer.
void DragTracker::ShowOutline(POINT screen) {
  RECT r;
  GetWindowRect(source_->hwnd(), &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  if (!outline_) {
    outline_ = CreateOutline(form_.hwnd());
    ShapeOutline(outline_, width, height);
  }
  ::SetWindowPos(outline_, HWND_TOPMOST, screen.x - grab_.x, screen.y - grab_.y,
                 width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

}  // namespace platform::win32
