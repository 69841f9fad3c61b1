// The bar's tag buttons as the tag table describes them. These operations
// are the shared module's (its namespace) but live with the bar, since they
// drive its controls; the store itself knows no forms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace modPublic {

using ButtonArray = std::vector<platform::ToggleButton*>;
// The button of slot i; a slot outside the array raises kSubscript.
platform::ToggleButton& ButtonAt(ButtonArray& Check, int i);
// Shows one button per used row (rows contiguous from 0); hides the slots
// from the first empty row on. `keys` names the key that presses the
// button of each slot, if any (empty: none).
void ConfigureButtons(ButtonArray& Check,
                      const std::vector<std::wstring>& keys = {});
void ApplyButton(platform::ToggleButton& button, std::int16_t No,
                 std::int16_t Left, std::int16_t Top, std::int16_t Width,
                 std::int16_t Height, const std::wstring& Caption,
                 const std::wstring& key = {});
// A button's tooltip: its caption, and the key that presses it when there
// is one ("UL　Ctrl+Alt+1").
std::wstring ButtonTip(const std::wstring& caption, const std::wstring& key);

}  // namespace modPublic
