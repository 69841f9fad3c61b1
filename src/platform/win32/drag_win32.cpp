// Manual drag and drop of a control: an XOR outline follows the pointer,
// DragOver tells the controls of the form when the pointer enters, moves
// over and leaves them, and the release drops on what lies beneath.
#include "platform/win32/win32_internal.h"

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

}  // namespace

void DragTracker::Start(ChildWindow& source, POINT grab) {
  if (Active()) Cancel();
  source_ = &source;
  grab_ = grab;
  over_ = {};
  SetCapture(form_.hwnd());
  POINT screen = grab;
  ClientToScreen(source.hwnd(), &screen);
  Move(screen);  // the pointer starts over the source: it is entered first
}

void DragTracker::Move(POINT screen) {
  if (!Active()) return;
  EraseOutline();
  RECT r;
  GetWindowRect(source_->hwnd(), &r);
  OffsetRect(&r, screen.x - grab_.x - r.left, screen.y - grab_.y - r.top);
  outline_ = r;
  DrawOutline();
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
  EraseOutline();
  source_ = nullptr;
  over_ = {};
  if (GetCapture() == form_.hwnd()) ReleaseCapture();
}

// The outline is two nested dotted rectangles drawn in XOR on the screen,
// so drawing it again at the same place erases it.
void DragTracker::DrawOutline() {
  HDC dc = GetDC(nullptr);
  RECT inner = outline_;
  InflateRect(&inner, -1, -1);
  DrawFocusRect(dc, &outline_);
  DrawFocusRect(dc, &inner);
  ReleaseDC(nullptr, dc);
  drawn_ = true;
}

void DragTracker::EraseOutline() {
  if (drawn_) DrawOutline();
  drawn_ = false;
}

}  // namespace platform::win32
