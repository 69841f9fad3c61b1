// A form's keyboard interface, as a dialog has it: Tab and Shift+Tab through
// the tab order, Ctrl+Tab (Ctrl+PgDn) and Ctrl+Shift+Tab (Ctrl+PgUp) through
// the pages of its tab control, Enter for the default button and Esc for
// the cancel button. The message pump offers every key to PreTranslate
// before the system's dialog navigation sees it.
#include <algorithm>
#include <vector>

#include "platform/win32/controls_win32.h"

namespace platform::win32 {
namespace {

// Whether a window's drop-down list is open (Esc then closes the list).
bool ListDropped(HWND h) {
  return h && SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

}  // namespace

// The controls the Tab key visits, in tab order: TabIndex, then the order
// of adding. The stacking of the windows plays no part.
std::vector<ChildWindow*> Win32Form::TabOrder() const {
  std::vector<ChildWindow*> order;
  for (const auto& c : controls_)
    if (c->tabStop() && c->Reachable()) order.push_back(c.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const ChildWindow* a, const ChildWindow* b) {
                     return a->tabIndex() < b->tabIndex();
                   });
  return order;
}

ChildWindow* Win32Form::FocusedChild() const {
  for (HWND h = GetFocus(); h && h != hwnd_; h = GetParent(h)) {
    auto* c = ObjectOf<ChildWindow>(h);
    if (c && &c->form() == this) return c;
  }
  return nullptr;
}

void Win32Form::FocusFirst() {
  std::vector<ChildWindow*> order = TabOrder();
  ::SetFocus(order.empty() ? hwnd_ : order.front()->hwnd());
}

bool Win32Form::TabTo(bool backwards) {
  std::vector<ChildWindow*> order = TabOrder();
  if (order.empty()) return false;
  auto at = std::find(order.begin(), order.end(), FocusedChild());
  std::size_t n = order.size(), i;
  if (at == order.end())
    i = backwards ? n - 1 : 0;
  else
    i = (static_cast<std::size_t>(at - order.begin()) +
         (backwards ? n - 1 : 1)) %
        n;
  HWND next = order[i]->hwnd();
  ShowFocusCues();
  ::SetFocus(next);
  if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
    SendMessageW(next, EM_SETSEL, 0, -1);
  return true;
}

// Ctrl+Tab and Ctrl+Shift+Tab (or Ctrl+PgDn and Ctrl+PgUp) go to the next
// or previous page of the form's tab control.
bool Win32Form::CycleTabPages(bool backwards) {
  for (const auto& c : controls_) {
    auto* tabs = dynamic_cast<TabControl*>(&c->AsControl());
    if (!tabs || !c->Reachable() || tabs->Tabs() == 0) continue;
    const int n = tabs->Tabs();
    tabs->SetTab((tabs->Tab() + (backwards ? n - 1 : 1)) % n);
    ShowFocusCues();
    return true;
  }
  return false;
}

void Win32Form::ShowFocusCues() {
  SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS),
               0);
}

ChildWindow* Win32Form::ButtonWithRole(bool cancel) const {
  for (const auto& c : controls_)
    if (IsRoleButton(*c, cancel) && c->Reachable()) return c.get();
  return nullptr;
}

bool Win32Form::PressRole(bool cancel) {
  ChildWindow* b = ButtonWithRole(cancel);
  if (!b) return false;
  Fire(static_cast<CommandButton&>(b->AsControl()).Click);
  return true;
}

bool Win32Form::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || drag_.Active()) return false;
  if (ModifierHeld(VK_MENU)) return false;
  const bool ctrl = ModifierHeld(VK_CONTROL), shift = ModifierHeld(VK_SHIFT);
  switch (msg.wParam) {
    case VK_TAB:
      return ctrl ? CycleTabPages(shift) : TabTo(shift);
    case VK_PRIOR:
    case VK_NEXT:
      return ctrl && CycleTabPages(msg.wParam == VK_PRIOR);
    case VK_ESCAPE:
      return !ListDropped(GetFocus()) && PressRole(true);
    default:
      return false;
  }
}

// Enter presses the default button: the system's dialog navigation asks the
// form for it.
LRESULT Win32Form::DefaultButtonId() const {
  ChildWindow* b = ButtonWithRole(false);
  return b ? MAKELRESULT(GetDlgCtrlID(b->hwnd()), DC_HASDEFID) : 0;
}

}  // namespace platform::win32
