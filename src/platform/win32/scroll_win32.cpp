// The vertical scroll bar. Min is the value at the top end and Max the
// value at the bottom end, either way round; the window's position runs
// from 0 at the top, so a value maps to its distance from Min. The owner
// moves the thumb: the scroll bar reports a scroll to its parent, which
// reflects it here, and the new value is set before Change fires.
#include <algorithm>
#include <cstdlib>

#include "platform/win32/controls_win32.h"
#include "runtime/vb.h"

namespace platform::win32 {
namespace {

class Win32ScrollBar final : public ControlOf<VScrollBar> {
 public:
  Win32ScrollBar(Win32Container& parent, const VScrollBarArgs& args)
      : ControlOf(parent, args),
        min_(args.min),
        max_(args.max),
        small_(args.smallChange),
        large_(args.largeChange) {
    value_ = std::clamp(args.value, Low(), High());
    Init(L"SCROLLBAR", SBS_VERT, 0, L"");
  }

  int Min() const override { return min_; }
  int Max() const override { return max_; }
  void SetMin(int v) override {
    min_ = v;
    Sync();
    Move(std::clamp(value_, Low(), High()));
  }
  void SetMax(int v) override {
    max_ = v;
    Sync();
    Move(std::clamp(value_, Low(), High()));
  }
  int SmallChange() const override { return small_; }
  int LargeChange() const override { return large_; }
  void SetSmallChange(int v) override {
    if (v < 0) vb::Raise(vb::kInvalidPropertyValue);
    small_ = v;
  }
  void SetLargeChange(int v) override {
    if (v < 0) vb::Raise(vb::kInvalidPropertyValue);
    large_ = v;
  }
  int Value() const override { return value_; }
  void SetValue(int v) override {
    if (v < Low() || v > High()) vb::Raise(vb::kInvalidPropertyValue);
    Move(v);
  }
  void ClickArrows(int clicks) override {
    for (int i = 0; i < std::abs(clicks); ++i) Step(small_, clicks < 0);
  }

  bool OnReflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    if (msg != WM_VSCROLL) return false;
    switch (LOWORD(wp)) {
      case SB_LINEUP:
        Step(small_, false);
        break;
      case SB_LINEDOWN:
        Step(small_, true);
        break;
      case SB_PAGEUP:
        Step(large_, false);
        break;
      case SB_PAGEDOWN:
        Step(large_, true);
        break;
      case SB_TOP:
        Move(min_);
        break;
      case SB_BOTTOM:
        Move(max_);
        break;
      case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(hwnd(), SB_CTL, &si);
        Move(ValueAt(si.nTrackPos));
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
  int Low() const { return std::min(min_, max_); }
  int High() const { return std::max(min_, max_); }
  int PositionOf(int v) const { return min_ <= max_ ? v - min_ : min_ - v; }
  int ValueAt(int pos) const { return min_ <= max_ ? min_ + pos : min_ - pos; }

  // One step of `amount` towards the bottom end or the top end.
  void Step(int amount, bool towardsMax) {
    const int sign = (max_ >= min_) == towardsMax ? 1 : -1;
    const long target = static_cast<long>(value_) + sign * amount;
    Move(static_cast<int>(std::clamp<long>(target, Low(), High())));
  }

  void Move(int v) {
    if (v == value_) return;
    value_ = v;
    if (hwnd()) {
      SetScrollPos(hwnd(), SB_CTL, PositionOf(v), FALSE);
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
    si.nMax = std::abs(max_ - min_);
    si.nPage = 0;
    si.nPos = PositionOf(value_);
    SetScrollInfo(hwnd(), SB_CTL, &si, FALSE);
    Redraw();
  }

  // The bar is drawn anew with the next paint, not at once: a handler that
  // sets several bars and boxes then pays for one paint, not one each.
  void Redraw() { InvalidateRect(hwnd(), nullptr, TRUE); }

  int min_, max_, small_, large_, value_ = 0;
};

}  // namespace

VScrollBar& MakeVScrollBar(Win32Container& c, const VScrollBarArgs& a) {
  return Install<Win32ScrollBar>(c, a);
}

}  // namespace platform::win32
