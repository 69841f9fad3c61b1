// A vertical scroll bar's value, the same on both backends: Min is the value
// at the top end and Max the value at the bottom end, either way round, and
// the value stays between them. An arrow steps by SmallChange towards its
// end, a click on the track by LargeChange. The backends show the value and
// fire Change whenever an operation here says the value moved.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "platform/forms.h"
#include "runtime/vb.h"

namespace platform {

class ScrollModel {
 public:
  explicit ScrollModel(const VScrollBarArgs& args = {})
      : min_(args.min),
        max_(args.max),
        small_(args.smallChange),
        large_(args.largeChange),
        value_(std::clamp(args.value, Low(), High())) {}

  int Min() const { return min_; }
  int Max() const { return max_; }
  int SmallChange() const { return small_; }
  int LargeChange() const { return large_; }
  int Value() const { return value_; }
  int Low() const { return std::min(min_, max_); }
  int High() const { return std::max(min_, max_); }

  // A new end pulls the value inside the range; true when it moved.
  bool SetMin(int v) {
    min_ = v;
    return MoveWithin(value_);
  }
  bool SetMax(int v) {
    max_ = v;
    return MoveWithin(value_);
  }
  // A negative step is refused (kInvalidPropertyValue).
  void SetSmallChange(int v) { small_ = NonNegative(v); }
  void SetLargeChange(int v) { large_ = NonNegative(v); }
  // The program's own setting: a value outside the range is refused
  // (kInvalidPropertyValue). True when it moved.
  bool SetValue(int v) {
    if (v < Low() || v > High()) vb::Raise(vb::kInvalidPropertyValue);
    return MoveTo(v);
  }
  // The user's move (the thumb dragged, an end chosen): kept inside the
  // range. True when the value moved.
  bool MoveWithin(int v) { return MoveTo(std::clamp(v, Low(), High())); }
  // One click on an arrow (SmallChange) or on the track (LargeChange),
  // towards the bottom end or the top end. True when the value moved.
  bool Line(bool towardsMax) { return Step(small_, towardsMax); }
  bool Page(bool towardsMax) { return Step(large_, towardsMax); }

  // The thumb's position from the top end, 0 at Min, and back.
  int PositionOf(int v) const { return min_ <= max_ ? v - min_ : min_ - v; }
  int ValueAt(int pos) const { return min_ <= max_ ? min_ + pos : min_ - pos; }
  int Positions() const { return std::abs(max_ - min_); }

 private:
  static int NonNegative(int v) {
    if (v < 0) vb::Raise(vb::kInvalidPropertyValue);
    return v;
  }
  bool Step(int amount, bool towardsMax) {
    const int sign = (max_ >= min_) == towardsMax ? 1 : -1;
    const long target = static_cast<long>(value_) + sign * long{amount};
    return MoveTo(static_cast<int>(std::clamp<long>(target, Low(), High())));
  }
  bool MoveTo(int v) {
    if (v == value_) return false;
    value_ = v;
    return true;
  }

  int min_, max_, small_, large_, value_;
};

}  // namespace platform
