// System services: the clipboard, windows of the desktop, synthetic keys,
// the shell, and the message pump.
#include <cstring>

#include "platform/win32/win32_internal.h"
#include "runtime/vb.h"

namespace platform {
namespace win32 {
namespace {

// A hidden message-only window that owns what the program puts on the
// clipboard (an owner-less clipboard may refuse SetClipboardData).
HWND ClipboardOwner() {
  static HWND owner =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                      GetModuleHandleW(nullptr), nullptr);
  return owner;
}

// Opens the clipboard, retrying briefly while another program holds it.
void OpenClipboardOrRaise() {
  constexpr int kTries = 10;
  for (int i = 0; i < kTries; ++i) {
    if (OpenClipboard(ClipboardOwner())) return;
    ::Sleep(5);
  }
  vb::Raise(vb::kClipboard);
}

// Keeps the clipboard open for one scope.
struct ClipboardSession {
  ClipboardSession() { OpenClipboardOrRaise(); }
  ~ClipboardSession() { CloseClipboard(); }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
};

HGLOBAL CopyToGlobal(const std::wstring& text) {
  size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) vb::Raise(vb::kOutOfMemory);
  void* target = GlobalLock(memory);
  std::memcpy(target, text.c_str(), bytes);
  GlobalUnlock(memory);
  return memory;
}

}  // namespace

namespace {

// The modifier keys held as the key messages taken from the queue so far
// say: the state that belongs to the key being handled. The system's own
// per-message state can lag behind under Wine when keys pile up while the
// program is busy (a page being built).
struct HeldModifiers {
  bool shift = false, ctrl = false, alt = false;
};
HeldModifiers held;

void Observe(const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (!down && !up) return;
  switch (msg.wParam) {
    case VK_SHIFT:
      held.shift = down;
      break;
    case VK_CONTROL:
      held.ctrl = down;
      break;
    case VK_MENU:
      held.alt = down;
      break;
  }
}

}  // namespace

bool ModifierHeld(int vk) {
  const bool tracked = vk == VK_SHIFT     ? held.shift
                       : vk == VK_CONTROL ? held.ctrl
                       : vk == VK_MENU    ? held.alt
                                          : false;
  return tracked || GetKeyState(vk) < 0;
}

void ForgetModifiers() { held = {}; }

namespace {

// The system gives the wheel to the window with the focus; the user means
// the one under the pointer. A disabled control there (a grid's header)
// gets it too, since it lies over the list the user means; a form that a
// modal box has disabled does not, nor another program's window.
void AimWheel(MSG& msg) {
  if (msg.message != WM_MOUSEWHEEL) return;
  const POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  HWND under = WindowFromPoint(screen);
  if (!under ||
      GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId())
    return;
  for (;;) {
    POINT p = screen;
    ScreenToClient(under, &p);
    HWND child = ChildWindowFromPointEx(under, p, CWP_SKIPINVISIBLE);
    if (!child || child == under) break;
    under = child;
  }
  if (IsWindowEnabled(GetAncestor(under, GA_ROOT))) msg.hwnd = under;
}

}  // namespace

void DispatchOne(MSG& msg) {
  Observe(msg);
  AimWheel(msg);
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  Win32Form* form = Win32Form::FromWindow(root);
  if (form && (form->PreTranslate(msg) || IsDialogMessageW(root, &msg))) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace win32

void ClipboardClear() {
  win32::ClipboardSession session;
  if (!EmptyClipboard()) vb::Raise(vb::kClipboard);
}

void ClipboardSetText(const std::wstring& text) {
  win32::ClipboardSession session;
  if (!EmptyClipboard()) vb::Raise(vb::kClipboard);
  HGLOBAL memory = win32::CopyToGlobal(text);
  if (!SetClipboardData(CF_UNICODETEXT, memory)) {
    GlobalFree(memory);
    vb::Raise(vb::kClipboard);
  }
}

std::uint64_t TickCount() { return GetTickCount64(); }

int DoubleClickTime() { return static_cast<int>(GetDoubleClickTime()); }

WindowHandle GetForegroundWindow() {
  return reinterpret_cast<WindowHandle>(::GetForegroundWindow());
}

bool IsOwnWindow(WindowHandle h) {
  DWORD process = 0;
  HWND hwnd = reinterpret_cast<HWND>(h);
  return hwnd && GetWindowThreadProcessId(hwnd, &process) &&
         process == GetCurrentProcessId();
}

bool SetWindowPos(WindowHandle h, WindowHandle insertAfter, int x, int y,
                  int cx, int cy, unsigned flags) {
  return ::SetWindowPos(reinterpret_cast<HWND>(h),
                        reinterpret_cast<HWND>(insertAfter), x, y, cx, cy,
                        flags) != FALSE;
}

void Sleep(int ms) { ::Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                std::uintptr_t extra) {
  keybd_event(vk, scan, flags, extra);
}

// The shell is loaded on first use: it is large, and the program needs it
// only when the user opens a web address, not to start. The wide-character
// call takes any folder name, also one the code page can't hold.
void ShellOpen(WindowHandle owner, const std::wstring& target,
               const std::wstring& directory) {
  using ShellExecuteFn =
      HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
  static HMODULE shell = LoadLibraryW(L"shell32.dll");
  auto execute = shell
                     ? reinterpret_cast<ShellExecuteFn>(reinterpret_cast<void*>(
                           GetProcAddress(shell, "ShellExecuteW")))
                     : nullptr;
  if (!execute) return;
  execute(reinterpret_cast<HWND>(owner), nullptr, target.c_str(), nullptr,
          directory.c_str(), SW_SHOWNORMAL);
}

void DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    win32::DispatchOne(msg);
  }
}

int RunMessageLoop() {
  if (!win32::Win32Form::AnyOpen()) return 0;
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) win32::DispatchOne(msg);
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace platform
