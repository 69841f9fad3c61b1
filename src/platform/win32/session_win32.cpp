// The program's place in the user's session: the end of the session, and
// one running program per data folder.
#include <cwctype>
#include <string>

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

// How long a second start waits for the running bar's window to turn up.
constexpr DWORD kBringBackPatienceMs = 2000;
constexpr DWORD kBringBackPauseMs = 100;

std::uint64_t Fnv1a(const std::wstring& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : text) {
    hash ^= static_cast<std::uint64_t>(std::towupper(c == L'/' ? L'\\' : c));
    hash *= 1099511628211ull;
  }
  return hash;
}

// The folder's identity on its volume: the same for every spelling of it (a
// short name, a substituted or mapped drive beside its network path, a
// junction). The 128-bit id, not the older file index, which is not unique
// on ReFS. Where it cannot be read, the path as spelt (letter case does not
// count).
std::wstring FolderIdentity(const std::wstring& folder) {
  HANDLE h = win32::OpenForLooking(folder);
  FILE_ID_INFO id{};
  const bool known =
      h != INVALID_HANDLE_VALUE &&
      GetFileInformationByHandleEx(h, FileIdInfo, &id, sizeof id);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  wchar_t name[80];
  if (!known) {
    const std::uint64_t key = Fnv1a(folder);
    wsprintfW(name, L"%08lx%08lx", static_cast<unsigned long>(key >> 32),
              static_cast<unsigned long>(key & 0xFFFFFFFFu));
    return name;
  }
  std::wstring text;
  for (BYTE b : id.FileId.Identifier) {
    wsprintfW(name, L"%02x", b);
    text += name;
  }
  wsprintfW(name, L"%08lx%08lx-",
            static_cast<unsigned long>(id.VolumeSerialNumber >> 32),
            static_cast<unsigned long>(id.VolumeSerialNumber & 0xFFFFFFFFu));
  return name + text;
}

// The running bar of the folder brought to the front; false when its
// window is not (yet) there.
bool BringBack(std::uint64_t key) {
  struct Search {
    std::uint64_t key;
    bool found = false;
  } search{key};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (reinterpret_cast<std::uintptr_t>(GetPropW(h, kInstanceProperty)) !=
                static_cast<std::uintptr_t>(s->key) ||
            !IsWindowVisible(h))
          return TRUE;
        SetForegroundWindow(h);
        s->found = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
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

// A mutex in the session's namespace, named after the folder's identity,
// held until the process ends. A mutex that exists but cannot be opened
// (made by the program run as another user in the same session) counts as
// claimed. The bar's window carries a number made from the name, so a later
// start finds it; a window that does not turn up in time (a first bar still
// starting, or one of another user) leaves the folder reported in use.
Claim ClaimInstance(const std::wstring& folder, WindowHandle window) {
  const std::wstring name = L"Local\\Pinrow-" + FolderIdentity(folder);
  const std::uint64_t key = Fnv1a(name) | 1;  // never the null property
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  const DWORD error = GetLastError();
  if (mutex && error != ERROR_ALREADY_EXISTS) {
    SetPropW(reinterpret_cast<HWND>(window), kInstanceProperty,
             reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(key)));
    return Claim::kOurs;  // the handle stays open for the life of the process
  }
  if (mutex) CloseHandle(mutex);
  if (!mutex && error != ERROR_ACCESS_DENIED) return Claim::kOurs;
  const ULONGLONG start = GetTickCount64();
  while (!BringBack(key)) {
    if (GetTickCount64() - start >= kBringBackPatienceMs) return Claim::kInUse;
    ::Sleep(kBringBackPauseMs);
  }
  return Claim::kBroughtBack;
}

void BlockShutdown(WindowHandle window, const std::wstring& reason) {
  ShutdownBlockReasonCreate(reinterpret_cast<HWND>(window), reason.c_str());
}

void UnblockShutdown(WindowHandle window) {
  ShutdownBlockReasonDestroy(reinterpret_cast<HWND>(window));
}

void RegisterForRestart() {
  RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG);
}

}  // namespace platform
