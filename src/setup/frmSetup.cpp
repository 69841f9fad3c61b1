// The settings dialog window: its opening, which shows the shared state in
// the controls, and its closing, which takes the options back and writes
// the table options and the tag table. Also the option pages' own events.
#include "setup/frmSetup.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/trace.h"
#include "store/modPublic.h"

using namespace modPublic;

namespace {

constexpr float kClientWidth = 6660;
constexpr float kClientHeight = 6840;

// The paste timings the scroll bars offer, milliseconds.
constexpr std::int16_t kFastest = 10;
constexpr std::int16_t kSlowest = 990;

// The modifier choices and the virtual-key codes the paste sends for them
// (stored as PShiftKey, so they stay as they are).
struct ShiftChoice {
  const wchar_t* item;
  std::int32_t code;
};
constexpr ShiftChoice kShiftChoices[] = {
    {L"(なし)", 0}, {L"Shift", 246}, {L"Ctrl", 162}, {L"Alt", 163}};

platform::FormArgs DialogArgs() {
  PINROW_MARK("dialog: begin");
  platform::FormArgs args;
  args.caption = L"設定";
  args.minButton = false;
  args.maxButton = false;
  args.centerOnScreen = true;
  return args;
}

const wchar_t* FlagText(const platform::CheckBox& box) {
  return box.Value() == 1 ? L"-1" : L"0";
}

void SetUpScrollBar(platform::VScrollBar& bar, int top, int bottom,
                    int arrowStep, int pageStep) {
  bar.SetMin(top);
  bar.SetMax(bottom);
  bar.SetSmallChange(arrowStep);
  bar.SetLargeChange(pageStep);
}

// A stored timing the scroll bar can't take (a hand-edited setup.ini) is
// shown at the nearest end of the range, and closing then keeps that.
void ShowTiming(platform::VScrollBar& bar, platform::TextBox& box,
                std::int16_t ms) {
  const std::int16_t shown = std::clamp(ms, kFastest, kSlowest);
  bar.SetValue(shown);
  box.SetText(std::to_wstring(shown));
}

std::int16_t IntegerOf(const platform::TextBox& box) {
  return vb::CInt(vb::Variant(box.Text()));
}

}  // namespace

frmSetup::frmSetup() : form_(platform::CreateForm(DialogArgs())) {
  PINROW_MARK("dialog: form made");
  // The frame depends on the window system: size the outer window so the
  // client area comes out exactly as designed.
  form_->SetWidth(form_->Width() - form_->ScaleWidth() + kClientWidth);
  form_->SetHeight(form_->Height() - form_->ScaleHeight() + kClientHeight);
  CreateControls();
  PINROW_MARK("dialog: controls made");
  BindEvents();
}

void frmSetup::ShowModal() {
  Form_Load();
  PINROW_MARK("dialog: loaded");
  form_->ShowModal();
}

void frmSetup::Form_Load() {
  ErrorTrap(L"設定画面を開いた時", [&] {
    intListCount = static_cast<std::int16_t>(txtListNo.UBound());
    intNowRowNo = 0;
    SSTab1->SetTab(0);
    vscList->SetMin(0);
    SetUpListScrollBar();
    vscList->SetValue(0);
    vscList->SetSmallChange(1);
    vscList->SetLargeChange(intListCount);
    // Geometry grows towards the top end: the arrows step 100 twips.
    SetUpScrollBar(*vscInputWidth, 20000, 100, 100, 1);
    SetUpScrollBar(*vscInputHeight, 20000, 100, 100, 1);
    SetUpScrollBar(*vscInputTop, 20000, 0, 100, 1);
    SetUpScrollBar(*vscInputLeft, 20000, 0, 100, 1);
    LoadOptionPages();
    FillButtonList(intNowRowNo);
    LoadInputFields(intNowRowNo);
    HighlightListRow(intNowRowNo);
  });
}

// The paste options, the table options and the version.
void frmSetup::LoadOptionPages() {
  SetUpScrollBar(*vscGetWindowTime, kSlowest, kFastest, 10, 1);
  for (int i = 0; i <= vscDelay.UBound(); ++i)
    SetUpScrollBar(vscDelay(i), kSlowest, kFastest, 10, 1);

  int shift = 0;  // any code without a choice of its own shows as none
  for (int i = 0; i < static_cast<int>(std::size(kShiftChoices)); ++i) {
    cmbPasteShift->AddItem(kShiftChoices[i].item);
    if (kShiftChoices[i].code == PasteShiftKey) shift = i;
  }
  cmbPasteShift->SetListIndex(shift);
  shownShiftIndex_ = shift;
  int key = -1;
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    cmbPasteKey->AddItem(std::wstring(1, letter));
    if (PasteKey == std::wstring(1, letter)) key = letter - L'A';
  }
  // A stored key that is not a letter shows the default.
  cmbPasteKey->SetListIndex(key >= 0 ? key : kDefaultPasteKey[0] - L'A');

  ShowTiming(*vscGetWindowTime, *txtGetWindowTime, GetWindowTime);
  for (int i = 0; i <= vscDelay.UBound(); ++i)
    ShowTiming(vscDelay(i), txtDelay(i), Delay[i]);
  for (const OptionBox& option : OptionBoxes())
    if (*option.setting) option.box->SetValue(1);

  for (int e = elTable; e <= elTD; ++e) {
    txtQuality(e).SetText(vb::CStr(TableMarkupSettings(e, propQuality)));
    if (DialogFlagSet(TableMarkupSettings(e, propVisible)))
      chkVisiblechk(e).SetValue(1);
    if (DialogFlagSet(TableMarkupSettings(e, propEnter)))
      chkEnter(e).SetValue(1);
  }
  optionsShown_ = true;

  lblVersion->SetCaption(L"Ver. " + std::to_wstring(version_.major) + L"." +
                         std::to_wstring(version_.minor) + L"." +
                         std::to_wstring(version_.revision));
}

// Every way of closing applies everything: the options go back into memory,
// the table options to setup.ini and the tag table to tag.txt.
void frmSetup::Form_Unload() {
  ErrorTrap(L"設定画面を閉じる時", [&] {
    if (optionsShown_) TakeBackOptions();
    WriteTableSettings();
    SaveTagFile();
  });
}

void frmSetup::TakeBackOptions() {
  PasteKey = cmbPasteKey->Text();
  // A code the list does not offer (a setup.ini edited by hand) shows as
  // "(なし)" and stays as it was unless the user chose another item.
  if (cmbPasteShift->ListIndex() != shownShiftIndex_) {
    PasteShiftKey = 0;
    for (const ShiftChoice& choice : kShiftChoices)
      if (cmbPasteShift->Text() == choice.item) PasteShiftKey = choice.code;
  }
  // Every flag goes back as the text "-1" or "0", the disabled ones too.
  for (int e = elTable; e <= elTD; ++e) {
    TableMarkupSettings(e, propQuality) = txtQuality(e).Text();
    TableMarkupSettings(e, propVisible) = FlagText(chkVisiblechk(e));
    TableMarkupSettings(e, propEnter) = FlagText(chkEnter(e));
  }
  GetWindowTime = IntegerOf(*txtGetWindowTime);
  for (int i = 0; i <= txtDelay.UBound(); ++i)
    Delay[i] = IntegerOf(txtDelay(i));
  for (const OptionBox& option : OptionBoxes())
    *option.setting = option.box->Value() == 1;
}

std::vector<frmSetup::OptionBox> frmSetup::OptionBoxes() const {
  return {{chkTopMost, &BarTopMost},
          {chkWrapSelection, &WrapSelection},
          {chkRestoreClipboard, &RestoreClipboard},
          {chkHotKeys, &HotKeys}};
}

void frmSetup::cmdClose_Click() {
  ErrorTrap(L"設定の｢閉じる｣ボタンのクリック時", [&] { form_->Close(); });
}

// Opens the guide when it is there; whether the shell managed is not
// examined.
void frmSetup::lblURL_Click() {
  ErrorTrap(L"設定のURLクリック時", [&] {
    if (!guide_.empty())
      platform::ShellOpen(form_->hWnd(), guide_, platform::AppPath());
  });
}

void frmSetup::vscGetWindowTime_Change() {
  ErrorTrap(L"設定のウィンドの取得時間のスクロールバーを変更した時", [&] {
    txtGetWindowTime->SetText(std::to_wstring(vscGetWindowTime->Value()));
  });
}

void frmSetup::vscDelay_Change(std::int16_t Index) {
  ErrorTrap(
      L"設定の｢ウィンドを切り替えてからショートカットキー押すまで｣の"
      L"スクロールバーを変更した時",
      [&] {
        txtDelay(Index).SetText(std::to_wstring(vscDelay(Index).Value()));
      });
}
