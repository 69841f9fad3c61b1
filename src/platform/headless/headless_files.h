// Test hooks of the headless files: the application folder on disk and
// injected faults.
#pragma once

#include <string>

namespace platform::headless {

// Makes appPath (created if missing) the application folder and drops any
// injected fault; Reset calls it.
void ResetFiles(const std::wstring& appPath);

// Fault injection for files: the next OutputFile::Write / Commit, or the
// next OpenOutputFile, throws a run-time error.
enum class FileFault { None, Open, Write, Commit };
void InjectFileFault(FileFault fault);

// The path on disk of a program path: backslashes become slashes, the text
// is UTF-8.
std::string NativePath(const std::wstring& path);

}  // namespace platform::headless
