// The settings dialog window and its opening and closing.
#include "setup/frmSetup.h"

#include "store/modPublic.h"

using namespace modPublic;

namespace {

constexpr float kClientWidth = 6660;
constexpr float kClientHeight = 6840;

platform::FormArgs DialogArgs() {
  platform::FormArgs args;
  args.caption = L"設定";
  args.minButton = false;
  args.maxButton = false;
  args.centerOnScreen = true;
  return args;
}

platform::CommandButtonArgs CloseButtonArgs() {
  platform::CommandButtonArgs args;
  args.left = 5280;
  args.top = 6360;
  args.width = 1215;
  args.height = 375;
  args.caption = L"閉じる";
  return args;
}

}  // namespace

frmSetup::frmSetup() : form_(platform::CreateForm(DialogArgs())) {
  // The frame depends on the window system: size the outer window so the
  // client area comes out exactly as designed.
  form_->SetWidth(form_->Width() - form_->ScaleWidth() + kClientWidth);
  form_->SetHeight(form_->Height() - form_->ScaleHeight() + kClientHeight);
  CreateControls();
  BindEvents();
}

void frmSetup::CreateControls() {
  cmdClose = &form_->AddCommandButton(CloseButtonArgs());
}

void frmSetup::BindEvents() {
  form_->Unload = [this] { Form_Unload(); };
  cmdClose->Click = [this] { cmdClose_Click(); };
}

void frmSetup::ShowModal() { form_->ShowModal(); }

// Every way of closing applies everything: the table options go to
// setup.ini and the tag table to tag.txt.
void frmSetup::Form_Unload() {
  ErrorTrap(L"設定画面を閉じる時", [] {
    WriteTableSettings();
    SaveTagFile();
  });
}

void frmSetup::cmdClose_Click() {
  ErrorTrap(L"設定の｢閉じる｣ボタンのクリック時", [&] { form_->Close(); });
}
