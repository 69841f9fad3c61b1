// Saving a whole file over the previous one. Virus scanners, the search
// indexer and sync clients open files for a moment; such a hold is waited
// out. A failure that lasts is put to the user, who may make the file
// writable again and try once more. While the session ends no one can be
// asked and Windows will not wait long: the saves share a short budget, and
// what still cannot be saved is kept in a recovery folder, offered back at
// the next start. What a killed save left behind is tidied at the start.
#include <algorithm>
#include <map>

#include "platform/files.h"
#include "platform/system.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

constexpr std::uint64_t kBusyPatienceMs = 2000;
// Windows lets a program take about five seconds over the end of the
// session before it offers to end it: all saves together take at most this.
constexpr std::uint64_t kSessionEndBudgetMs = 3000;
constexpr int kBusyPauseMs = 50;

const wchar_t* const kRecoverableNames[] = {L"tag.txt", L"setup.ini",
                                            L"tag.pinrow.txt"};

std::uint64_t sessionEndStart = 0;
// The files kept for recovery during this end of the session, by the path
// they stand for.
std::map<std::wstring, std::wstring>& Kept() {
  static std::map<std::wstring, std::wstring> kept;
  return kept;
}

// How long a held file is waited for now.
std::uint64_t Patience() {
  if (!platform::SessionEnding()) return kBusyPatienceMs;
  const std::uint64_t spent = platform::TickCount() - sessionEndStart;
  const std::uint64_t left =
      spent < kSessionEndBudgetMs ? kSessionEndBudgetMs - spent : 0;
  return std::min(kBusyPatienceMs, left);
}

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

std::wstring NameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L"\\/") + 1);
}

bool MakeFolders(const std::wstring& folder) {
  if (platform::FolderExists(folder)) return true;
  const std::size_t cut = folder.find_last_of(L'\\');
  if (cut == std::wstring::npos) return false;
  return MakeFolders(folder.substr(0, cut)) && platform::MakeFolder(folder);
}

// What a save could not write while the session ended goes, in exactly the
// form of the file, to the recovery folder of the data folder.
void KeepForRecovery(const std::wstring& path,
                     const std::function<std::string()>& content) {
  CatchRuntimeError(
      [&] {
        const std::wstring folder = RecoveryFolder(DataFolder());
        if (folder.empty() || !MakeFolders(folder)) return;
        const std::wstring copy = folder + L"\\" + NameOf(path);
        WriteWholeFile(copy, content());
        Kept()[path] = copy;
      },
      [](std::int32_t, const std::wstring&) {});
}

// Which file a leftover of a save stood for, and whether it is the backup
// of that file's previous content.
struct Leftover {
  std::wstring name, target;
  bool backup;
};

std::vector<Leftover> LeftoversIn(const std::wstring& folder) {
  std::vector<Leftover> found;
  const std::wstring pattern = std::wstring(L"*") + platform::kSaveMark + L"*";
  for (const std::wstring& name : platform::FindFiles(folder, pattern)) {
    const std::size_t mark = name.rfind(platform::kSaveMark);
    const std::wstring backupSuffix = platform::kSaveBackupSuffix;
    const bool backup = name.size() > backupSuffix.size() &&
                        name.compare(name.size() - backupSuffix.size(),
                                     backupSuffix.size(), backupSuffix) == 0;
    found.push_back({name, name.substr(0, mark), backup});
  }
  return found;
}

// Writes a recovered file into the data folder and removes it from the
// recovery folder; false when it stays there.
bool PutBack(const std::wstring& from, const std::wstring& to) {
  std::string bytes;
  bool read = false;
  CatchRuntimeError(
      [&] {
        bytes = platform::ReadAllBytes(from);
        read = true;
      },
      [](std::int32_t, const std::wstring&) {});
  if (!read ||
      !SaveFile(
          to, [&] { return bytes; },
          L"保存できなかったボタンと設定の書き込みに失敗しました。\r\n"
          L"再試行で保存し直します。キャンセルで読み込みを取りやめます。"))
    return false;
  platform::RemoveFile(from);
  return true;
}

std::uint64_t WrittenAt(const std::wstring& path) {
  const auto stamp = platform::StampOf(path);
  return stamp ? stamp->writeTime : 0;
}

}  // namespace

void RetryWhileBusy(const std::function<void()>& attempt) {
  const std::uint64_t start = platform::TickCount();
  for (;;) {
    try {
      attempt();
      return;
    } catch (const platform::FileBusy&) {
      if (platform::TickCount() - start >= Patience()) throw;
    }
    platform::Sleep(kBusyPauseMs);
  }
}

void BeginSessionEndSaves() {
  sessionEndStart = platform::TickCount();
  Kept().clear();
}

std::wstring KeptForRecovery(const std::wstring& path) {
  if (!platform::SessionEnding()) return L"";
  const auto kept = Kept().find(path);
  return kept == Kept().end() ? L"" : kept->second;
}

bool SaveFile(const std::wstring& path,
              const std::function<std::string()>& content,
              const std::wstring& failure) {
  while (!TrySave(path, content)) {
    if (platform::SessionEnding()) {
      KeepForRecovery(path, content);
      return false;
    }
    const int answer = platform::MsgBox(
        failure, platform::kRetryCancel | platform::kCritical, kErrorTitle);
    if (answer != platform::kIdRetry) return false;
  }
  return true;
}

// A backup whose file is missing is the previous content of a save that
// was killed halfway through its replace: the newest goes back in its
// place. Every other leftover goes, unless a process holds it open.
void TidyKilledSaves(const std::wstring& folder) {
  std::vector<Leftover> leftovers = LeftoversIn(folder);
  std::sort(leftovers.begin(), leftovers.end(),
            [&](const Leftover& a, const Leftover& b) {
              return WrittenAt(folder + L"\\" + a.name) >
                     WrittenAt(folder + L"\\" + b.name);
            });
  for (const Leftover& l : leftovers) {
    const std::wstring path = folder + L"\\" + l.name;
    const std::wstring target = folder + L"\\" + l.target;
    if (l.backup && !platform::FileExists(target) &&
        platform::RenameFile(path, target))
      continue;
    if (!l.backup || platform::FileExists(target)) platform::RemoveFile(path);
  }
}

// The files the end of the last session could not save, offered back at
// each start until they are taken or deleted.
// The environment's name of the local folder is looked at first: the
// system's own lookup loads the shell, which a start must not wait for when
// there is nothing to recover.
void OfferRecovery() {
  const std::wstring quick = platform::LocalAppDataFromEnvironment();
  if (!quick.empty() && !platform::FolderExists(quick + L"\\Pinrow\\recovery"))
    return;
  const std::wstring root = RecoveryRoot();
  if (root.empty() || !platform::FolderExists(root)) return;
  const std::wstring folder = RecoveryFolder(DataFolder());
  std::vector<std::wstring> names;
  for (const wchar_t* name : kRecoverableNames)
    if (platform::FileExists(folder + L"\\" + name)) names.push_back(name);
  if (names.empty()) return;
  const bool take =
      platform::MsgBox(
          L"前回 Windows を終了したときに保存できなかったボタンと設定が"
          L"あります。読み込みますか？",
          platform::kYesNo | platform::kQuestion,
          L"Pinrow") == platform::kIdYes;
  bool kept = false;
  for (const std::wstring& name : names)
    if (!take || !PutBack(folder + L"\\" + name, DataFolder() + L"\\" + name))
      kept = true;
  if (kept)
    platform::MsgBox(
        L"保存できなかったボタンと設定は、次のフォルダーに残してあります。"
        L"いらなくなったら、このフォルダーを削除してください。\r\n" +
            folder,
        platform::kInformation, L"Pinrow");
}

}  // namespace modPublic
