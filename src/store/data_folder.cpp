// Where tag.txt and setup.ini are kept. Normally beside the program; but a
// program folder that takes no new file (an installed program's folder, or
// one under Controlled Folder Access) would lose every save and could not
// even create the files, so they then live in the user's own data folder.
#include "platform/files.h"
#include "platform/system.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

const wchar_t* const kFileNames[] = {L"tag.txt", L"setup.ini"};

bool HoldsFiles(const std::wstring& folder) {
  for (const wchar_t* name : kFileNames)
    if (platform::FileExists(folder + L"\\" + name)) return true;
  return false;
}

void CopyMissingFiles(const std::wstring& from, const std::wstring& to) {
  for (const wchar_t* name : kFileNames) {
    const std::wstring source = from + L"\\" + name;
    const std::wstring target = to + L"\\" + name;
    if (platform::FileExists(source) && !platform::FileExists(target))
      platform::CopyNewFile(source, target);
  }
}

}  // namespace

std::wstring ChooseDataFolder() {
  const std::wstring app = platform::AppPath();
  const std::wstring user = platform::UserDataFolder();
  if (user.empty() || user == app) return app;
  if (HoldsFiles(user)) return user;
  return platform::FolderTakesNewFile(app) ? app : user;
}

void UseDataFolder(const std::wstring& folder) {
  const std::wstring app = platform::AppPath();
  DataFolderPath.clear();
  if (folder == app) return;
  const bool make = !platform::FolderExists(folder);
  if (make && !platform::MakeFolder(folder)) return;  // stay beside the program
  DataFolderPath = folder;
  CopyMissingFiles(app, folder);
  if (make)
    platform::MsgBox(
        L"アプリケーションのフォルダーに書き込めないため、"
        L"ボタンと設定を次のフォルダーに保存します。\r\n" +
            folder,
        platform::kInformation, L"Pinrow");
}

}  // namespace modPublic
