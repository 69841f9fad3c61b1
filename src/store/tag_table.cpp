// The tag table's rows: which rows hold a button, how a deletion closes the
// gap, and the extents the buttons of the rows cover.
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

// A tag.txt written by hand can fill every row, and the dialog's last page
// then shows one row past the table's end: that row holds no button either.
bool RowInUse(int row) {
  if (row < 0 || row >= TagTable.Rows()) return false;
  for (int i = 0; i <= row; ++i)
    if (TagTable(i, colLeft).IsBlank()) return false;
  return true;
}

// Rows 0 to TagCount are copied first: the buttons and the empty row after
// them, which a tag.txt written by hand with every row in use does not have.
void DeleteTagRow(std::int16_t row) {
  CellTable copy(MaxButtonIndex + 1, kTagColumns);
  const int last = std::min<int>(TagCount, copy.Rows() - 1);
  for (int i = 0; i <= last && i < TagTable.Rows(); ++i)
    for (int col = 0; col < kTagColumns; ++col) copy(i, col) = TagTable(i, col);

  TagTable.Resize(MaxButtonIndex + 1, kTagColumns);
  std::int16_t k = 0;
  for (int i = 0; i < TagCount; ++i) {
    if (i == row) continue;
    TagTable(k, colNo) = k;
    for (int col = colLeft; col < kTagColumns; ++col)
      TagTable(k, col) = copy(i, col);
    k = vb::Add16(k, 1);
  }
  TagCount = k;
}

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
