// The pieces of typing a shortcut into another program's window, for every
// path that does it: the paste of a tag or a table, and whatever else sends
// a shortcut to the target the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/window_handle.h"

namespace paste {

// How long the target may take to answer before it counts as busy, ms.
constexpr int kAnswerMs = 300;

// The virtual-key code of a stored paste key: its first character made
// upper-case when that is a letter A-Z or a digit 0-9 (whose key codes are
// those characters); nothing for any other.
std::optional<std::uint8_t> PasteKeyCode(const std::wstring& stored);

// The key sent for a stored modifier code: 0 (none) for a code that does
// not fit a key byte, left Shift for the stored "Shift".
std::uint8_t ModifierKey(std::int32_t stored);

// Why keys must not go to the target as it stands, before anything is done
// to it (closed, a surface of the shell, of a higher or unknown integrity
// level, not answering within kAnswerMs); null when they may.
const wchar_t* RefusalBefore(platform::WindowHandle target);

// Brings the target back: restores it first when minimized (without
// waiting for its program), then asks for the foreground. False when the
// system refused.
bool BringBack(platform::WindowHandle target);

// Why keys must not go to the target now that it should be in front
// (closed meanwhile, not in front, still minimized); null when they may.
const wchar_t* RefusalInFront(platform::WindowHandle target);

// Waits until the user has let go of the modifier keys, a second at most;
// false when one is still held (it would join the shortcut: Ctrl+Alt+V is
// another command in many editors).
bool UserLetGoOfModifiers();

// Presses modifier (0: none) and key down in one input, holds them for
// `holdMs`, and releases both in one input. False when input was blocked
// and not every event went in; what went down is released then.
bool TypeShortcut(std::uint8_t modifier, std::uint8_t key, int holdMs);

// Presses modifier and key and releases both, all in one input: a command
// such as Ctrl+C, which needs no hold. False when input was blocked and not
// every event went in; what went down is released then.
bool TypeAtOnce(std::uint8_t modifier, std::uint8_t key);

}  // namespace paste
