// The program's place in the user's session: the end of the session, and
// one running program per data folder.
#include <cwctype>

#include "platform/system.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {

std::function<void()>& SessionEndSave() {
  static std::function<void()> save;
  return save;
}
bool sessionEnding = false;

// The window property that marks the bar of a claimed folder, so a later
// start finds it among the windows of the session.
constexpr wchar_t kInstanceProperty[] = L"Pinrow.Instance";

// A number for the folder, the same for every spelling the file system
// takes as the same name (letter case does not count).
std::uint64_t FolderKey(const std::wstring& folder) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : folder) {
    hash ^= static_cast<std::uint64_t>(std::towupper(c == L'/' ? L'\\' : c));
    hash *= 1099511628211ull;
  }
  return hash;
}

void BringBack(std::uint64_t key) {
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        const auto want = static_cast<std::uint64_t>(lp);
        if (reinterpret_cast<std::uintptr_t>(GetPropW(h, kInstanceProperty)) !=
                static_cast<std::uintptr_t>(want) ||
            !IsWindowVisible(h))
          return TRUE;
        SetForegroundWindow(h);
        return FALSE;
      },
      static_cast<LPARAM>(key));
}

}  // namespace

namespace win32 {

// WM_ENDSESSION: Windows ends the process after its windows have answered,
// without WM_CLOSE. The first window to hear of it saves for the whole
// program (also from inside a message or input box's loop), and the process
// ends right after, so nothing runs on from half-closed windows.
void EndSession() {
  if (sessionEnding) return;
  sessionEnding = true;
  try {
    if (SessionEndSave()) SessionEndSave()();
  } catch (...) {
    ReportStray("the save at the end of the session");
  }
  ExitProcess(0);
}

void ForgetInstance(HWND window) { RemovePropW(window, kInstanceProperty); }

}  // namespace win32

void OnSessionEnd(std::function<void()> save) {
  SessionEndSave() = std::move(save);
}

bool SessionEnding() { return sessionEnding; }

// A mutex in the session's namespace, named after the folder, held until
// the process ends. A mutex that exists but cannot be opened (made by the
// program run as another user in the same session) counts as claimed.
bool ClaimInstance(const std::wstring& folder, WindowHandle window) {
  const std::uint64_t key = FolderKey(folder);
  wchar_t name[64];
  wsprintfW(name, L"Local\\Pinrow-%08lx%08lx",
            static_cast<unsigned long>(key >> 32),
            static_cast<unsigned long>(key & 0xFFFFFFFFu));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  const DWORD error = GetLastError();
  if (mutex && error != ERROR_ALREADY_EXISTS) {
    SetPropW(reinterpret_cast<HWND>(window), kInstanceProperty,
             reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(key)));
    return true;  // the handle stays open for the life of the process
  }
  if (mutex) CloseHandle(mutex);
  if (!mutex && error != ERROR_ACCESS_DENIED) return true;
  BringBack(key);
  return false;
}

}  // namespace platform
