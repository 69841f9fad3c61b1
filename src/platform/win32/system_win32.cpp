// System services: the clipboard, windows of the desktop, the shell, and
// the message pump.
#include <algorithm>
#include <cstring>

#include "platform/system.h"
#include "platform/win32/form_win32.h"
// After <windows.h>: the COM apartment flags.
#include <objbase.h>

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

// Opens the clipboard. Clipboard listeners (the history service, office
// programs, remote-desktop clipboards) open it right after every change,
// so it is tried again after growing pauses, for about a second.
void OpenClipboardOrRaise() {
  constexpr ULONGLONG kPatienceMs = 1000;
  const ULONGLONG start = GetTickCount64();
  for (DWORD pause = 1; !OpenClipboard(ClipboardOwner());
       pause = std::min<DWORD>(pause * 2, 50)) {
    if (GetTickCount64() - start >= kPatienceMs) vb::Raise(vb::kClipboard);
    ::Sleep(pause);
  }
}

// Keeps the clipboard open for one scope.
struct ClipboardSession {
  ClipboardSession() { OpenClipboardOrRaise(); }
  ~ClipboardSession() { CloseClipboard(); }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
};

// A copy of some bytes in global memory for the clipboard; freed unless the
// clipboard took it over. Made before the clipboard is opened, so a lack of
// memory leaves the clipboard as it was.
class ClipboardData {
 public:
  ClipboardData(const void* data, size_t bytes)
      : memory_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (!memory_) vb::Raise(vb::kOutOfMemory);
    std::memcpy(GlobalLock(memory_), data, bytes);
    GlobalUnlock(memory_);
  }
  ~ClipboardData() {
    if (memory_) GlobalFree(memory_);
  }
  ClipboardData(const ClipboardData&) = delete;
  ClipboardData& operator=(const ClipboardData&) = delete;

  // Puts the data on the open clipboard in a format; false when refused.
  bool SetAs(UINT format) {
    if (!format || !SetClipboardData(format, memory_)) return false;
    memory_ = nullptr;
    return true;
  }

 private:
  HGLOBAL memory_;
};

// Formats that keep what the program puts on the clipboard out of the
// clipboard history (Win+V) and off the cloud clipboard: each a DWORD 0.
UINT HistoryFormat() {
  static const UINT format =
      RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
  return format;
}

UINT CloudFormat() {
  static const UINT format =
      RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
  return format;
}

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

// The keyboard interface runs the program's code outside any window
// procedure; like them, the pump lets no exception end the program.
void DispatchOne(MSG& msg) {
  try {
    Observe(msg);
    AimWheel(msg);
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    auto* form = ObjectOf<Win32Form>(root);
    if (form && (form->PreTranslate(msg) || IsDialogMessageW(root, &msg)))
      return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  } catch (...) {
    ReportStray("the message pump");
  }
}

}  // namespace win32

// The text, marked Japanese (so programs that read it converted to ANSI
// text get code page 932) and kept out of the clipboard history. Only the
// text is required; the marks are left out where the system refuses them.
// The system counts every change of the session (the emptying, each
// format, the closing), so the number is read once the clipboard is closed.
std::uint32_t ClipboardSetText(const std::wstring& text) {
  const DWORD japanese = 0x0411, no = 0;
  win32::ClipboardData unicode(text.c_str(),
                               (text.size() + 1) * sizeof(wchar_t));
  win32::ClipboardData locale(&japanese, sizeof japanese);
  win32::ClipboardData history(&no, sizeof no), cloud(&no, sizeof no);
  {
    win32::ClipboardSession session;
    if (!EmptyClipboard() || !unicode.SetAs(CF_UNICODETEXT))
      vb::Raise(vb::kClipboard);
    locale.SetAs(CF_LOCALE);
    history.SetAs(win32::HistoryFormat());
    cloud.SetAs(win32::CloudFormat());
  }
  return GetClipboardSequenceNumber();
}

std::uint32_t ClipboardClear() {
  {
    win32::ClipboardSession session;
    if (!EmptyClipboard()) vb::Raise(vb::kClipboard);
  }
  return GetClipboardSequenceNumber();
}

std::uint32_t ClipboardSequence() { return GetClipboardSequenceNumber(); }

namespace {

// A registered format by its name; the standard ones have none.
std::wstring FormatName(UINT format) {
  constexpr UINT kFirstRegistered = 0xC000;
  wchar_t name[256] = {};
  if (format < kFirstRegistered) return {};
  GetClipboardFormatNameW(format, name, 256);
  return name;
}

// The text of CF_UNICODETEXT, within the memory it was given in (a program
// may leave out the closing NUL).
std::wstring UnicodeTextOnClipboard() {
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* chars =
      data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (!chars) return {};
  const std::size_t most = GlobalSize(data) / sizeof(wchar_t);
  std::wstring text(chars, std::find(chars, chars + most, L'\0'));
  GlobalUnlock(data);
  return text;
}

}  // namespace

// The list of formats includes those the system makes from the text (the
// other text formats and the locale), as EnumClipboardFormats reports them.
// The owner is the window the copying program opened the clipboard with
// (GetClipboardOwner); with none (an opening without a window) there is no
// owner to go by.
ClipboardContent ReadClipboard(
    const std::function<bool(const ClipboardContent&)>& readText) {
  win32::ClipboardSession session;
  ClipboardContent content;
  content.sequence = GetClipboardSequenceNumber();
  if (HWND owner = GetClipboardOwner()) {
    DWORD process = 0;
    GetWindowThreadProcessId(owner, &process);
    content.ownerProcess = process;
  }
  std::vector<ClipboardFormat> formats;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
    formats.push_back({f, FormatName(f)});
  content.kinds = Classify(formats);
  if (content.kinds.unicodeText && readText(content)) {
    content.text = UnicodeTextOnClipboard();
    content.textRead = true;
  }
  return content;
}

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

bool IsTopmost(WindowHandle h) {
  HWND hwnd = reinterpret_cast<HWND>(h);
  return hwnd && (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void Sleep(int ms) { ::Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

std::uint64_t TickCount() { return GetTickCount64(); }

// PeekMessage hands the messages sent from other threads to their windows
// and, filtered to sent messages, takes no posted message or input.
void PauseTakingSentMessages(int ms) {
  const ULONGLONG end =
      GetTickCount64() + static_cast<ULONGLONG>(std::max(0, ms));
  for (;;) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now),
                                QS_SENDMESSAGE, 0);
  }
}

// COM for the shell, set up once, on the shell's first use (apartment-
// threaded, without OLE1 DDE, as the shell's documentation asks); start-up
// needs none of it.
void StartCom() {
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  static const bool started = [] {
    auto init =
        win32::SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    return init && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED |
                                               COINIT_DISABLE_OLE1DDE));
  }();
  (void)started;
}

// The shell is loaded on first use: it is large, and the program needs it
// only when the user opens a web address, not to start. The wide-character
// call takes any folder name, also one the code page can't hold.
void ShellOpen(WindowHandle owner, const std::wstring& target,
               const std::wstring& directory) {
  using ShellExecuteFn =
      HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
  static const auto execute =
      win32::SystemFunction<ShellExecuteFn>(L"shell32.dll", "ShellExecuteW");
  if (!execute) return;
  StartCom();
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
