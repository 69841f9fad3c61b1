// The system calls through which a save writes its temporary file and puts
// it in the target's place. In the program they are the system's own calls.
// The contract tests compile the Win32 sources with PINROW_SAVE_FAULTS,
// which makes them calls into the tests' fault injection
// (tests/contract/save_faults_win32.cpp), so that every failure branch of a
// save runs against real files; that definition is given to the test
// program alone, so no injection reaches pinrow.exe.
#pragma once

#include "platform/win32/base_win32.h"

namespace platform::win32::save {

#ifdef PINROW_SAVE_FAULTS
BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written);
BOOL Flush(HANDLE file);
BOOL Replace(const wchar_t* target, const wchar_t* replacement,
             const wchar_t* backup);
BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags);
#else
inline BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written) {
  return WriteFile(file, data, size, written, nullptr);
}
inline BOOL Flush(HANDLE file) { return FlushFileBuffers(file); }
inline BOOL Replace(const wchar_t* target, const wchar_t* replacement,
                    const wchar_t* backup) {
  return ReplaceFileW(target, replacement, backup,
                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
}
inline BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags) {
  return MoveFileExW(from, to, flags);
}
#endif

}  // namespace platform::win32::save
