// The application folder and the user's data folder, file lookup, whole-file
// reads and replace-on-commit writes, and the immediate end of the process.
#include <vector>

#include "platform/files.h"
#include "platform/win32/base_win32.h"
#include "platform/win32/save_calls_win32.h"
#include "runtime/vb.h"

namespace platform {
namespace win32 {

// The path an open file or folder has in the end, through links, junctions,
// substituted and mapped drives; without the "\\\\?\\" prefix where the path
// is short enough to go without. Empty when the system does not tell.
std::wstring FinalPathOf(HANDLE h) {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD n = GetFinalPathNameByHandleW(h, buffer.data(),
                                      static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetFinalPathNameByHandleW(h, buffer.data(),
                                  static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  if (n == 0 || n >= buffer.size()) return {};
  std::wstring path(buffer.data(), n);
  if (path.size() < MAX_PATH + 4) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
      path = L"\\\\" + path.substr(8);
    else if (path.rfind(L"\\\\?\\", 0) == 0)
      path = path.substr(4);
  }
  return path;
}

HANDLE OpenForLooking(const std::wstring& path) {
  return CreateFileW(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

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

// The attributes that the replacing file takes over from the target (not
// every ReplaceFileW carries them over: Wine's does not).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// ReplaceFileW's errors that say the file system has no replace of its own
// (some network, WebDAV and cloud drives): the file is moved over instead.
bool ReplaceUnsupported(DWORD error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_INVALID_PARAMETER;
}

// Writes to a temporary file beside the target; Commit puts it in the
// target's place in one step, so a failed write never leaves a half-written
// target. An existing target is replaced with ReplaceFileW, which keeps its
// attributes, security and identity, and moves the previous content aside
// under a backup name first, so it is never lost: should the new file not
// get into place, the backup is moved back. A target that is a link is
// followed: the file it points to is replaced in its own folder, and the
// link stays. A read-only target is refused as the system's own write to it
// would be: the first write fails with "permission denied" and the target
// stays. Each step is a function of its own.
class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(const std::wstring& target)
      : target_(FinalPath(target)),
        targetAttributes_(GetFileAttributesW(target_.c_str())) {
    CreateTemporaryFile();
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
          !save::Write(file_, data, chunk, &written) || written == 0)
        RaiseFileError(vb::kFileIo);
      data += written;
      left -= written;
    }
  }

  void Commit() override {
    RefuseReadOnlyTarget();
    if (file_ == INVALID_HANDLE_VALUE || !save::Flush(file_))
      RaiseFileError(vb::kFileIo);
    CloseFile();
    if (TargetExisted())
      SetFileAttributesW(temp_.c_str(), targetAttributes_ & kKeptAttributes);
    if (FileExists(target_))
      ReplaceTarget();
    else
      MoveOverTarget();
    committed_ = true;
  }

 private:
  // The file a path names in the end, through links and junctions; the
  // path itself for a file that does not exist yet.
  static std::wstring FinalPath(const std::wstring& path) {
    HANDLE h = CreateFileW(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    const std::wstring final = FinalPathOf(h);
    CloseHandle(h);
    return final.empty() ? path : final;
  }

  // "<target>.~pnr<process>-<count>.tmp", made new: a name that is the
  // program's own, with no limit on the folder's length.
  void CreateTemporaryFile() {
    static DWORD count = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
      wchar_t unique[32];
      wsprintfW(unique, L"%lx-%lx", GetCurrentProcessId(), ++count);
      temp_ = target_ + kSaveMark + unique + kSaveTempSuffix;
      file_ = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file_ != INVALID_HANDLE_VALUE) return;
      if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    RaiseFileError(vb::kPathAccess);
  }

  std::wstring BackupName() const {
    return temp_.substr(0, temp_.size() - std::wcslen(kSaveTempSuffix)) +
           kSaveBackupSuffix;
  }

  void MoveOverTarget() {
    if (!save::Move(temp_.c_str(), target_.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      RaiseFileError(vb::kPathAccess);
  }

  // ReplaceFileW's own account of a failure: 1175, nothing was changed;
  // 1176, the new file could not be renamed (with a backup named, both files
  // keep their names); 1177, the new file could not be moved, and the
  // previous file exists under the backup name, which must go back. A file
  // system without the call gets the move instead; any other error leaves
  // both files under their names.
  void ReplaceTarget() {
    const std::wstring backup = BackupName();
    if (save::Replace(target_.c_str(), temp_.c_str(), backup.c_str())) {
      DeleteFileW(backup.c_str());
      return;
    }
    const DWORD error = GetLastError();
    if (ReplaceUnsupported(error) && FileExists(target_)) {
      DeleteFileW(backup.c_str());
      MoveOverTarget();
      return;
    }
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !FileExists(target_))
      save::Move(backup.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH);
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

// Opened for writing and closed at once: nothing in the file changes.
bool FileTakesWrites(const std::wstring& path) {
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

namespace {

// FOLDERID_RoamingAppData and FOLDERID_LocalAppData.
constexpr GUID kRoamingAppData = {
    0x3EB685DB,
    0x65F9,
    0x4CF6,
    {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
constexpr GUID kLocalAppData = {
    0xF1B32785,
    0x6FBA,
    0x4FCF,
    {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};

// A known folder, from shell32, loaded only when asked: loading it costs a
// start more than everything else the program does.
std::wstring KnownFolder(const GUID& id) {
  using KnownFolderFn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
  using FreeFn = void(WINAPI*)(LPVOID);
  static const auto known = win32::SystemFunction<KnownFolderFn>(
      L"shell32.dll", "SHGetKnownFolderPath");
  static const auto free =
      win32::SystemFunction<FreeFn>(L"ole32.dll", "CoTaskMemFree");
  PWSTR path = nullptr;
  if (!known || !free || FAILED(known(id, 0, nullptr, &path)) || !path)
    return {};
  std::wstring folder = path;
  free(path);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

}  // namespace

std::wstring RoamingAppDataFolder() { return KnownFolder(kRoamingAppData); }

std::wstring LocalAppDataFolder() { return KnownFolder(kLocalAppData); }

std::wstring LocalAppDataFromEnvironment() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring folder(buffer, n);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring CanonicalPath(const std::wstring& folder) {
  HANDLE h = win32::OpenForLooking(folder);
  if (h == INVALID_HANDLE_VALUE) return folder;
  const std::wstring final = win32::FinalPathOf(h);
  CloseHandle(h);
  return final.empty() ? folder : final;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

// A file another process holds open without letting others delete it
// refuses (a save in progress holds its temporary file so).
bool RemoveFile(const std::wstring& path) {
  return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::wstring> FindFiles(const std::wstring& folder,
                                    const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(found.cFileName);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

std::optional<FileStamp> StampOf(const std::wstring& path) {
  HANDLE h = win32::OpenForLooking(path);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info) &&
                  !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(h);
  if (!ok) return std::nullopt;
  FileStamp stamp;
  stamp.writeTime =
      static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
      info.ftLastWriteTime.dwLowDateTime;
  stamp.size =
      static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  return stamp;
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
