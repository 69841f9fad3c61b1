// Windows of other programs as paste targets: which may become the target,
// the facts a paste goes by, bringing one back, and the keys typed into it.
// Nothing here waits on another program without a limit.
#include <optional>
#include <vector>

#include "platform/system.h"
#include "platform/target_rules.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {

// DWMWA_CLOAKED of DwmGetWindowAttribute (Windows 8 and later).
constexpr DWORD kDwmCloaked = 14;

// The window is cloaked: the desktop window manager keeps it off the screen
// though it is "visible" (on another virtual desktop, a suspended app, a
// shell surface kept ready). Where the attribute is not known, none is.
bool Cloaked(HWND h) {
  using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const auto get = win32::SystemFunction<GetAttributeFn>(
      L"dwmapi.dll", "DwmGetWindowAttribute");
  DWORD cloaked = 0;
  return get && SUCCEEDED(get(h, kDwmCloaked, &cloaked, sizeof cloaked)) &&
         cloaked != 0;
}

// The process of a window, opened for what any program may ask of another
// (name, token); null when the system refuses.
HANDLE OpenWindowProcess(HWND h) {
  DWORD pid = 0;
  if (!GetWindowThreadProcessId(h, &pid) || !pid) return nullptr;
  return OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
}

// The file name of a window's program ("SearchHost.exe"); empty when unknown.
std::wstring ImageOf(HWND h) {
  HANDLE process = OpenWindowProcess(h);
  if (!process) return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  std::wstring image;
  if (QueryFullProcessImageNameW(process, 0, path, &size)) {
    image.assign(path, size);
    image.erase(0, image.find_last_of(L'\\') + 1);
  }
  CloseHandle(process);
  return image;
}

WindowTraits TraitsOf(HWND h) {
  WindowTraits w;
  wchar_t name[128] = {};
  GetClassNameW(h, name, 128);
  w.className = name;
  w.shellWindow = h == GetShellWindow() || h == GetDesktopWindow();
  w.cloaked = Cloaked(h);
  w.noActivate = (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0;
  return w;
}

bool MayBeTargetWindow(HWND h) {
  return MayBeTarget(TraitsOf(h), [h] { return ImageOf(h); });
}

// The integrity level of a process (its mandatory label's last part), or
// nothing when it cannot be read.
std::optional<DWORD> IntegrityOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!process || !OpenProcessToken(process, TOKEN_QUERY, &token))
    return std::nullopt;
  std::optional<DWORD> level;
  DWORD bytes = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &bytes);
  std::vector<BYTE> buffer(bytes);
  if (bytes && GetTokenInformation(token, TokenIntegrityLevel, buffer.data(),
                                   bytes, &bytes)) {
    PSID sid =
        reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
  }
  CloseHandle(token);
  return level;
}

// User Interface Privilege Isolation drops input from this program to a
// window of a higher integrity level without an error from SendInput, so a
// level that cannot be read (a program run as administrator by another
// account, a protected process) is not taken for a lower one.
Integrity IntegrityAgainstOwn(HWND h) {
  static const std::optional<DWORD> own = IntegrityOf(GetCurrentProcess());
  HANDLE process = OpenWindowProcess(h);
  const std::optional<DWORD> theirs = IntegrityOf(process);
  if (process) CloseHandle(process);
  if (!own || !theirs) return Integrity::Unreadable;
  return *theirs > *own ? Integrity::Higher : Integrity::NotHigher;
}

}  // namespace

bool MayBeTarget(WindowHandle h) {
  HWND hwnd = reinterpret_cast<HWND>(h);
  return hwnd && IsWindow(hwnd) && MayBeTargetWindow(hwnd);
}

WindowFacts InspectWindow(WindowHandle h) {
  HWND hwnd = reinterpret_cast<HWND>(h);
  WindowFacts facts;
  facts.exists = hwnd && IsWindow(hwnd);
  if (!facts.exists) return facts;
  facts.mayBeTarget = MayBeTargetWindow(hwnd);
  facts.minimized = IsIconic(hwnd) != FALSE;
  HWND front = ::GetForegroundWindow();
  facts.inFront =
      front && (front == hwnd || GetAncestor(front, GA_ROOTOWNER) == hwnd);
  facts.integrity = IntegrityAgainstOwn(hwnd);
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  facts.terminal = target_rules::IsTerminalClass(name);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  facts.process = process;
  return facts;
}

// A message to another thread's window waits until that thread takes it;
// SMTO_ABORTIFHUNG gives up at once on a window the system reports hung.
bool AnswersWithin(WindowHandle h, int ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(reinterpret_cast<HWND>(h), WM_NULL, 0, 0,
                             SMTO_ABORTIFHUNG, static_cast<UINT>(ms),
                             &result) != 0;
}

// ShowWindowAsync posts the request to the window's thread instead of
// waiting for it.
void RestoreWindowAsync(WindowHandle h) {
  ShowWindowAsync(reinterpret_cast<HWND>(h), SW_RESTORE);
}

bool SetForegroundWindow(WindowHandle h) {
  return ::SetForegroundWindow(reinterpret_cast<HWND>(h)) != FALSE;
}

// Programs that read scan codes (remote-desktop clients, virtual machines,
// games' libraries) drop a key event that has none, so each event carries
// the virtual key and its scan code both, as a keyboard's would. The events
// of one SendInput call are not interleaved with other input.
int SendKeys(const std::vector<KeyEvent>& events) {
  std::vector<INPUT> inputs(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    const UINT scan = MapVirtualKeyW(events[i].vk, MAPVK_VK_TO_VSC_EX);
    const bool extended = HIBYTE(scan) == 0xE0 || HIBYTE(scan) == 0xE1;
    KEYBDINPUT& key = inputs[i].ki;
    inputs[i].type = INPUT_KEYBOARD;
    key.wVk = events[i].vk;
    key.wScan = LOBYTE(scan);
    key.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) |
                  (events[i].up ? KEYEVENTF_KEYUP : 0);
  }
  if (inputs.empty()) return 0;
  return static_cast<int>(SendInput(static_cast<UINT>(inputs.size()),
                                    inputs.data(), sizeof(INPUT)));
}

bool ModifierKeysDown() {
  for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN})
    if (GetAsyncKeyState(vk) < 0) return true;
  return false;
}

}  // namespace platform
