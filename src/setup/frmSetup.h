// The settings dialog: a modal window that edits the buttons and the
// options in memory and writes the table options and the tag table when it
// closes.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

class frmSetup {
 public:
  frmSetup();
  // Shows the dialog modally; returns when it has closed.
  void ShowModal();

  platform::Form& form() { return *form_; }

  // Controls.
  platform::CommandButton* cmdClose = nullptr;

  // Event handlers, each under its own error trap.
  void Form_Unload();
  void cmdClose_Click();

 private:
  void CreateControls();
  void BindEvents();

  std::unique_ptr<platform::Form> form_;
};
