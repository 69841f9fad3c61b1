// Files: the application folder and the folder for the user's data, whole
// reads and replace-on-commit writes, text in code page 932.
//
// Errors: every call that can fail throws vb::RuntimeError
// (runtime/vb.h) so the caller's error trap reports it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/vb.h"

namespace platform {

// ---------------------------------------------------------------------------
// Files

// The folder that holds the executable, as the system reports it, without a
// trailing backslash.
std::wstring AppPath();

// A directory lookup of `path` for normal files.
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);

// Whether a new file can be made in the folder now (an installed program's
// folder, or one under Controlled Folder Access, cannot take one): a file
// is made and removed again.
bool FolderTakesNewFile(const std::wstring& folder);
// Whether an existing file can be opened for writing now; the file is
// opened and closed without any change. A file another program holds
// counts as writable: it is only busy.
bool FileTakesWrites(const std::wstring& path);
// The user's roaming and local application data folders (the known
// folders, not the environment), without a trailing backslash; empty when
// the system names none.
std::wstring RoamingAppDataFolder();
std::wstring LocalAppDataFolder();
// %LOCALAPPDATA%, which the system sets from the known folder when the user
// signs in: found without loading the shell, for a quick look at start.
// Empty when it is not set.
std::wstring LocalAppDataFromEnvironment();
// The folder's path as the file system resolves it: the same for every
// spelling of one folder (a short name, a substituted or mapped drive, a
// junction); the path as given when it cannot be resolved.
std::wstring CanonicalPath(const std::wstring& folder);
// Makes a folder (its parent must exist); true when it exists afterwards.
bool MakeFolder(const std::wstring& path);
// Copies a file to a name that does not exist yet; false when it could not.
bool CopyNewFile(const std::wstring& from, const std::wstring& to);
// Renames a file to a name that does not exist yet, on the same volume;
// false when it could not.
bool RenameFile(const std::wstring& from, const std::wstring& to);
// Removes a file unless a process holds it open; true when it is gone.
bool RemoveFile(const std::wstring& path);
// The names of the files in a folder that match a pattern in which "*"
// stands for any run of characters (letter case does not count).
std::vector<std::wstring> FindFiles(const std::wstring& folder,
                                    const std::wstring& pattern);

// When a file was last written and how long it is: a change by another
// program shows as a change of either.
struct FileStamp {
  std::uint64_t writeTime = 0;
  std::uint64_t size = 0;
  bool operator==(const FileStamp& o) const {
    return writeTime == o.writeTime && size == o.size;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
// The stamp of the file a path names (of the file a link points to);
// nothing when there is no such file.
std::optional<FileStamp> StampOf(const std::wstring& path);

// Reads a whole file. Throws vb::RuntimeError when it can't be opened/read.
std::string ReadAllBytes(const std::wstring& path);

// A file operation that failed because another program holds the file for
// a moment (a virus scanner, the search indexer, a sync client): the same
// step is worth trying again shortly.
class FileBusy : public vb::RuntimeError {
 public:
  FileBusy()
      : RuntimeError(vb::kPermission, vb::ErrorDescription(vb::kPermission)) {}
};

// A file being written: the content goes to a temporary file beside the
// target and replaces the target in one step at Commit, keeping the
// target's attributes; the previous content is never lost on the way.
// A target that is a symbolic link stays a link: the file it points to is
// replaced, in its own folder. Where the file system cannot replace a file
// in one step, the temporary file is moved over the target instead.
// Destroying the writer without Commit removes the temporary file and leaves
// the target as it was. A read-only target is refused at the first Write.
// Every step throws vb::RuntimeError on failure, FileBusy when another
// program holds the file.
//
// The temporary file is named "<target's name>" kSaveMark "<unique>"
// kSaveTempSuffix; the previous content waits under the same name with
// kSaveBackupSuffix while it is replaced. A save that was killed may leave
// either behind (a backup, while the target is missing, is the only copy).
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual void Write(const std::string& bytes) = 0;
  virtual void Commit() = 0;
};
std::unique_ptr<OutputFile> OpenOutputFile(const std::wstring& path);
inline constexpr wchar_t kSaveMark[] = L".~pnr";
inline constexpr wchar_t kSaveTempSuffix[] = L".tmp";
inline constexpr wchar_t kSaveBackupSuffix[] = L".bak";

// Ends the process at once, running no closing step of any window.
[[noreturn]] void EndProcess();

// ---------------------------------------------------------------------------
// Text in code page 932, whatever code page the system is set to: both
// files are code page 932.

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& bytes);

}  // namespace platform
