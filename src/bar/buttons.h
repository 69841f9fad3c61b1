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
// from the first empty row on.
void ConfigureButtons(ButtonArray& Check);
void ApplyButton(platform::ToggleButton& button, std::int16_t No,
                 std::int16_t Left, std::int16_t Top, std::int16_t Width,
                 std::int16_t Height, const std::wstring& Caption);

}  // namespace modPublic
