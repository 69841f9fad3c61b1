// Wrapping the user's selection in a button's tags: the target is asked to
// copy its selection (Ctrl+C) just before the paste, and what it copied is
// pasted between the start and the end tag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

namespace selection {

// How long the target may take to put its copy on the clipboard, ms.
constexpr int kCopyWaitMs = 300;

// What decides whether a press asks the target for its selection.
struct Press {
  bool optionOn = false;
  std::int32_t pasteShiftKey = 0;  // as stored
  std::wstring pasteKey;           // as stored
  bool startTag = false;           // the button went down: its start is due
  bool hasEndTag = false;
  bool terminal = false;  // the target is a console or terminal
};

// Only a start tag with an end tag to close it is wrapped around a
// selection, and only while the paste is Ctrl+V: with another modifier
// the "C" would be typed over the selection, or open a menu. In a console
// or terminal Ctrl+C stops the running program.
bool AsksForSelection(const Press& press);

// Whether the clipboard, read after the copy, holds the target's selection:
// it changed since `before`, the target's process owns it (a clipboard
// listener or another program changing it meanwhile is no selection), and
// it holds text without the marks of a line copied with nothing selected
// or of a box selection. The text itself is read only when this holds.
bool MayBeSelection(const platform::ClipboardContent& after,
                    std::uint32_t before, std::uint32_t targetProcess);
// The same, and the text was read and is not empty.
bool IsSelection(const platform::ClipboardContent& after, std::uint32_t before,
                 std::uint32_t targetProcess);

// What the copy gave.
struct Copy {
  bool keysWent = true;  // false: input was blocked
  bool changed = false;  // the clipboard changed meanwhile
  std::optional<std::wstring> selection;
};
// Types Ctrl+C (with `ctrl`, the paste's own Ctrl key) into the target in
// front, in one input, and waits for the clipboard to change, kCopyWaitMs
// at most, without letting other events run.
Copy CopySelection(platform::WindowHandle target, std::uint8_t ctrl);

}  // namespace selection
