// The bar: its controls, start-up, size rule, activation, shutdown, the
// settings button, the target-window timer and the tag-button click.
#include "bar/frmStrell.h"

#include <algorithm>

#include "bar/selection.h"
#include "setup/frmSetup.h"
#include "store/ansi_text.h"

using namespace modPublic;

namespace {

constexpr float kSmallButton = 400;

platform::FormArgs BarArgs() {
  platform::FormArgs args;
  args.caption = L"Pinrow";
  args.toolWindow = true;
  args.sizable = true;  // the user drags the edge to make room
  args.minButton = false;
  args.maxButton = false;
  return args;
}

platform::ToggleButtonArgs TagButtonArgs() {
  platform::ToggleButtonArgs args;
  args.visible = false;
  args.enabled = false;
  args.font = {L"ＭＳ Ｐゴシック", 9, true, 128};
  return args;
}

// The tooltip is the button's name too, for screen readers.
platform::PictureButtonArgs SmallButtonArgs(float left, platform::Picture pic,
                                            const wchar_t* name, int tabIndex) {
  platform::PictureButtonArgs args;
  args.left = left;
  args.top = 0;
  args.width = kSmallButton;
  args.height = kSmallButton;
  args.picture = pic;
  args.toolTip = name;
  args.name = name;
  args.tabIndex = tabIndex;
  return args;
}

// The text a press pastes: the start tag when the button went down, else the
// end tag, or the start tag again for an element without an end tag.
std::wstring TagTextFor(std::int16_t Index, int value) {
  const vb::Variant& tagE = TagTable(Index, colTagE);
  if (value == 1 || tagE.IsBlank()) return vb::CStr(TagTable(Index, colTagS));
  return vb::CStr(tagE);
}

// The bar's client size as recorded: whole twips, and no more than 32767,
// the largest size a button's place and size can reach.
std::int16_t ClientTwips(float twips) {
  return vb::ToInt16(std::min(static_cast<double>(twips), 32767.0));
}

}  // namespace

frmStrell::frmStrell() : form_(platform::CreateForm(BarArgs())) {
  CreateControls();
  BindEvents();
}

void frmStrell::CreateControls() {
  // Tab order: the table button first, the tag buttons by their No, the
  // settings button last.
  cmdTableSet = &form_->AddPictureButton(SmallButtonArgs(
      kSmallButton, platform::Picture::Table, L"テーブルタグ書込み", 0));
  for (int i = 0; i < kButtonSlots; ++i) {
    Check.push_back(&form_->AddToggleButton(TagButtonArgs()));
    Check.back()->SetTabIndex(i + 1);
  }
  cmdSetup = &form_->AddPictureButton(SmallButtonArgs(
      0, platform::Picture::Settings, L"設定", kButtonSlots + 1));
  Timer1 = &form_->AddTimer();
  Timer1->SetInterval(0);
  tmrRestore = &form_->AddTimer();
  tmrRestore->SetInterval(0);
}

void frmStrell::BindEvents() {
  for (std::size_t n = 0; n < Check.size(); ++n) {
    const auto i = static_cast<std::int16_t>(n);
    platform::ToggleButton& b = *Check[n];
    b.Click = [this, i] { Check_Click(i); };
    b.KeyDown = [this, i](int k, int s) { Check_KeyDown(i, k, s); };
    b.KeyUp = [this, i](int k, int s) { Check_KeyUp(i, k, s); };
    b.MouseDown = [this, i](int btn, int s, float x, float y) {
      Check_MouseDown(i, btn, s, x, y);
    };
    b.DragOver = [this, i](platform::Control& src, float x, float y, int st) {
      Check_DragOver(i, src, x, y, st);
    };
    b.DragDrop = [this, i](platform::Control& src, float x, float y) {
      Check_DragDrop(i, src, x, y);
    };
  }
  cmdSetup->Click = [this] { cmdSetup_Click(); };
  cmdTableSet->Click = [this] { cmdTableSet_Click(); };
  Timer1->Tick = [this] { Timer1_Timer(); };
  tmrRestore->Tick = [this] { tmrRestore_Timer(); };
  form_->Resize = [this] { Form_Resize(); };
  form_->Activate = [this] { Form_Activate(); };
  form_->AppActivate = [this] { Form_AppActivate(); };
  form_->Unload = [this] { Form_Unload(); };
  form_->HotKey = [this](int id) { Form_HotKey(id); };
  form_->DragDrop = [this](platform::Control& src, float x, float y) {
    Form_DragDrop(src, x, y);
  };
}

frmStrell::~frmStrell() { platform::OnSessionEnd(nullptr); }

// Two bars on the same files would overwrite each other's changes, so the
// folder of the files is claimed first; a second start brings the running
// bar back instead. What killed saves left is tidied, and what the end of
// the last session could not save is offered back, before anything is
// read. At the end of the session Windows ends the program without closing
// its windows: the bar closes itself then, so its close saves what the user
// changed.
bool frmStrell::LoadAndShow() {
  ResetSharedState();
  DataFolderChoice choice;
  CatchRuntimeError(
      [&] {
        choice = ChooseDataFolder();
        PrepareDataFolder(choice);
      },
      [](std::int32_t, const std::wstring&) {});
  if (!choice.folder.empty() && !Claim(choice.folder)) return false;
  CatchRuntimeError(
      [&] {
        UseDataFolder(choice);
        TidyKilledSaves(DataFolder());
        OfferRecovery();
      },
      [](std::int32_t, const std::wstring&) {});
  platform::RegisterForRestart();
  platform::OnSessionEnd([this] { SaveAtSessionEnd(); });
  Form_Load();
  // Showing makes the controls' windows; a window the system refuses is
  // reported like an error of the load, and the bar still opens.
  ErrorTrap(L"フォームを読み込んだ時", [&] { form_->Show(); });
  ErrorTrap(L"フォームを読み込んだ時", [&] { ApplyHotKeys(); });
  return true;
}

bool frmStrell::Claim(const std::wstring& folder) {
  switch (platform::ClaimInstance(folder, form_->hWnd())) {
    case platform::Claim::kOurs:
      return true;
    case platform::Claim::kInUse:
      platform::MsgBox(
          L"このフォルダーのボタンと設定は、ほかの Pinrow が使用中です。",
          platform::kExclamation, L"Pinrow");
      return false;
    default:
      return false;
  }
}

// Windows waits for the saves only a few seconds, and shows the reason to a
// user who waits.
void frmStrell::SaveAtSessionEnd() {
  const platform::WindowHandle bar = form_->hWnd();
  BeginSessionEndSaves();
  platform::BlockShutdown(bar, L"ボタンと設定を保存しています");
  form_->Close();
  platform::UnblockShutdown(bar);
}

void frmStrell::Form_Load() {
  ErrorTrap(L"フォームを読み込んだ時", [&] {
    BarClientHeight = ClientTwips(form_->ScaleHeight());
    BarClientWidth = ClientTwips(form_->ScaleWidth());
    TagTable.Resize(kButtonSlots, kTagColumns);
    TagTableLoaded = false;  // a fresh table holds nothing of tag.txt yet
    CreateSetupFile();
    const ini::IniFile setup = ReadSetupFile();  // one read for every key
    BarGeometry place;
    ReadSettings(setup, SetupSaver::kBarClose, &place);
    form_->SetHeight(place.height);
    form_->SetWidth(place.width);
    form_->SetTop(place.top);
    form_->SetLeft(place.left);
    ReadSettings(setup, SetupSaver::kDialogClose);
    ApplyTopMost();
    LoadTagFile();
    ShowButtons();
    ComputeButtonExtents();
  });
}

// The buttons registered in the settings dialog may reach past the bar's
// edge; the bar grows to show them, as at start-up. A tag.txt that another
// program changed while the dialog was open is loaded again.
void frmStrell::Form_Activate() {
  ErrorTrap(L"フォームがアクティブになった時", [&] {
    ReloadChangedTagFile();
    ShowButtons();
    ComputeButtonExtents();
    GrowToFitButtons();
    // A negative interval (hand-edited file) stops the timer like 0.
    Timer1->SetInterval(std::max<int>(0, GetWindowTime));
  });
}

// The user comes back from another program, perhaps from editing tag.txt.
void frmStrell::Form_AppActivate() {
  ErrorTrap(L"フォームがアクティブになった時", [&] { TakeChangedTagFile(); });
}

void frmStrell::TakeChangedTagFile() {
  if (!ReloadChangedTagFile()) return;
  ShowButtons();
  ComputeButtonExtents();
  GrowToFitButtons();
}

void frmStrell::ShowButtons() { ConfigureButtons(Check, KeyNames()); }

// A tag.txt another program changed is loaded again while the bar holds no
// change of its own (the dialog, while on the screen, holds the table). The
// slots the file no longer fills are hidden again, as at start.
bool frmStrell::ReloadChangedTagFile() {
  if ((openDialog_ && openDialog_->form().Visible()) ||
      !TagFileChangedOutside() || TagTableChanged() || !ReloadTagFile())
    return false;
  for (int i = TagCount; i < static_cast<int>(Check.size()); ++i) {
    Check[i]->SetVisible(false);
    Check[i]->SetEnabled(false);
  }
  return true;
}

// The bar grows to hold its buttons, but never past the work area of its
// monitor: it keeps its place, so its title bar and close box stay on the
// screen; a button beyond the edge is reached through the dialog.
void frmStrell::GrowToFitButtons() {
  const platform::ScreenArea area = form_->WorkArea();
  if (form_->ScaleWidth() < MaxButtonRight) {
    const float wanted = form_->Width() - form_->ScaleWidth() + MaxButtonRight;
    const float width = std::min(wanted, area.right - form_->Left());
    if (width > form_->Width()) form_->SetWidth(width);
  }
  if (form_->ScaleHeight() < MaxButtonBottom) {
    const float wanted =
        form_->Height() - form_->ScaleHeight() + MaxButtonBottom;
    const float height = std::min(wanted, area.bottom - form_->Top());
    if (height > form_->Height()) form_->SetHeight(height);
  }
}

void frmStrell::Form_Resize() {
  ErrorTrap(L"フォームのサイズを変更した時", [&] {
    GrowToFitButtons();
    BarClientHeight = ClientTwips(form_->ScaleHeight());
    BarClientWidth = ClientTwips(form_->ScaleWidth());
  });
}

// Windows may close the bar while the settings dialog is open (a tool that
// ends the program, the end of the session): the dialog takes its values
// back and saves first, so the bar's save holds them. The settings are
// written in one save; when the user gives it up, the buttons are still
// saved.
void frmStrell::Form_Unload() {
  const Busy busy(*this);
  closing_ = true;
  ReleaseHotKeys();  // other programs have them back at once
  if (openDialog_) openDialog_->form().Close();
  // A clipboard given back at the end still holds what the user had.
  ErrorTrap(L"フォームを閉じる時", [&] {
    tmrRestore->SetInterval(0);
    keeper_.RestoreNow();
  });
  ErrorTrap(L"フォームを閉じる時", [&] {
    const BarGeometry place{form_->Height(), form_->Width(), form_->Top(),
                            form_->Left()};
    SetupSave save;
    WriteSettings(save, SetupSaver::kBarClose, &place);
    save.Commit();
    SaveTagFile();
  });
}

// The keys are given back while the dialog is open, so they type in it and
// in other programs, and taken again as the dialog's option says.
void frmStrell::cmdSetup_Click() {
  ErrorTrap(L"｢設定｣ボタンをクリックした時", [&] {
    const Busy busy(*this);
    ReleaseHotKeys();
    frmSetup dialog;
    openDialog_ = &dialog;
    struct Closed {
      frmSetup*& open;
      ~Closed() { open = nullptr; }
    } closed{openDialog_};
    dialog.ShowModal();
    ApplyTopMost();
    ApplyHotKeys();
  });
}

// In the topmost group the bar stays reachable over a maximised editor; a
// paste takes only the target out of that group again.
void frmStrell::ApplyTopMost() {
  const platform::WindowHandle bar = form_->hWnd();
  if (BarTopMost == platform::IsTopmost(bar)) return;
  platform::SetWindowPos(
      bar, BarTopMost ? platform::kHwndTopmost : platform::kHwndNoTopmost, 0, 0,
      0, 0,
      platform::kSwpNoSize | platform::kSwpNoMove | platform::kSwpNoActivate);
}

// Remembers the last window of another program that was in front, so a
// press pastes there. The program's own windows (the bar, the settings
// dialog, the input boxes) never become the target, nor do the shell's
// surfaces (the desktop, Start, Search ...): the target then stays.
void frmStrell::Timer1_Timer() {
  ErrorTrap(L"タイマーイベント時", [&] {
    const platform::WindowHandle h = platform::GetForegroundWindow();
    if (h == 0 || h == TargetWindow || h == form_->hWnd() ||
        platform::IsOwnWindow(h))
      return;
    if (platform::MayBeTarget(h)) TargetWindow = h;
  });
}

void frmStrell::Check_Click(std::int16_t Index) {
  const Busy busy(*this);
  ErrorTrap(L"タグボタンのクリック時", [&] { InsertTag(Index); });
}

void frmStrell::InsertTag(std::int16_t Index) {
  InsertTagInto(Index, {TargetWindow, true});
}

// The tag is on the clipboard before anything is done to the target, so a
// refusal leaves it there, as the notice says.
void frmStrell::InsertTagInto(std::int16_t Index, const PressTarget& target) {
  platform::ToggleButton& button = ButtonAt(Check, Index);
  const int value = button.Value();
  Wrap wrap;
  wrap.start = ansi::Readable(TagTextFor(Index, value));
  keeper_.BeforePaste(RestoreClipboard);
  keeper_.Put(wrap.start);
  const bool asks =
      !target.refusal && WrapsSelection(Index, value, target.window);
  if (asks) wrap.end = ansi::Readable(vb::CStr(TagTable(Index, colTagE)));
  if (!PasteInto(target, asks ? &wrap : nullptr))
    button.SetValue(1 - value);
  else if (wrap.wrapped || TagTable(Index, colTagE).IsBlank())
    button.SetValue(0);
}

bool frmStrell::WrapsSelection(std::int16_t Index, int value,
                               platform::WindowHandle target) const {
  selection::Press press;
  press.optionOn = WrapSelection;
  press.pasteShiftKey = PasteShiftKey;
  press.pasteKey = PasteKey;
  press.startTag = value == 1;
  press.hasEndTag = !TagTable(Index, colTagE).IsBlank();
  press.terminal = press.optionOn && platform::InspectWindow(target).terminal;
  return selection::AsksForSelection(press);
}

// Shift held while pressing the mouse arms the button for dragging.
void frmStrell::Check_MouseDown(std::int16_t Index, int, int Shift, float,
                                float) {
  ErrorTrap(L"タグボタンのマウスボタンを押した時", [&] {
    if (Shift & platform::kShiftMask)
      ButtonAt(Check, Index).SetDragMode(platform::DragMode::Automatic);
  });
}

// Releasing any key disarms dragging again.
void frmStrell::Check_KeyUp(std::int16_t Index, int, int) {
  ErrorTrap(L"タグボタンのキーを離した時", [&] {
    ButtonAt(Check, Index).SetDragMode(platform::DragMode::Manual);
  });
}
