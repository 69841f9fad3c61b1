// Keys taken from every program: registering them, the presses that wait
// in the queue, the keyboard layouts that type with Ctrl+Alt, and the
// key that keeps a released Alt from opening a menu.
#include <string>

#include "platform/hotkey_rules.h"
#include "platform/system.h"
#include "platform/win32/base_win32.h"
#include "runtime/vb.h"

namespace platform {
namespace {

// ToUnicodeEx leaves the keyboard state (a pending dead key) as it was
// (Windows 10 1607 and later).
constexpr UINT kKeepKeyboardState = 0x4;
// A virtual-key code that Windows leaves unassigned: no program gives it a
// meaning, and no layout a character.
constexpr std::uint8_t kUnassignedKey = 0xE8;

std::vector<LayoutId> InstalledLayouts() {
  std::vector<HKL> hkls(
      static_cast<std::size_t>(std::max(0, GetKeyboardLayoutList(0, nullptr))));
  const int n =
      GetKeyboardLayoutList(static_cast<int>(hkls.size()), hkls.data());
  std::vector<LayoutId> layouts;
  for (int i = 0; i < n; ++i)
    layouts.push_back(reinterpret_cast<LayoutId>(hkls[i]));
  return layouts;
}

// What the layout types for the key with Ctrl and Alt held (the state AltGr
// gives on the layouts that have it).
Typed TypeWithCtrlAltOn(LayoutId layout, std::uint8_t vk) {
  HKL hkl = reinterpret_cast<HKL>(layout);
  BYTE state[256] = {};
  for (int held : {VK_CONTROL, VK_LCONTROL, VK_MENU, VK_LMENU})
    state[held] = 0x80;
  wchar_t chars[8] = {};
  const UINT scan = MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, hkl);
  const int result =
      ToUnicodeEx(vk, scan, state, chars, 8, kKeepKeyboardState, hkl);
  return {result, chars[0]};
}

}  // namespace

bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers,
                    std::uint8_t vk) {
  if (::RegisterHotKey(reinterpret_cast<HWND>(window), id, modifiers, vk))
    return true;
  const DWORD error = GetLastError();
  if (error == ERROR_HOTKEY_ALREADY_REGISTERED) return false;
  throw vb::RuntimeError(vb::kInvalidCall,
                         L"キーを登録できませんでした（Windows のエラー " +
                             std::to_wstring(error) + L"）。");
}

void UnregisterHotKey(WindowHandle window, int id) {
  ::UnregisterHotKey(reinterpret_cast<HWND>(window), id);
}

void DropPendingHotKeys(WindowHandle window) {
  MSG msg;
  while (PeekMessageW(&msg, reinterpret_cast<HWND>(window), WM_HOTKEY,
                      WM_HOTKEY, PM_REMOVE)) {
  }
}

std::vector<std::uint8_t> KeysTypingWithCtrlAlt(
    const std::vector<std::uint8_t>& keys) {
  return KeysTypingWithCtrlAlt(InstalledLayouts(), keys, TypeWithCtrlAltOn);
}

void KeepAltFromOpeningMenu() {
  if (GetAsyncKeyState(VK_MENU) >= 0) return;
  SendKeys({{kUnassignedKey, false}, {kUnassignedKey, true}});
}

}  // namespace platform
