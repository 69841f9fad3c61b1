// Files in the application folder, text in the system ANSI code page (932)
// and private-profile (INI) files.
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
// Private-profile (INI) files, with the rules of the system's own calls.
// Section, key, value and path are ANSI bytes.

// Returns the whole buffer of `size` bytes as the call leaves it: the value
// (cut to size - 1 bytes) followed by NUL fill.
std::string GetPrivateProfileStringA(const std::string& section,
                                     const std::string& key,
                                     const std::string& def, unsigned size,
                                     const std::string& path);
// Leading optionally signed decimal digits, as a 32-bit value; def when the
// key is missing. (A value that does not start with a number gives 0.)
std::int32_t GetPrivateProfileIntA(const std::string& section,
                                   const std::string& key, std::int32_t def,
                                   const std::string& path);
bool WritePrivateProfileStringA(const std::string& section,
                                const std::string& key,
                                const std::string& value,
                                const std::string& path);

}  // namespace platform
