// The vertical scroll bar, over the value model both backends share
// (platform/scroll_model.h); the window's position runs from 0 at the top,
// so a value maps to its distance from Min. The owner moves the thumb: the
// scroll bar reports a scroll to its parent, which reflects it here, and the
// new value is set before Change fires.
#include <cstdlib>

#include "platform/scroll_model.h"
#include "platform/win32/controls_win32.h"

namespace platform::win32 {
namespace {

class Win32ScrollBar final : public ControlOf<VScrollBar> {
 public:
  Win32ScrollBar(Win32Container& parent, const VScrollBarArgs& args)
      : ControlOf(parent, args), model_(args) {
    Init(L"SCROLLBAR", SBS_VERT, 0, L"");
  }

  int Min() const override { return model_.Min(); }
  int Max() const override { return model_.Max(); }
  void SetMin(int v) override { Range(model_.SetMin(v)); }
  void SetMax(int v) override { Range(model_.SetMax(v)); }
  int SmallChange() const override { return model_.SmallChange(); }
  int LargeChange() const override { return model_.LargeChange(); }
  void SetSmallChange(int v) override { model_.SetSmallChange(v); }
  void SetLargeChange(int v) override { model_.SetLargeChange(v); }
  int Value() const override { return model_.Value(); }
  void SetValue(int v) override { Moved(model_.SetValue(v)); }
  void ClickArrows(int clicks) override {
    for (int i = 0; i < std::abs(clicks); ++i) Moved(model_.Line(clicks < 0));
  }

  bool OnReflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    if (msg != WM_VSCROLL) return false;
    switch (LOWORD(wp)) {
      case SB_LINEUP:
        Moved(model_.Line(false));
        break;
      case SB_LINEDOWN:
        Moved(model_.Line(true));
        break;
      case SB_PAGEUP:
        Moved(model_.Page(false));
        break;
      case SB_PAGEDOWN:
        Moved(model_.Page(true));
        break;
      case SB_TOP:
        Moved(model_.MoveWithin(model_.Min()));
        break;
      case SB_BOTTOM:
        Moved(model_.MoveWithin(model_.Max()));
        break;
      case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(hwnd(), SB_CTL, &si);
        Moved(model_.MoveWithin(model_.ValueAt(si.nTrackPos)));
        break;
      }
      default:  // the thumb being dragged: the bar draws it itself
        break;
    }
    result = 0;
    return true;
  }

 protected:
  void ApplyState() override { Sync(); }
  // A notch of the wheel is a click on an arrow: up towards the top end.
  bool WantsWheel() override { return enabled(); }
  void OnWheel(int notches) override { ClickArrows(notches); }

 private:
  // A new end: the bar shows the new range, then the value it moved to.
  void Range(bool moved) {
    Sync();
    Moved(moved);
  }

  // The thumb goes where the value is, and Change fires, when it moved.
  void Moved(bool moved) {
    if (!moved) return;
    if (hwnd()) {
      SetScrollPos(hwnd(), SB_CTL, model_.PositionOf(model_.Value()), FALSE);
      Redraw();
    }
    Fire(Change);
  }

  // A range of one value shows the bar disabled, as there is nowhere to go.
  void Sync() {
    if (!hwnd()) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = model_.Positions();
    si.nPage = 0;
    si.nPos = model_.PositionOf(model_.Value());
    SetScrollInfo(hwnd(), SB_CTL, &si, FALSE);
    Redraw();
  }

  // The bar is drawn anew with the next paint, not at once: a handler that
  // sets several bars and boxes then pays for one paint, not one each.
  void Redraw() { InvalidateRect(hwnd(), nullptr, TRUE); }

  ScrollModel model_;
};

}  // namespace

VScrollBar& MakeVScrollBar(Win32Container& c, const VScrollBarArgs& a) {
  return Install<Win32ScrollBar>(c, a);
}

}  // namespace platform::win32
