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
  std::wstring userDataFolder;
  std::set<std::string> refusingFolders;  // native paths
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

// Content goes to "<target>.tmp" and is renamed over the target at Commit.
// A read-only target refuses every write, as the system's own write to it
// would, and is left as it was; the replacing file gets the target's
// permissions.
class HeadlessOutputFile : public OutputFile {
 public:
  explicit HeadlessOutputFile(std::string target)
      : target_(std::move(target)), temp_(target_ + ".tmp") {
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

void SetUserDataFolder(const std::wstring& path) {
  Files().userDataFolder = path;
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

std::wstring UserDataFolder() { return headless::Files().userDataFolder; }

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
