// The bar's tag buttons from the tag table, and the extents they cover.
#include <algorithm>

#include "store/ansi_text.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

void HideButton(platform::ToggleButton& button) {
  button.SetVisible(false);
  button.SetEnabled(false);
}

}  // namespace

platform::ToggleButton& ButtonAt(ButtonArray& Check, int i) {
  if (i < 0 || i >= static_cast<int>(Check.size()) || !Check[i])
    vb::Raise(vb::kSubscript);
  return *Check[i];
}

// The rows in use are contiguous from row 0: the first row with a blank
// Left cell ends them. Every slot from there on is hidden, so a button whose
// row was deleted does not linger on the bar.
void ConfigureButtons(ButtonArray& Check) {
  bool inUse = true;
  for (int i = 0; i <= MaxButtonIndex; ++i) {
    inUse = inUse && !TagTable(i, colLeft).IsBlank();
    if (!inUse) {
      HideButton(ButtonAt(Check, i));
      continue;
    }
    ApplyButton(ButtonAt(Check, i), vb::CInt(TagTable(i, colNo)),
                vb::CInt(TagTable(i, colLeft)), vb::CInt(TagTable(i, colTop)),
                vb::CInt(TagTable(i, colWidth)),
                vb::CInt(TagTable(i, colHeight)),
                vb::CStr(TagTable(i, colCaption)));
  }
}

void ApplyButton(platform::ToggleButton& button, std::int16_t No,
                 std::int16_t Left, std::int16_t Top, std::int16_t Width,
                 std::int16_t Height, const std::wstring& Caption) {
  button.SetLeft(Left);
  button.SetTop(Top);
  button.SetWidth(Width);
  button.SetHeight(Height);
  button.SetCaption(ansi::Readable(Caption));
  button.SetVisible(true);
  button.SetEnabled(true);
  button.SetTabStop(true);
  button.SetTabIndex(vb::Add16(No, 1));
  button.SetToolTipText(ansi::Readable(Caption));
}

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
