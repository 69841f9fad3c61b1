// Giving the user's clipboard back after a paste: what it held before is
// kept (only plain text, or that it was empty), and put back about a
// second after the paste keys went up, once the target has answered, so
// the editor has read the tag first. Whatever anyone copied meanwhile is
// never overwritten: the text goes back only while the clipboard still
// holds the paste's own text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_handle.h"

class ClipboardKeeper {
 public:
  // How long after the paste keys went up the clipboard is given back, ms.
  static constexpr int kRestoreAfterMs = 1000;
  // How long the target may take to answer before the restore waits on.
  static constexpr int kAnswerMs = 100;

  // Before a paste first touches the clipboard. With the option off, no
  // restore is due. With it on, a restore still due from the last paste
  // keeps what it kept while the clipboard holds that paste's text;
  // otherwise what the clipboard holds now is kept: its text when it holds
  // nothing but text (nothing else is ever read), that it was empty, or
  // nothing, and then nothing is given back.
  void BeforePaste(bool optionOn);
  // Puts the paste's text on the clipboard and notes the change.
  void Put(const std::wstring& text);
  // The paste keys went up into `target`: the restore is due.
  void Typed(platform::WindowHandle target);
  // The paste was refused: its text stays on the clipboard, as the notice
  // says, and nothing is given back.
  void Refused();
  bool Pending() const { return pending_; }
  // Gives the kept content back once the target answers; false while it
  // does not (a busy editor may not have read the clipboard yet).
  bool RestoreOnceAnswered();
  // Gives it back now (the program ends).
  void RestoreNow();

 private:
  enum class Kept { kNothing, kEmpty, kText };
  void Restore();

  Kept kept_ = Kept::kNothing;
  std::wstring text_;
  std::uint32_t ours_ = 0;  // the number the paste's own text gave
  bool pending_ = false;
  platform::WindowHandle target_ = 0;
};
