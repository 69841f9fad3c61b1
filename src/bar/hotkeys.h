// Ctrl+Alt+1 to Ctrl+Alt+0: the first ten buttons pressed from the
// keyboard, whichever program is in front.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system.h"

namespace hotkeys {

// The keys: the digit keys of the main keyboard (not the keypad), one per
// button slot 0 to 9; slot i is taken under the id i + 1.
constexpr int kKeys = 10;
// Ctrl+Alt, and a key held down presses its button once.
constexpr unsigned kModifiers =
    platform::kModControl | platform::kModAlt | platform::kModNoRepeat;

// The virtual-key code of slot i's key: '1' to '9', then '0'.
std::uint8_t KeyOf(int slot);
// What the user reads: "Ctrl+Alt+1".
std::wstring NameOf(int slot);
// The notice naming the keys that could not be taken (slots): those other
// programs hold, and those a keyboard layout types characters with; empty
// when there are none.
std::wstring Notice(const std::vector<int>& heldElsewhere,
                    const std::vector<int>& typing);

}  // namespace hotkeys
