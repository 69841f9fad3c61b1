// Injected save failures on the headless backend: its own fault hooks,
// which fail a step with a run-time error of their own; the renames that
// replace a target and make a new one are the same call there.
#include "platform/headless/headless.h"
#include "save_faults.h"

namespace contract {

namespace hl = platform::headless;

bool InjectSaveFault(SaveStep step, unsigned long error) {
  if (error != 0) return false;
  switch (step) {
    case SaveStep::Write:
      hl::InjectFileFault(hl::FileFault::Write);
      return true;
    case SaveStep::Flush:
      hl::InjectFileFault(hl::FileFault::Flush);
      return true;
    default:
      hl::InjectFileFault(hl::FileFault::Replace);
      return true;
  }
}

void ClearSaveFaults() { hl::InjectFileFault(hl::FileFault::None); }

}  // namespace contract
