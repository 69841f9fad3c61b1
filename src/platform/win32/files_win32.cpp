// The application folder and the user's data folder, file lookup, whole-file
// reads and replace-on-commit writes, and the immediate end of the process.
#include <vector>

#include "platform/files.h"
#include "platform/win32/base_win32.h"
#include "runtime/vb.h"

namespace platform {
namespace win32 {

int FileErrorNumber(DWORD systemError, int fallback) {
  switch (systemError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return vb::kFileNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return vb::kPermission;
    default:
      return fallback;
  }
}

// Another program holds the file for a moment: a virus scanner or the
// search indexer reading it, a sync client uploading it.
bool IsBusy(DWORD systemError) {
  return systemError == ERROR_SHARING_VIOLATION ||
         systemError == ERROR_LOCK_VIOLATION ||
         systemError == ERROR_UNABLE_TO_REMOVE_REPLACED ||
         systemError == ERROR_USER_MAPPED_FILE;
}

void RaiseFileError(DWORD systemError, int fallback) {
  if (IsBusy(systemError)) throw FileBusy();
  vb::Raise(FileErrorNumber(systemError, fallback));
}

void RaiseFileError(int fallback) { RaiseFileError(GetLastError(), fallback); }

namespace {

std::wstring FolderOf(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? L"." : path.substr(0, cut);
}

// The attributes that the replacing file takes over from the target (not
// every ReplaceFileW carries them over: Wine's does not).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes to a temporary file beside the target; Commit puts it in the
// target's place in one step, so a failed write never leaves a half-written
// target. An existing target is replaced with ReplaceFileW, which keeps its
// attributes, security and identity, and moves the previous content aside
// under a backup name first, so it is never lost: should the new file not
// get into place, the backup is moved back. A read-only target is refused
// as the system's own write to it would be: the first write fails with
// "permission denied" and the target stays.
class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(const std::wstring& target)
      : target_(target), targetAttributes_(GetFileAttributesW(target.c_str())) {
    wchar_t temp[MAX_PATH + 1];
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"pnr", 0, temp))
      RaiseFileError(vb::kPathAccess);
    temp_ = temp;
    file_ = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      DeleteFileW(temp_.c_str());
      RaiseFileError(error, vb::kPathAccess);
    }
  }

  ~Win32OutputFile() override {
    CloseFile();
    if (!committed_) DeleteFileW(temp_.c_str());
  }

  void Write(const std::string& bytes) override {
    RefuseReadOnlyTarget();
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
      DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
      DWORD written = 0;
      if (file_ == INVALID_HANDLE_VALUE ||
          !WriteFile(file_, data, chunk, &written, nullptr) || written == 0)
        RaiseFileError(vb::kFileIo);
      data += written;
      left -= written;
    }
  }

  void Commit() override {
    RefuseReadOnlyTarget();
    if (file_ == INVALID_HANDLE_VALUE || !FlushFileBuffers(file_))
      RaiseFileError(vb::kFileIo);
    CloseFile();
    if (TargetExisted())
      SetFileAttributesW(temp_.c_str(), targetAttributes_ & kKeptAttributes);
    if (FileExists(target_))
      ReplaceTarget();
    else if (!MoveFileExW(temp_.c_str(), target_.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      RaiseFileError(vb::kPathAccess);
    committed_ = true;
  }

 private:
  // ReplaceFileW's own account of a failure: 1175, nothing was changed;
  // 1176, the new file could not be renamed (with a backup named, both files
  // keep their names); 1177, the new file could not be moved, and the
  // previous file exists under the backup name, which must go back.
  void ReplaceTarget() {
    const std::wstring backup = temp_ + L"~";
    if (ReplaceFileW(target_.c_str(), temp_.c_str(), backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
      DeleteFileW(backup.c_str());
      return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !FileExists(target_))
      MoveFileExW(backup.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH);
    // The backup may go only while the previous content is in its place.
    if (FileExists(target_)) DeleteFileW(backup.c_str());
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
        error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ||
        error == ERROR_ACCESS_DENIED)
      throw FileBusy();  // held for a moment: worth another try
    RaiseFileError(error, vb::kPathAccess);
  }
  bool TargetExisted() const {
    return targetAttributes_ != INVALID_FILE_ATTRIBUTES;
  }
  void RefuseReadOnlyTarget() const {
    if (TargetExisted() && (targetAttributes_ & FILE_ATTRIBUTE_READONLY))
      vb::Raise(vb::kPermission);
  }
  void CloseFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }

  std::wstring target_;
  DWORD targetAttributes_;
  std::wstring temp_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool committed_ = false;
};

}  // namespace
}  // namespace win32

std::wstring AppPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                 static_cast<DWORD>(buffer.size()));
    if (n == 0) win32::RaiseFileError(vb::kPathAccess);
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      return path.substr(0, path.find_last_of(L'\\'));
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool FileExists(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(path.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A new file made and removed again: the only sure test, since the
// folder's security, a read-only medium and Controlled Folder Access each
// refuse in their own way. (GetTempFileNameW is no test: Wine's reports a
// name even when it could not make the file.)
bool FolderTakesNewFile(const std::wstring& folder) {
  for (DWORD attempt = 0; attempt < 16; ++attempt) {
    wchar_t name[48];
    wsprintfW(name, L"\\pnr%lx-%lx.tmp", GetCurrentProcessId(),
              GetTickCount() + attempt);
    HANDLE h = CreateFileW(
        (folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

std::wstring UserDataFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring folder(buffer, n);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder.empty() ? folder : folder + L"\\Pinrow";
}

bool MakeFolder(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) || FolderExists(path);
}

bool CopyNewFile(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), TRUE) != FALSE;
}

std::string ReadAllBytes(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) win32::RaiseFileError(vb::kPathAccess);
  std::string bytes;
  char chunk[16384];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ReadFile(h, chunk, sizeof chunk, &got, nullptr)) && got > 0)
    bytes.append(chunk, got);
  DWORD error = GetLastError();
  CloseHandle(h);
  if (!ok) win32::RaiseFileError(error, vb::kFileIo);
  return bytes;
}

std::unique_ptr<OutputFile> OpenOutputFile(const std::wstring& path) {
  return std::make_unique<win32::Win32OutputFile>(path);
}

void EndProcess() { ExitProcess(0); }

}  // namespace platform
