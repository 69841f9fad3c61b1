// Injected save failures on the Win32 backend: the save's system calls
// (src/platform/win32/save_calls_win32.h, compiled here with
// PINROW_SAVE_FAULTS) fail once each with the error a test asks for, and
// otherwise are the system's own calls, on real files.
#include <map>

#include "platform/win32/save_calls_win32.h"
#include "save_faults.h"

namespace contract {
namespace {

const wchar_t kInjectionMark[] = L"pinrow: injected save failure";

// The ordinary failure of each step where a test names no error.
DWORD OrdinaryError(SaveStep step) {
  return step == SaveStep::Flush ? ERROR_IO_DEVICE : ERROR_DISK_FULL;
}

std::map<SaveStep, DWORD>& Pending() {
  static std::map<SaveStep, DWORD> faults;
  return faults;
}

// The error injected into this call of `step`, taken off; 0 for none.
DWORD TakeFault(SaveStep step) {
  const auto it = Pending().find(step);
  if (it == Pending().end()) return 0;
  const DWORD error = it->second;
  Pending().erase(it);
  return error;
}

// Says so on the debugger's output (WINEDEBUG=+debugstr under Wine); the
// text also marks a build that holds the injection, which pinrow.exe must
// never hold (tests/e2e/test_contract.py looks for it).
BOOL Fail(DWORD error) {
  OutputDebugStringW(kInjectionMark);
  SetLastError(error);
  return FALSE;
}

}  // namespace

bool InjectSaveFault(SaveStep step, unsigned long error) {
  Pending()[step] = error ? error : OrdinaryError(step);
  return true;
}

void ClearSaveFaults() { Pending().clear(); }

}  // namespace contract

namespace platform::win32::save {

using contract::SaveStep;
using contract::TakeFault;

BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written) {
  if (const DWORD error = TakeFault(SaveStep::Write))
    return contract::Fail(error);
  return WriteFile(file, data, size, written, nullptr);
}

BOOL Flush(HANDLE file) {
  if (const DWORD error = TakeFault(SaveStep::Flush))
    return contract::Fail(error);
  return FlushFileBuffers(file);
}

// ReplaceFileW's 1177 comes after the target was already moved to the
// backup name, and the new file could not take its place: that is done
// here first, as the system does, so the save has a real backup to move
// back.
BOOL Replace(const wchar_t* target, const wchar_t* replacement,
             const wchar_t* backup) {
  if (const DWORD error = TakeFault(SaveStep::Replace)) {
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && backup)
      MoveFileExW(target, backup, MOVEFILE_REPLACE_EXISTING);
    return contract::Fail(error);
  }
  return ReplaceFileW(target, replacement, backup,
                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
}

BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags) {
  if (const DWORD error = TakeFault(SaveStep::Move))
    return contract::Fail(error);
  return MoveFileExW(from, to, flags);
}

}  // namespace platform::win32::save
