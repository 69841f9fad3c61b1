// Saving a whole file over the previous one. Virus scanners, the search
// indexer and sync clients open files for a moment; such a hold is waited
// out. A failure that lasts is put to the user, who may make the file
// writable again and try once more.
#include "platform/files.h"
#include "platform/system.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

constexpr std::uint64_t kBusyPatienceMs = 2000;
constexpr int kBusyPauseMs = 50;

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  auto out = platform::OpenOutputFile(path);
  out->Write(bytes);
  out->Commit();
}

// One try with the waits for a held file; true when the file was written.
bool TrySave(const std::wstring& path,
             const std::function<std::string()>& content) {
  bool saved = false;
  CatchRuntimeError(
      [&] {
        RetryWhileBusy([&] { WriteWholeFile(path, content()); });
        saved = true;
      },
      [](std::int32_t, const std::wstring&) {});
  return saved;
}

}  // namespace

void RetryWhileBusy(const std::function<void()>& attempt) {
  const std::uint64_t start = platform::TickCount();
  for (;;) {
    try {
      attempt();
      return;
    } catch (const platform::FileBusy&) {
      if (platform::TickCount() - start >= kBusyPatienceMs) throw;
    }
    platform::Sleep(kBusyPauseMs);
  }
}

bool SaveFile(const std::wstring& path,
              const std::function<std::string()>& content,
              const std::wstring& failure) {
  while (!TrySave(path, content)) {
    const int answer = platform::MsgBox(
        failure, platform::kRetryCancel | platform::kCritical, kErrorTitle);
    if (answer != platform::kIdRetry) return false;
  }
  return true;
}

}  // namespace modPublic
