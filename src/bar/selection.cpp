#include "bar/selection.h"

#include "bar/paste.h"

namespace selection {
namespace {

constexpr std::uint8_t kKeyC = 'C';
constexpr std::uint8_t kKeyV = 'V';

bool IsCtrl(std::uint8_t vk) {
  constexpr std::uint8_t kCtrl = 17, kLeftCtrl = 162, kRightCtrl = 163;
  return vk == kCtrl || vk == kLeftCtrl || vk == kRightCtrl;
}

// Waits until the clipboard's number moves on from `before`; false when it
// did not within the wait. Short steps: a target that copies at once is
// not kept waiting for long. The copying editor may wait for this program,
// the clipboard's owner, to be told it is emptied: that is let through.
bool ChangedWithin(std::uint32_t before, int ms) {
  constexpr int kStepMs = 5;
  const std::uint64_t start = platform::TickCount();
  while (platform::ClipboardSequence() == before) {
    if (platform::TickCount() - start >= static_cast<std::uint64_t>(ms))
      return false;
    platform::PauseTakingSentMessages(kStepMs);
  }
  return true;
}

}  // namespace

bool AsksForSelection(const Press& press) {
  return press.optionOn && press.startTag && press.hasEndTag &&
         !press.terminal && IsCtrl(paste::ModifierKey(press.pasteShiftKey)) &&
         paste::PasteKeyCode(press.pasteKey) == kKeyV;
}

bool MayBeSelection(const platform::ClipboardContent& after,
                    std::uint32_t before, std::uint32_t targetProcess) {
  return after.sequence != before && after.ownerProcess != 0 &&
         after.ownerProcess == targetProcess && after.kinds.unicodeText &&
         !after.kinds.lineCopy && !after.kinds.boxSelection;
}

bool IsSelection(const platform::ClipboardContent& after, std::uint32_t before,
                 std::uint32_t targetProcess) {
  return MayBeSelection(after, before, targetProcess) && after.textRead &&
         !after.text.empty();
}

// The copy is read in one opening of the clipboard, which also waits for
// the editor to close the clipboard: its number moves on as soon as it
// empties the clipboard, before its text is there.
Copy CopySelection(platform::WindowHandle target, std::uint8_t ctrl) {
  Copy copy;
  const std::uint32_t process = platform::InspectWindow(target).process;
  const std::uint32_t before = platform::ClipboardSequence();
  if (!paste::TypeAtOnce(ctrl, kKeyC)) {
    copy.keysWent = false;
    return copy;
  }
  copy.changed = ChangedWithin(before, kCopyWaitMs);
  if (!copy.changed) return copy;
  const platform::ClipboardContent after =
      platform::ReadClipboard([&](const platform::ClipboardContent& c) {
        return MayBeSelection(c, before, process);
      });
  if (IsSelection(after, before, process)) copy.selection = after.text;
  return copy;
}

}  // namespace selection
