// The bar's tag buttons from the tag table.
#include "bar/buttons.h"

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

// Every slot past the rows in use is hidden, so a button whose row was
// deleted does not linger on the bar. `keys` names the key of each of the
// first buttons, for their tooltips.
void ConfigureButtons(ButtonArray& Check,
                      const std::vector<std::wstring>& keys) {
  for (int i = 0; i <= MaxButtonIndex; ++i) {
    if (!RowInUse(i)) {
      HideButton(ButtonAt(Check, i));
      continue;
    }
    ApplyButton(ButtonAt(Check, i), vb::CInt(TagTable(i, colNo)),
                vb::CInt(TagTable(i, colLeft)), vb::CInt(TagTable(i, colTop)),
                vb::CInt(TagTable(i, colWidth)),
                vb::CInt(TagTable(i, colHeight)),
                vb::CStr(TagTable(i, colCaption)),
                i < static_cast<int>(keys.size()) ? keys[i] : std::wstring());
  }
}

void ApplyButton(platform::ToggleButton& button, std::int16_t No,
                 std::int16_t Left, std::int16_t Top, std::int16_t Width,
                 std::int16_t Height, const std::wstring& Caption,
                 const std::wstring& key) {
  button.SetLeft(Left);
  button.SetTop(Top);
  button.SetWidth(Width);
  button.SetHeight(Height);
  button.SetCaption(ansi::Readable(Caption));
  button.SetVisible(true);
  button.SetEnabled(true);
  button.SetTabStop(true);
  button.SetTabIndex(vb::Add16(No, 1));
  button.SetToolTipText(ButtonTip(ansi::Readable(Caption), key));
}

std::wstring ButtonTip(const std::wstring& caption, const std::wstring& key) {
  return key.empty() ? caption : caption + L"　" + key;
}

}  // namespace modPublic
