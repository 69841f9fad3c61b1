#include "bar/clipboard_keep.h"

#include "platform/system.h"

void ClipboardKeeper::BeforePaste(bool optionOn) {
  if (!optionOn) {
    pending_ = false;
    return;
  }
  if (pending_ && platform::ClipboardSequence() == ours_) return;
  pending_ = false;
  const platform::ClipboardContent now = platform::ReadClipboard(
      [](const platform::ClipboardContent& c) { return c.kinds.onlyText; });
  kept_ = now.kinds.empty ? Kept::kEmpty
          : now.textRead  ? Kept::kText
                          : Kept::kNothing;
  text_ = now.text;
}

void ClipboardKeeper::Put(const std::wstring& text) {
  ours_ = platform::ClipboardSetText(text);
}

void ClipboardKeeper::Typed(platform::WindowHandle target) {
  pending_ = kept_ != Kept::kNothing;
  target_ = target;
}

void ClipboardKeeper::Refused() { pending_ = false; }

// A target that has closed reads nothing any more.
bool ClipboardKeeper::RestoreOnceAnswered() {
  if (!pending_) return true;
  if (platform::InspectWindow(target_).exists &&
      !platform::AnswersWithin(target_, kAnswerMs))
    return false;
  Restore();
  return true;
}

void ClipboardKeeper::RestoreNow() {
  if (pending_) Restore();
}

// The restored text carries the marks of the paste's own text, so the
// clipboard history does not record it a second time.
void ClipboardKeeper::Restore() {
  pending_ = false;
  if (platform::ClipboardSequence() != ours_) return;
  if (kept_ == Kept::kText)
    ours_ = platform::ClipboardSetText(text_);
  else
    ours_ = platform::ClipboardClear();
}
