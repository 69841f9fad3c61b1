// Failures injected into a save, for the contract suite's table of fault
// points: each backend fails its own calls (save_faults_headless.cpp
// through the headless backend's hooks, save_faults_win32.cpp through the
// Win32 save's seams), and the suite holds both to the same outcome.
#pragma once

namespace contract {

// The steps of a save that can fail: writing the temporary file, flushing
// it, replacing an existing target with it, moving it to a new target's
// name (or over a target the file system cannot replace, or a backup back).
enum class SaveStep { Write, Flush, Replace, Move };

// The next call of `step` fails with the system error `error`; 0 stands
// for the backend's ordinary failure there (a full disk, a device error).
// Faults of different steps may wait at once. False where the backend
// cannot fail the step so (the headless backend knows no system errors):
// the case does not apply to it.
bool InjectSaveFault(SaveStep step, unsigned long error = 0);

// Drops every fault that has not been met.
void ClearSaveFaults();

}  // namespace contract
