// Files of the headless backend: real files in the application folder given
// to Reset, with injectable faults, files held by other programs and folders
// that refuse new files.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "runtime/vb.h"

namespace platform::headless {
namespace {

struct FilesState {
  std::wstring appPath;
  FileFault fileFault = FileFault::None;
  int faultCountdown = 0;  // the fault applies when this reaches 0
  std::map<std::string, std::uint64_t> heldUntil;  // native path -> clock
  std::wstring roamingFolder, localFolder;
  std::set<std::string> refusingFolders;  // native paths
  int uniqueCount = 0;
};

FilesState& Files() {
  static FilesState state;
  return state;
}

// Consumes an injected fault of the given kind: true when it applies now.
bool TakeFault(FileFault kind) {
  if (Files().fileFault != kind || --Files().faultCountdown > 0) return false;
  Files().fileFault = FileFault::None;
  return true;
}

namespace fs = std::filesystem;

bool Held(const std::string& native) {
  auto it = Files().heldUntil.find(native);
  return it != Files().heldUntil.end() && platform::TickCount() < it->second;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) AppendUtf8(out, char32_t(c));
  return out;
}

// The file a path names in the end: a symbolic link is followed.
std::string FinalPath(const std::string& native) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(native, ec))) return native;
  const fs::path final = fs::canonical(native, ec);
  return ec ? native : final.string();
}

// Content goes to "<target>.~pnr<n>.tmp" beside the file the target names
// in the end (a link stays a link) and is renamed over it at Commit. A
// read-only target refuses every write, as the system's own write to it
// would, and is left as it was; the replacing file gets the target's
// permissions.
class HeadlessOutputFile : public OutputFile {
 public:
  explicit HeadlessOutputFile(const std::string& target)
      : target_(FinalPath(target)),
        temp_(target_ + Utf8(kSaveMark) +
              std::to_string(++Files().uniqueCount) + Utf8(kSaveTempSuffix)) {
    std::error_code ec;
    targetStatus_ = fs::status(target_, ec);
    readOnly_ = IsReadOnly(target_);
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) vb::Raise(vb::kPathAccess);
  }
  ~HeadlessOutputFile() override {
    if (committed_) return;
    out_.close();
    std::remove(temp_.c_str());
  }
  void Write(const std::string& bytes) override {
    if (readOnly_) vb::Raise(vb::kPermission);
    if (TakeFault(FileFault::Write)) vb::Raise(vb::kFileIo);
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_) vb::Raise(vb::kFileIo);
  }
  void Commit() override {
    if (readOnly_) vb::Raise(vb::kPermission);
    if (TakeFault(FileFault::Flush)) vb::Raise(vb::kFileIo);
    out_.close();
    if (out_.fail()) vb::Raise(vb::kFileIo);
    if (fs::exists(targetStatus_)) {
      std::error_code ec;
      fs::permissions(temp_, targetStatus_.permissions(), ec);
    }
    if (Held(target_)) throw FileBusy();
    if (TakeFault(FileFault::Replace) ||
        std::rename(temp_.c_str(), target_.c_str()) != 0)
      vb::Raise(vb::kFileIo);
    committed_ = true;
  }

 private:
  std::string target_, temp_;
  fs::file_status targetStatus_;
  bool readOnly_ = false;
  std::ofstream out_;
  bool committed_ = false;
};

}  // namespace

void ResetFiles(const std::wstring& appPath) {
  Files() = FilesState();
  Files().appPath = appPath;
  std::error_code ec;
  std::filesystem::create_directories(NativePath(appPath), ec);
}

bool IsReadOnly(const std::string& native) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::file_status st = fs::status(native, ec);
  return !ec && fs::exists(st) &&
         (st.permissions() & fs::perms::owner_write) == fs::perms::none;
}

void HoldFile(const std::wstring& path, int ms) {
  Files().heldUntil[NativePath(path)] = platform::TickCount() + ms;
}

void SetKnownFolders(const std::wstring& roaming, const std::wstring& local) {
  Files().roamingFolder = roaming;
  Files().localFolder = local;
}

void SetFolderTakesNewFile(const std::wstring& folder, bool takes) {
  if (takes)
    Files().refusingFolders.erase(NativePath(folder));
  else
    Files().refusingFolders.insert(NativePath(folder));
}

void InjectFileFault(FileFault fault, int nth) {
  Files().fileFault = fault;
  Files().faultCountdown = nth;
}

std::string NativePath(const std::wstring& path) {
  std::string out;
  for (wchar_t c : path) AppendUtf8(out, c == L'\\' ? U'/' : char32_t(c));
  return out;
}

}  // namespace platform::headless

namespace platform {

std::wstring AppPath() { return headless::Files().appPath; }

bool FileExists(const std::wstring& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(headless::NativePath(path), ec);
}

bool FolderExists(const std::wstring& path) {
  std::error_code ec;
  return std::filesystem::is_directory(headless::NativePath(path), ec);
}

bool FolderTakesNewFile(const std::wstring& folder) {
  return FolderExists(folder) && headless::Files().refusingFolders.count(
                                     headless::NativePath(folder)) == 0;
}

// Refused where the folder takes no file or the file is read-only; a file
// another program holds is only busy.
bool FileTakesWrites(const std::wstring& path) {
  const std::string native = headless::NativePath(path);
  const std::string folder = std::filesystem::path(native).parent_path();
  return FileExists(path) && !headless::IsReadOnly(native) &&
         headless::Files().refusingFolders.count(folder) == 0;
}

std::wstring RoamingAppDataFolder() { return headless::Files().roamingFolder; }
std::wstring LocalAppDataFolder() { return headless::Files().localFolder; }
std::wstring LocalAppDataFromEnvironment() {
  return headless::Files().localFolder;
}

// Symbolic links and "." or ".." are resolved: the spellings of one folder
// a test can make. The text comes back in UTF-8 widened code unit by code
// unit, as the tests' folder names are ASCII.
std::wstring CanonicalPath(const std::wstring& folder) {
  std::error_code ec;
  const auto final =
      std::filesystem::canonical(headless::NativePath(folder), ec);
  if (ec) return folder;
  const std::string text = final.string();
  return std::wstring(text.begin(), text.end());
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  std::error_code ec;
  const std::string target = headless::NativePath(to);
  if (std::filesystem::exists(target, ec)) return false;
  std::filesystem::rename(headless::NativePath(from), target, ec);
  return !ec;
}

bool RemoveFile(const std::wstring& path) {
  const std::string native = headless::NativePath(path);
  if (headless::Held(native)) return false;
  std::error_code ec;
  std::filesystem::remove(native, ec);
  return !std::filesystem::exists(native, ec);
}

namespace {

bool Matches(const std::string& name, const std::string& pattern) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*')
    for (std::size_t skip = 0; skip <= name.size(); ++skip)
      if (Matches(name.substr(skip), pattern.substr(1))) return true;
  return !name.empty() && pattern[0] != '*' &&
         std::tolower(static_cast<unsigned char>(name[0])) ==
             std::tolower(static_cast<unsigned char>(pattern[0])) &&
         Matches(name.substr(1), pattern.substr(1));
}

}  // namespace

std::vector<std::wstring> FindFiles(const std::wstring& folder,
                                    const std::wstring& pattern) {
  std::vector<std::wstring> names;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(headless::NativePath(folder), ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && Matches(name, headless::Utf8(pattern)))
      names.emplace_back(name.begin(), name.end());
  }
  return names;
}

std::optional<FileStamp> StampOf(const std::wstring& path) {
  const std::string native = headless::NativePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(native, ec)) return std::nullopt;
  FileStamp stamp;
  stamp.writeTime = static_cast<std::uint64_t>(
      std::filesystem::last_write_time(native, ec).time_since_epoch().count());
  stamp.size = std::filesystem::file_size(native, ec);
  return stamp;
}

bool MakeFolder(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::create_directory(headless::NativePath(path), ec);
  return FolderExists(path);
}

bool CopyNewFile(const std::wstring& from, const std::wstring& to) {
  std::error_code ec;
  return std::filesystem::copy_file(headless::NativePath(from),
                                    headless::NativePath(to), ec);
}

std::string ReadAllBytes(const std::wstring& path) {
  std::string native = headless::NativePath(path);
  std::ifstream in(native, std::ios::binary);
  if (!in) vb::Raise(FileExists(path) ? vb::kPathAccess : vb::kFileNotFound);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  if (in.bad()) vb::Raise(vb::kFileIo);
  return bytes;
}

std::unique_ptr<OutputFile> OpenOutputFile(const std::wstring& path) {
  if (headless::TakeFault(headless::FileFault::Open))
    vb::Raise(vb::kPermission);
  const std::string folder =
      std::filesystem::path(headless::NativePath(path)).parent_path().string();
  if (headless::Files().refusingFolders.count(folder))
    vb::Raise(vb::kPermission);
  return std::make_unique<headless::HeadlessOutputFile>(
      headless::NativePath(path));
}

void EndProcess() { throw headless::ProcessEnded{}; }

}  // namespace platform
