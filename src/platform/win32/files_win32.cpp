// The application folder, file lookup, whole-file reads and replace-on-commit
// writes, and the immediate end of the process.
#include <vector>

#include "platform/win32/win32_internal.h"
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

void RaiseFileError(int fallback) {
  vb::Raise(FileErrorNumber(GetLastError(), fallback));
}

namespace {

std::wstring FolderOf(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? L"." : path.substr(0, cut);
}

// The attributes that the replacing file takes over from the target.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes to a temporary file beside the target; Commit moves it over the
// target in one step, so a failed write never leaves a half-written target.
// A read-only target is refused as the system's own write to it would be:
// the first write fails with "permission denied" and the target stays. The
// replacing file keeps the target's attributes (hidden, system, archive).
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
      vb::Raise(FileErrorNumber(error, vb::kPathAccess));
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
    if (!MoveFileExW(temp_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      RaiseFileError(vb::kPathAccess);
    committed_ = true;
  }

 private:
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
  if (!ok) vb::Raise(win32::FileErrorNumber(error, vb::kFileIo));
  return bytes;
}

std::unique_ptr<OutputFile> OpenOutputFile(const std::wstring& path) {
  return std::make_unique<win32::Win32OutputFile>(path);
}

void EndProcess() { ExitProcess(0); }

}  // namespace platform
