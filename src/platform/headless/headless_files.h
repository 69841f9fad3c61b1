// Test hooks of the headless files: the application folder on disk and
// injected faults.
#pragma once

#include <string>

namespace platform::headless {

// Makes appPath (created if missing) the application folder and drops any
// injected fault; Reset calls it.
void ResetFiles(const std::wstring& appPath);

// Fault injection for the replace-on-commit writes, one fault at a time,
// at each point where a real disk can fail: the next OpenOutputFile, the
// nth OutputFile::Write from now (1 for the next one), or the flush or the
// replace of the next Commit. The fault raises a run-time error there.
// Commit names the replace, as it always did.
enum class FileFault { None, Open, Write, Flush, Replace, Commit = Replace };
void InjectFileFault(FileFault fault, int nth = 1);

// Another program holds the file at `path` open for the next `ms`
// milliseconds of the backend's clock (which Sleep advances): replacing it
// fails with FileBusy until then, as a sharing violation does.
void HoldFile(const std::wstring& path, int ms);

// The user's roaming and local application data folders the system names
// (empty: none), and whether a folder takes new files and writes to its
// files (the tests run as root, for whom permissions do not refuse a write).
void SetKnownFolders(const std::wstring& roaming, const std::wstring& local);
void SetFolderTakesNewFile(const std::wstring& folder, bool takes);

// Whether a file on disk (native path) is read-only as the system sees it:
// it lacks write permission, whoever runs the tests (root included).
bool IsReadOnly(const std::string& native);

// The path on disk of a program path: backslashes become slashes, the text
// is UTF-8.
std::string NativePath(const std::wstring& path);

}  // namespace platform::headless
