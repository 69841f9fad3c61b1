// What the clipboard's list of formats says about its content, decided
// from the list alone: reading a format's data can make its owner render
// large data or show a dialog, so nothing is read to decide. Pure: each
// backend gives it the formats it finds.
#pragma once

#include <string>
#include <vector>

#include "platform/target_rules.h"

namespace platform {

// A format on the clipboard: a standard one by its number, a registered
// one by its number and name.
struct ClipboardFormat {
  unsigned id = 0;
  std::wstring name;
};

// The list of formats, read as the paste needs it.
struct ClipboardKinds {
  bool empty = true;         // no format at all
  bool onlyText = true;      // text, its locale and this program's own marks
  bool unicodeText = false;  // CF_UNICODETEXT (also when synthesized)
  // A copy made with nothing selected: the editor put the whole line on
  // the clipboard and marked it so.
  bool lineCopy = false;
  // A box (column) selection, which a paste would not put back as a box.
  bool boxSelection = false;
};

namespace clipboard_rules {

// The standard text formats (winuser.h). The system makes each of the
// first three from any other of them, and CF_LOCALE says which language
// the text is in.
constexpr unsigned kText = 1, kOemText = 7, kUnicodeText = 13, kLocale = 16;

// The registered formats this program puts beside its text: each a DWORD 0,
// they keep the text out of the clipboard history (Win+V) and off the cloud
// clipboard.
constexpr const wchar_t* kHistoryFormat = L"CanIncludeInClipboardHistory";
constexpr const wchar_t* kCloudFormat = L"CanUploadToCloudClipboard";

// The marks editors put on a copy made with nothing selected, the whole
// line: Visual Studio's and the editors that follow it (Scintilla-based
// editors such as Notepad++, Sakura Editor) use the first two; the third
// marks a box selection.
constexpr const wchar_t* kLineCopyMarks[] = {
    L"MSDEVLineSelect", L"VisualStudioEditorOperationsLineCutCopyClipboardTag"};
constexpr const wchar_t* kBoxSelectionMark = L"MSDEVColumnSelect";

inline bool IsText(const ClipboardFormat& f) {
  return f.id == kText || f.id == kOemText || f.id == kUnicodeText ||
         f.id == kLocale;
}

inline bool IsOwnMark(const ClipboardFormat& f) {
  using target_rules::SameName;
  return SameName(f.name, kHistoryFormat) || SameName(f.name, kCloudFormat);
}

inline bool IsLineCopyMark(const ClipboardFormat& f) {
  for (const wchar_t* mark : kLineCopyMarks)
    if (target_rules::SameName(f.name, mark)) return true;
  return false;
}

}  // namespace clipboard_rules

inline ClipboardKinds Classify(const std::vector<ClipboardFormat>& formats) {
  using namespace clipboard_rules;
  ClipboardKinds kinds;
  for (const ClipboardFormat& f : formats) {
    kinds.empty = false;
    if (!IsText(f) && !IsOwnMark(f)) kinds.onlyText = false;
    if (f.id == kUnicodeText) kinds.unicodeText = true;
    if (IsLineCopyMark(f)) kinds.lineCopy = true;
    if (target_rules::SameName(f.name, kBoxSelectionMark))
      kinds.boxSelection = true;
  }
  return kinds;
}

}  // namespace platform
