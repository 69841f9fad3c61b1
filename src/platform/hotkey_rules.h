// Which Ctrl+Alt keys the program may take from every program. On the
// keyboard layouts where Ctrl+Alt stands for AltGr (German, French and
// many others) Ctrl+Alt with a digit types a character, often one HTML
// needs ({ [ ] } @ #), so such a key is left to the layout. Pure: each
// backend gives it the installed layouts and what each types.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

// What a layout types for a key with Ctrl and Alt held, as ToUnicodeEx
// reports it: `result` > 0 characters (the first is `first`), < 0 a dead
// key (an accent waiting for its letter), 0 nothing.
struct Typed {
  int result = 0;
  wchar_t first = 0;
};

// A layout as the system names it (an HKL).
using LayoutId = std::uintptr_t;
using TypeWithCtrlAlt = std::function<Typed(LayoutId layout, std::uint8_t vk)>;

namespace hotkey_rules {

// A dead key or a character the user can see types; a control character
// (what Ctrl makes of some keys on some layouts) does not.
inline bool Types(const Typed& t) {
  if (t.result < 0) return true;
  return t.result > 0 && t.first >= 0x20 && t.first != 0x7F;
}

}  // namespace hotkey_rules

// Of `keys`, those that any of `layouts` turns into a character with
// Ctrl+Alt, in the order of `keys`.
inline std::vector<std::uint8_t> KeysTypingWithCtrlAlt(
    const std::vector<LayoutId>& layouts, const std::vector<std::uint8_t>& keys,
    const TypeWithCtrlAlt& type) {
  std::vector<std::uint8_t> typing;
  for (std::uint8_t vk : keys)
    if (std::any_of(layouts.begin(), layouts.end(), [&](LayoutId layout) {
          return hotkey_rules::Types(type(layout, vk));
        }))
      typing.push_back(vk);
  return typing;
}

}  // namespace platform
