// The tag table's rows: which rows hold a button, their numbers, how a
// registration and a deletion change them, and the extents their buttons
// cover.
#include <algorithm>
#include <array>
#include <string>

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

// The dialog's list and its deletion find a button by its No, so numbers
// that do not match their rows would select, highlight and delete the wrong
// buttons.
void NumberRows(CellTable& table, int count) {
  for (int r = 0; r < count; ++r)
    table(r, colNo) = static_cast<std::int16_t>(r);
}

// The row and the count are worked out, and every cell found, before any is
// written.
std::int16_t StoreTagRow(std::array<vb::Variant, kTagColumns> cells) {
  const bool isNew = cells[colNo].IsBlank();
  if (isNew) cells[colNo] = std::to_wstring(TagCount);
  const std::int16_t row = vb::CInt(cells[colNo]);
  std::array<vb::Variant*, kTagColumns> target{};
  for (int col = 0; col < kTagColumns; ++col) target[col] = &TagTable(row, col);
  const std::int16_t count = isNew ? vb::Add16(TagCount, 1) : TagCount;

  for (int col = 0; col < kTagColumns; ++col) *target[col] = cells[col];
  TagCount = count;
  return row;
}

// Rows 0 to TagCount are copied first: the buttons and the empty row after
// them, which a tag.txt written by hand with every row in use does not have.
void DeleteTagRow(std::int16_t row) {
  CellTable copy(kButtonSlots, kTagColumns);
  const int last = std::min<int>(TagCount, copy.Rows() - 1);
  for (int i = 0; i <= last && i < TagTable.Rows(); ++i)
    for (int col = 0; col < kTagColumns; ++col) copy(i, col) = TagTable(i, col);

  TagTable.Resize(kButtonSlots, kTagColumns);
  std::int16_t k = 0;
  for (int i = 0; i < TagCount; ++i) {
    if (i == row) continue;
    for (int col = colLeft; col < kTagColumns; ++col)
      TagTable(k, col) = copy(i, col);
    k = vb::Add16(k, 1);
  }
  NumberRows(TagTable, k);
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
