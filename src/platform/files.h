// Files in the application folder, text in the system ANSI code page (932)
// and the write of private-profile (INI) files.
//
// Errors: every call that can fail throws vb::RuntimeError
// (runtime/vb.h) so the caller's error trap reports it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// ---------------------------------------------------------------------------
// Files

// The folder that holds the executable, as the system reports it, without a
// trailing backslash.
std::wstring AppPath();

// A directory lookup of `path` for normal files.
bool FileExists(const std::wstring& path);

// Reads a whole file. Throws vb::RuntimeError when it can't be opened/read.
std::string ReadAllBytes(const std::wstring& path);

// A file being written: the content goes to a temporary file beside the
// target and replaces the target in one step at Commit. Destroying the
// writer without Commit removes the temporary file and leaves the target as
// it was. Every step throws vb::RuntimeError on failure.
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
// Text in the system ANSI code page (932).

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& bytes);

// ---------------------------------------------------------------------------
// Private-profile (INI) files. Reads parse the file's bytes (ReadAllBytes)
// with the reader shared by both platforms (store/ini_file.h); only the
// write is the platform's.

// Writes one key with the system's rules: the key's line in its section
// becomes KEY=VALUE, a missing key is added to the end of its section and a
// missing section to the end of the file, and every other line stays as it
// was. Section, key and value are bytes in the ANSI code page, as the file
// keeps them; the path is wide, so any folder name works. False when the
// file could not be written (a read-only file is not written).
bool WriteIniEntry(const std::string& section, const std::string& key,
                   const std::string& value, const std::wstring& path);

}  // namespace platform
