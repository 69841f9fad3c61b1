// The bar: the start-up window that holds the tag buttons.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bar/buttons.h"
#include "bar/clipboard_keep.h"
#include "bar/hotkeys.h"
#include "platform/platform.h"
#include "store/modPublic.h"

class frmSetup;

class frmStrell {
 public:
  frmStrell();
  ~frmStrell();
  frmStrell(const frmStrell&) = delete;
  frmStrell& operator=(const frmStrell&) = delete;
  // Chooses the folder of the files, loads the bar (Form_Load) and shows it.
  // False when a bar already runs on the same files: that one was brought to
  // the front instead, and this one must end.
  bool LoadAndShow();

  platform::Form& form() { return *form_; }

  // Controls.
  modPublic::ButtonArray Check;  // Check(0) .. Check(30)
  platform::PictureButton* cmdSetup = nullptr;
  platform::PictureButton* cmdTableSet = nullptr;
  platform::Timer* Timer1 = nullptr;
  // Gives the clipboard back a while after a paste.
  platform::Timer* tmrRestore = nullptr;

  // State owned by the bar.
  platform::WindowHandle TargetWindow = 0;
  std::int16_t DragButtonIndex = 0;
  std::int16_t DragGrabX = 0;
  std::int16_t DragGrabY = 0;

  // Event handlers, each under its own error trap.
  void Form_Load();
  void Form_Activate();
  void Form_AppActivate();
  void Form_Resize();
  void Form_Unload();
  void Form_DragDrop(platform::Control& source, float x, float y);
  void cmdSetup_Click();
  void cmdTableSet_Click();
  void Timer1_Timer();
  void tmrRestore_Timer();
  void Check_Click(std::int16_t Index);
  void Check_KeyDown(std::int16_t Index, int KeyCode, int Shift);
  void Check_KeyUp(std::int16_t Index, int KeyCode, int Shift);
  void Check_MouseDown(std::int16_t Index, int Button, int Shift, float X,
                       float Y);
  void Check_DragOver(std::int16_t Index, platform::Control& Source, float X,
                      float Y, int State);
  void Check_DragDrop(std::int16_t Index, platform::Control& Source, float X,
                      float Y);
  // Ctrl+Alt and a digit, pressed in any program (the id: the slot + 1).
  void Form_HotKey(int id);

  // Where a press pastes: a click on the bar brings back the window the
  // user typed in last; a press made while the window is in front (a key)
  // finds it there, and nothing is brought forward. A press that cannot
  // paste where it was made carries the reason, and nothing is typed.
  struct PressTarget {
    platform::WindowHandle window = 0;
    bool bringBack = true;
    const wchar_t* refusal = nullptr;
  };
  // A start tag to wrap around the target's selection, when it has one.
  struct Wrap {
    std::wstring start, end;
    bool wrapped = false;  // the selection was wrapped
  };

  // The paste sequence into TargetWindow (no trap of its own). False when
  // the keys were not sent (the user is shown why).
  bool PasteToTarget();
  // The paste sequence of the text on the clipboard into a target; with a
  // wrap, the target's selection is asked for just before the keys.
  bool PasteInto(const PressTarget& target, Wrap* wrap = nullptr);
  // Puts the tag of button Index on the clipboard for its value (already
  // toggled by the press) and pastes it into TargetWindow. A tag the target
  // did not get puts the value back, so the next press offers the same tag;
  // a button without an end tag goes back up once its tag is pasted, since
  // nothing is open, and so does one wrapped around a selection, since the
  // element is complete.
  void InsertTag(std::int16_t Index);
  void InsertTagInto(std::int16_t Index, const PressTarget& target);

 private:
  // A paste that cannot be typed: tells the user why, beside the bar, and
  // gives false.
  bool RefusePaste(const wchar_t* reason);
  // Asks the target in front for its selection and puts what the wrap
  // pastes on the clipboard; the reason when the keys cannot go on.
  const wchar_t* TakeSelection(platform::WindowHandle target, std::uint8_t ctrl,
                               Wrap& wrap);
  // Whether a press of button Index (its value toggled) asks the target
  // for its selection, to wrap the tags around it.
  bool WrapsSelection(std::int16_t Index, int value,
                      platform::WindowHandle target) const;
  void CreateControls();
  void BindEvents();
  // Claims the data folder; false when another bar has it (brought back, or
  // the user told it is in use).
  bool Claim(const std::wstring& folder);
  void SaveAtSessionEnd();
  // Loads tag.txt again when another program changed it and the bar holds
  // no change of its own; true when the table was replaced.
  bool ReloadChangedTagFile();
  // The same, and the bar then shows the buttons of the file.
  void TakeChangedTagFile();
  // ConfigureButtons with the keys that press the buttons.
  void ShowButtons();
  // The keys from every program (hotkeys.cpp): taken as the option says,
  // at start and when the settings dialog closes, and given back while it
  // is open and when the bar closes.
  void ApplyHotKeys();
  void TakeHotKeys();
  void ReleaseHotKeys();
  // The name of the key each slot's button is pressed with (empty: none).
  std::vector<std::wstring> KeyNames() const;
  void ShowKeyTips();
  // Where a key's press pastes, by the window in front.
  PressTarget HotKeyTarget() const;
  // Marks the bar busy for a scope: a press, the table button, the dialog
  // or the close runs, and a key's press that comes meanwhile is dropped.
  class Busy {
   public:
    explicit Busy(frmStrell& bar);
    ~Busy();
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    frmStrell& bar_;
  };
  // The resize rule: grows the bar until its client area holds every
  // button, within the work area of its monitor; never shrinks it.
  void GrowToFitButtons();
  // Puts the bar in the topmost group or takes it out, as BarTopMost says.
  void ApplyTopMost();
  // Table button: asks for a count; nothing when the user gave up.
  std::optional<std::int16_t> AskCount(const std::wstring& prompt,
                                       const std::wstring& retryPrompt,
                                       const std::wstring& title);
  std::wstring AskKeepingTarget(const std::wstring& prompt,
                                const std::wstring& title);
  // Stores a new Left and Top for the dragged button, saves and relayouts.
  void PlaceDraggedButton(std::int16_t left, std::int16_t top);

  std::unique_ptr<platform::Form> form_;
  // Gives the clipboard back after pastes, when the option is on.
  ClipboardKeeper keeper_;
  // The settings dialog while it is open.
  frmSetup* openDialog_ = nullptr;
  // The keys the bar holds, by slot.
  std::bitset<hotkeys::kKeys> keysTaken_;
  int busy_ = 0;          // Busy scopes open
  bool closing_ = false;  // the bar's close has begun
};
