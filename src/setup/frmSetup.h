// The settings dialog: a modal window that edits the buttons and the
// options in memory and writes the table options and the tag table when it
// closes. Four pages: the button list with its input form, the table
// options, the paste options, and About.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/platform.h"

class frmSetup {
 public:
  // Creates the window and its controls in their design state (empty lists,
  // unticked boxes); nothing is read from the shared state yet.
  frmSetup();
  // Loads the dialog (Form_Load) and shows it modally, without an owner;
  // returns when it has closed.
  void ShowModal();

  platform::Form& form() { return *form_; }

  // ---- controls ------------------------------------------------------------
  platform::TabControl* SSTab1 = nullptr;
  platform::CommandButton* cmdClose = nullptr;

  // Page "一般": the input form of one button.
  platform::Label* Label5 = nullptr;
  platform::Shape* Shape1 = nullptr;
  platform::Label* Label6 = nullptr;
  platform::TextBox* txtInputCaption = nullptr;
  platform::Label* Label7 = nullptr;
  platform::TextBox* txtInputTagS = nullptr;
  platform::Label* Label8 = nullptr;
  platform::TextBox* txtInputTagE = nullptr;
  platform::Label* Label16 = nullptr;
  platform::Label* Label10 = nullptr;
  platform::Label* Label1 = nullptr;
  platform::TextBox* txtInputWidth = nullptr;
  platform::VScrollBar* vscInputWidth = nullptr;
  platform::Label* Label2 = nullptr;
  platform::TextBox* txtInputHeight = nullptr;
  platform::VScrollBar* vscInputHeight = nullptr;
  platform::Label* Label9 = nullptr;
  platform::Label* Label3 = nullptr;
  platform::TextBox* txtInputTop = nullptr;
  platform::VScrollBar* vscInputTop = nullptr;
  platform::Label* Label4 = nullptr;
  platform::TextBox* txtInputLeft = nullptr;
  platform::VScrollBar* vscInputLeft = nullptr;
  platform::CommandButton* cmdSave = nullptr;
  platform::CommandButton* cmdDelete = nullptr;
  platform::TextBox* txtInputNo = nullptr;  // hidden: empty for a new button

  // Page "一般": the button list, five rows with a scroll bar.
  platform::TextBox* Text9 = nullptr;
  platform::TextBox* txtListNo_Caption = nullptr;
  platform::TextBox* txtListCaption_Caption = nullptr;
  platform::TextBox* txtListTagS_Caption = nullptr;
  platform::TextBox* txtListTagE_Caption = nullptr;
  platform::ControlArray<platform::TextBox> txtListNo;
  platform::ControlArray<platform::TextBox> txtListCaption;
  platform::ControlArray<platform::TextBox> txtListTagS;
  platform::ControlArray<platform::TextBox> txtListTagE;
  platform::VScrollBar* vscList = nullptr;

  // Page "テーブル": one frame per element TABLE, CAPTION, TH, TR, TD.
  platform::ControlArray<platform::Frame> Frame1;
  platform::ControlArray<platform::Label> Label19;
  platform::ControlArray<platform::Label> Label17;
  platform::ControlArray<platform::Label> Label18;
  platform::ControlArray<platform::TextBox> txtQuality;
  platform::ControlArray<platform::CheckBox> chkEnter;
  platform::ControlArray<platform::CheckBox> chkVisiblechk;

  // Page "設定": the paste shortcut and the three timings.
  platform::Label* Label12 = nullptr;
  platform::DropDownList* cmbPasteShift = nullptr;
  platform::Label* Label11 = nullptr;
  platform::DropDownList* cmbPasteKey = nullptr;
  platform::Label* Label23 = nullptr;
  platform::TextBox* txtGetWindowTime = nullptr;
  platform::VScrollBar* vscGetWindowTime = nullptr;
  platform::Shape* Shape2 = nullptr;
  platform::Label* Label20 = nullptr;
  platform::Label* Label21 = nullptr;
  platform::Label* Label22 = nullptr;
  platform::ControlArray<platform::TextBox> txtDelay;
  platform::ControlArray<platform::VScrollBar> vscDelay;
  platform::CheckBox* chkTopMost = nullptr;
  platform::CheckBox* chkWrapSelection = nullptr;
  platform::CheckBox* chkRestoreClipboard = nullptr;
  platform::CheckBox* chkHotKeys = nullptr;

  // Page "About".
  platform::Image* Image1 = nullptr;
  platform::Label* Label13 = nullptr;
  platform::Label* lblVersion = nullptr;
  platform::Label* Label15 = nullptr;
  platform::Label* lblURL = nullptr;
  platform::Label* Label14 = nullptr;

  // ---- state of the list ---------------------------------------------------
  // Highest index of the list rows (4), read when the dialog opens.
  std::int16_t intListCount = 0;
  // The No of the selected row; 9999 for a blank row.
  std::int16_t intNowRowNo = 0;

  // ---- event handlers, each under its own error trap -----------------------
  void Form_Load();
  void Form_Unload();
  void cmdClose_Click();
  void lblURL_Click();
  void vscGetWindowTime_Change();
  void vscDelay_Change(std::int16_t Index);
  void vscList_Change();
  void txtListNo_GotFocus(std::int16_t Index);
  void txtListCaption_GotFocus(std::int16_t Index);
  void txtListTagS_GotFocus(std::int16_t Index);
  void txtListTagE_GotFocus(std::int16_t Index);
  void cmdSave_Click();
  void cmdDelete_Click();
  void vscInputWidth_Change();
  void vscInputHeight_Change();
  void vscInputTop_Change();
  void vscInputLeft_Change();

 private:
  // Layout of the window and of each page (setup_pages.cpp).
  void CreateControls();
  void CreateGeneralPage(platform::Container& page);
  void CreateButtonList(platform::Container& page);
  void CreateTablePage(platform::Container& page);
  void CreateSettingsPage(platform::Container& page);
  void CreateAboutPage(platform::Container& page);
  void BindEvents();

  // The option pages from and back into the shared state (frmSetup.cpp).
  void LoadOptionPages();
  void TakeBackOptions();
  // The check boxes of the "設定" page and the options they show.
  struct OptionBox {
    platform::CheckBox* box;
    bool* setting;
  };
  std::vector<OptionBox> OptionBoxes() const;

  // The button list (button_list.cpp).
  void SetUpListScrollBar();
  std::int16_t FirstListRow(std::int16_t start) const;
  void ShowListFrom(std::int16_t start);
  void FillButtonList(std::int16_t start);
  void LoadInputFields(std::int16_t row);
  void HighlightListRow(std::int16_t no);
  std::int16_t ListRowNo(std::int16_t k);
  void SelectListRow(std::int16_t k);

  // Registering and deleting (button_edit.cpp).
  void ShowInputError(platform::Control& field, const std::wstring& text);
  bool InputIsValid();
  bool JustDeleted() const;

  // The mouse wheel over the grid and the number boxes (setup_pages.cpp).
  void BindWheel();

  std::unique_ptr<platform::Form> form_;
  // Whether the opening got as far as showing the option values; until then
  // the controls hold nothing of them and closing must not take them back.
  bool optionsShown_ = false;
  // The modifier item the opening showed.
  int shownShiftIndex_ = -1;
  // When the last deletion ended (TickCount).
  std::optional<std::uint64_t> deletedAt_;
  // The program's version and texts, read once when the dialog is made.
  platform::VersionInfo version_ = platform::AppVersionInfo();
  // The guide beside the program, which the About page opens; empty when it
  // is not there.
  std::wstring guide_;
};
