// Where tag.txt and setup.ini are kept. Normally beside the program; but a
// program folder that takes no new file (an installed program's folder, or
// one under Controlled Folder Access) would lose every save and could not
// even create the files, so they then live in a folder of the user's own,
// one for each program folder, so that two copies of the program never share
// their buttons.
#include <cwchar>
#include <cwctype>

#include "platform/files.h"
#include "platform/system.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

const wchar_t* const kFileNames[] = {L"tag.txt", L"setup.ini"};
const wchar_t kProduct[] = L"\\Pinrow";
// The longest file name the program makes in a data folder: a temporary
// file of a save of tag.pinrow.txt with its unique part.
constexpr std::size_t kLongestFileName = 48;
constexpr std::size_t kMaxPath = 260;
constexpr std::size_t kReadableLength = 40;

bool HoldsFiles(const std::wstring& folder) {
  for (const wchar_t* name : kFileNames)
    if (platform::FileExists(folder + L"\\" + name)) return true;
  return false;
}

// Every file the folder holds can be written: judged without making a file,
// so a folder in use is never probed.
bool FilesTakeWrites(const std::wstring& folder) {
  for (const wchar_t* name : kFileNames) {
    const std::wstring path = folder + L"\\" + name;
    if (platform::FileExists(path) && !platform::FileTakesWrites(path))
      return false;
  }
  return true;
}

void CopyMissingFiles(const std::wstring& from, const std::wstring& to) {
  for (const wchar_t* name : kFileNames) {
    const std::wstring source = from + L"\\" + name;
    const std::wstring target = to + L"\\" + name;
    if (platform::FileExists(source) && !platform::FileExists(target))
      platform::CopyNewFile(source, target);
  }
}

void MoveFiles(const std::wstring& from, const std::wstring& to) {
  for (const wchar_t* name : kFileNames) {
    const std::wstring source = from + L"\\" + name;
    const std::wstring target = to + L"\\" + name;
    if (platform::FileExists(source) && !platform::FileExists(target))
      platform::RenameFile(source, target);
  }
}

// The program's own folder under a known folder; empty when there is none.
std::wstring ProductFolder(const std::wstring& known) {
  return known.empty() ? known : known + kProduct;
}

std::uint64_t Fnv1a(const std::wstring& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : text) {
    hash ^= static_cast<std::uint64_t>(std::towupper(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

// The end of a path as part of a file name: the characters a name cannot
// hold become "_", and at most `length` characters are kept.
std::wstring ReadablePart(std::wstring path, std::size_t length) {
  for (const wchar_t* prefix : {L"\\\\?\\UNC\\", L"\\\\?\\", L"\\\\"})
    if (path.rfind(prefix, 0) == 0) {
      path.erase(0, std::wcslen(prefix));
      break;
    }
  for (wchar_t& c : path)
    if (c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c)) c = L'_';
  if (path.size() > length) path.erase(0, path.size() - length);
  return path;
}

void ShowNotice(const std::wstring& folder) {
  platform::MsgBox(
      L"アプリケーションのフォルダーに書き込めないため、"
      L"ボタンと設定を次のフォルダーに保存します。\r\n" +
          folder,
      platform::kInformation, L"Pinrow");
}

}  // namespace

std::wstring FolderTag(const std::wstring& folder, std::size_t room) {
  const std::wstring canonical = platform::CanonicalPath(folder);
  wchar_t hash[17];
  std::swprintf(hash, 17, L"%016llx",
                static_cast<unsigned long long>(Fnv1a(canonical)));
  const std::size_t readable = room > kReadableLength + 17 ? kReadableLength
                               : room > 17                 ? room - 17
                                                           : 0;
  const std::wstring part = ReadablePart(canonical, readable);
  return part.empty() ? hash : part + L"-" + hash;
}

std::wstring FallbackFolder(const std::wstring& programFolder) {
  const std::wstring base = ProductFolder(platform::RoamingAppDataFolder());
  if (base.empty()) return base;
  const std::size_t used = base.size() + 1 + 1 + kLongestFileName;
  const std::size_t room = used < kMaxPath ? kMaxPath - used : 0;
  return base + L"\\" + FolderTag(programFolder, room);
}

std::wstring RecoveryRoot() {
  const std::wstring base = ProductFolder(platform::LocalAppDataFolder());
  return base.empty() ? base : base + L"\\recovery";
}

std::wstring RecoveryFolder(const std::wstring& dataFolder) {
  const std::wstring recovery = RecoveryRoot();
  if (recovery.empty()) return recovery;
  const std::size_t used = recovery.size() + 1 + 1 + kLongestFileName;
  const std::size_t room = used < kMaxPath ? kMaxPath - used : 0;
  return recovery + L"\\" + FolderTag(dataFolder, room);
}

// (1) The program's folder holds files and can write them: it is used, and
// nothing else is looked at, so a start stays as quick as it was. (2) Its
// own folder in the user's data holds files (it fell back before, or takes
// over those that an earlier version kept straight in %APPDATA%\Pinrow): it
// is used, and the program's folder is not probed again. (3) The program's
// folder takes new files. (4) Else the user's folder is made.
DataFolderChoice ChooseDataFolder() {
  const std::wstring app = platform::AppPath();
  if (HoldsFiles(app) && FilesTakeWrites(app)) return {app};
  const std::wstring fallback = FallbackFolder(app);
  if (fallback.empty()) return {app};
  if (HoldsFiles(fallback)) return {fallback};
  const std::wstring legacy = ProductFolder(platform::RoamingAppDataFolder());
  if (HoldsFiles(legacy)) return {fallback, DataFolderChoice::kTakeOver};
  if (platform::FolderTakesNewFile(app)) return {app};
  return {fallback, DataFolderChoice::kMake};
}

// The user's folder exists before the folder is claimed, so every start
// claims it by the same identity.
bool PrepareDataFolder(DataFolderChoice& choice) {
  if (choice.folder == platform::AppPath() ||
      platform::FolderExists(choice.folder))
    return true;
  const std::wstring parent =
      choice.folder.substr(0, choice.folder.rfind('\\'));
  if (platform::MakeFolder(parent) && platform::MakeFolder(choice.folder))
    return true;
  choice = {platform::AppPath()};  // stay beside the program
  return false;
}

void UseDataFolder(const DataFolderChoice& choice) {
  const std::wstring app = platform::AppPath();
  DataFolderPath = choice.folder == app ? L"" : choice.folder;
  if (choice.setup == DataFolderChoice::kTakeOver)
    MoveFiles(ProductFolder(platform::RoamingAppDataFolder()), choice.folder);
  if (choice.setup == DataFolderChoice::kMake)
    CopyMissingFiles(app, choice.folder);
  if (choice.setup != DataFolderChoice::kNone) ShowNotice(choice.folder);
}

}  // namespace modPublic
