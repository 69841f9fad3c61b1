// Files: the application folder and the folder for the user's data, whole
// reads and replace-on-commit writes, text in code page 932.
//
// Errors: every call that can fail throws vb::RuntimeError
// (runtime/vb.h) so the caller's error trap reports it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
// folder, or one under Controlled Folder Access, cannot take one).
bool FolderTakesNewFile(const std::wstring& folder);
// The folder where this user's data of the program belongs
// (%APPDATA%\Pinrow), without a trailing backslash; empty when the system
// names none.
std::wstring UserDataFolder();
// Makes a folder (its parent must exist); true when it exists afterwards.
bool MakeFolder(const std::wstring& path);
// Copies a file to a name that does not exist yet; false when it could not.
bool CopyNewFile(const std::wstring& from, const std::wstring& to);

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
// Destroying the writer without Commit removes the temporary file and leaves
// the target as it was. A read-only target is refused at the first Write.
// Every step throws vb::RuntimeError on failure, FileBusy when another
// program holds the file.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual void Write(const std::string& bytes) = 0;
  virtual void Commit() = 0;
};
std::unique_ptr<OutputFile> OpenOutputFile(const std::wstring& path);

// Ends the process at once, running no closing step of any window.
[[noreturn]] void EndProcess();

// ---------------------------------------------------------------------------
// Text in code page 932, whatever code page the system is set to: both
// files are code page 932.

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& bytes);

}  // namespace platform
