// The extents the bar's tag buttons cover, from the tag table.
#include <algorithm>

#include "store/modPublic.h"

namespace modPublic {
namespace {

// Where a button ends along one axis. A hand-edited row may end past 32767
// twips, which no 16-bit extent holds; the bar stops growing there instead
// of failing at every start.
std::int16_t EndOf(const vb::Variant& position, const vb::Variant& size) {
  const std::int32_t end = std::int32_t{vb::CInt(position)} + vb::CInt(size);
  return static_cast<std::int16_t>(std::clamp(end, -32768, 32767));
}

}  // namespace

// Empty rows count as 0, so only the buttons on the bar matter.
void ComputeButtonExtents() {
  MaxButtonRight = 0;
  MaxButtonBottom = 0;
  for (int i = 0; i <= MaxButtonIndex; ++i) {
    std::int16_t right = EndOf(TagTable(i, colLeft), TagTable(i, colWidth));
    std::int16_t bottom = EndOf(TagTable(i, colTop), TagTable(i, colHeight));
    if (right > MaxButtonRight) MaxButtonRight = right;
    if (bottom > MaxButtonBottom) MaxButtonBottom = bottom;
  }
}

}  // namespace modPublic
