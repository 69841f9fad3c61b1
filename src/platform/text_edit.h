// How a text box takes an edit of the user's, the same on both backends:
// the characters the ansiOnly guard refuses are dropped, then the box's
// judge (TextBoxArgs::acceptEdit) takes the text, undoes the edit or keeps
// what fits. The backends only find the edit (what was inserted between
// which unchanged parts) and show the outcome.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/texts.h"

namespace platform {

// One edit: `inserted` went in between `head` and `tail`, the parts of the
// text before it that stay as they were.
struct TextEdit {
  std::wstring head, inserted, tail;
};

struct EditOutcome {
  std::wstring text;                  // what the box keeps
  std::size_t caret = 0;              // where the caret goes
  std::optional<EditRefusal> notice;  // the balloon to show, if any
};

// The characters of a text: code units, surrogate pairs kept together.
inline std::vector<std::wstring> Characters(const std::wstring& text) {
  std::vector<std::wstring> units;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair =
        text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size();
    units.push_back(text.substr(i, pair ? 2 : 1));
    if (pair) ++i;
  }
  return units;
}

// A character the files' code page holds comes back unchanged from a round
// trip through it (one that has none, or only a look-alike, does not).
inline bool Storable(const std::wstring& unit) {
  return FromAnsi(ToAnsi(unit)) == unit;
}

// With ansiOnly, only Storable characters may be typed; the judge is the
// box's acceptEdit (may be empty).
inline EditOutcome TakeEdit(bool ansiOnly, const EditJudge& judge,
                            const std::wstring& before, const TextEdit& edit) {
  EditOutcome out;
  std::vector<std::wstring> kept;
  for (std::wstring& unit : Characters(edit.inserted)) {
    if (ansiOnly && !Storable(unit))
      out.notice = EditRefusal{kRefusedTitle, kNotStorable};
    else
      kept.push_back(std::move(unit));
  }
  const auto joined = [&](std::size_t n) {
    std::wstring middle;
    for (std::size_t i = 0; i < n; ++i) middle += kept[i];
    return middle;
  };
  const auto taken = [&](std::size_t n) {
    return !judge || !judge(edit.head + joined(n) + edit.tail);
  };
  std::size_t n = kept.size();
  if (!taken(n)) {
    out.notice = judge(edit.head + joined(n) + edit.tail);
    // A limit such as a length takes every shorter beginning of a text it
    // takes, so the longest one that fits is found by halving.
    std::size_t fits = 0, over = n;
    if (out.notice->keepWhatFits && taken(0)) {
      while (over - fits > 1) {
        const std::size_t mid = fits + (over - fits) / 2;
        (taken(mid) ? fits : over) = mid;
      }
      n = fits;
    } else {
      out.text = before;
      out.caret = edit.head.size();
      return out;
    }
  }
  const std::wstring middle = joined(n);
  out.text = edit.head + middle + edit.tail;
  out.caret = edit.head.size() + middle.size();
  return out;
}

}  // namespace platform
