// The words the platform layer shows of its own, kept in one place: the
// forms that show the same words take them from here.
#pragma once

namespace platform {

// The balloon over a text box that does not take a character typed into it.
inline constexpr wchar_t kRefusedTitle[] = L"入力できない文字です";
inline constexpr wchar_t kNotStorable[] =
    L"この文字はファイルに保存できないため、入力できません。";
// The input box's buttons.
inline constexpr wchar_t kOkCaption[] = L"OK";
inline constexpr wchar_t kCancelCaption[] = L"キャンセル";

}  // namespace platform
