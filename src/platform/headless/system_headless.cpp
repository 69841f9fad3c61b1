// System services of the headless backend: message and input boxes, the
// clipboard, desktop windows and keyboard input are recorded in a log;
// files are real files in the application folder given to Reset.
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "runtime/vb.h"

namespace platform::headless {
namespace {

struct SystemState {
  std::wstring appPath;
  std::vector<std::wstring> log;
  std::vector<MsgBoxCall> msgBoxes;
  std::deque<std::wstring> answers;
  std::function<void()> inputBoxHook;
  WindowHandle foreground = 0;
  std::set<WindowHandle> ownWindows;
  std::wstring clipboard;
  int clipboardHeld = 0;
  FileFault fileFault = FileFault::None;
};

SystemState& State() {
  static SystemState state;
  return state;
}

void Record(const std::wstring& line) { State().log.push_back(line); }

// Consumes an injected fault of the given kind: true when it applies now.
bool TakeFault(FileFault kind) {
  if (State().fileFault != kind) return false;
  State().fileFault = FileFault::None;
  return true;
}

void OpenClipboard() {
  if (State().clipboardHeld > 0) {
    --State().clipboardHeld;
    vb::Raise(vb::kClipboard);
  }
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
class HeadlessOutputFile : public OutputFile {
 public:
  explicit HeadlessOutputFile(std::string target)
      : target_(std::move(target)), temp_(target_ + ".tmp") {
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) vb::Raise(vb::kPathAccess);
  }
  ~HeadlessOutputFile() override {
    if (committed_) return;
    out_.close();
    std::remove(temp_.c_str());
  }
  void Write(const std::string& bytes) override {
    if (TakeFault(FileFault::Write)) vb::Raise(vb::kFileIo);
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_) vb::Raise(vb::kFileIo);
  }
  void Commit() override {
    if (TakeFault(FileFault::Commit)) vb::Raise(vb::kFileIo);
    out_.close();
    if (out_.fail() || std::rename(temp_.c_str(), target_.c_str()) != 0)
      vb::Raise(vb::kFileIo);
    committed_ = true;
  }

 private:
  std::string target_, temp_;
  std::ofstream out_;
  bool committed_ = false;
};

}  // namespace

void Reset(const std::wstring& appPath) {
  State() = SystemState();
  State().appPath = appPath;
  std::error_code ec;
  std::filesystem::create_directories(NativePath(appPath), ec);
}

std::vector<std::wstring>& Log() { return State().log; }
std::vector<MsgBoxCall>& MsgBoxes() { return State().msgBoxes; }
void QueueInputBoxAnswer(const std::wstring& answer) {
  State().answers.push_back(answer);
}
void OnInputBox(std::function<void()> hook) {
  State().inputBoxHook = std::move(hook);
}
void SetForegroundWindow(WindowHandle h) { State().foreground = h; }
void AddOwnWindow(WindowHandle h) { State().ownWindows.insert(h); }
std::wstring ClipboardText() { return State().clipboard; }
void HoldClipboard(int count) { State().clipboardHeld = count; }
void InjectFileFault(FileFault fault) { State().fileFault = fault; }

std::string NativePath(const std::wstring& path) {
  std::string out;
  for (wchar_t c : path) AppendUtf8(out, c == L'\\' ? U'/' : char32_t(c));
  return out;
}

}  // namespace platform::headless

namespace platform {
using headless::Record;
using headless::State;

int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) {
  Record(L"MsgBox " + std::to_wstring(style) + L" " + title + L" " + prompt);
  State().msgBoxes.push_back({prompt, style, title});
  return 1;  // OK
}

std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) {
  Record(L"InputBox " + title + L" " + prompt);
  if (State().inputBoxHook) State().inputBoxHook();
  auto& answers = State().answers;
  if (answers.empty()) return L"";
  std::wstring answer = answers.front();
  answers.pop_front();
  return answer;
}

void DoEvents() { Record(L"DoEvents"); }

void ClipboardClear() {
  headless::OpenClipboard();
  State().clipboard.clear();
  Record(L"ClipboardClear");
}

void ClipboardSetText(const std::wstring& text) {
  headless::OpenClipboard();
  State().clipboard = text;
  Record(L"ClipboardSetText " + text);
}

WindowHandle GetForegroundWindow() { return State().foreground; }

bool IsOwnWindow(WindowHandle h) { return State().ownWindows.count(h) > 0; }

bool SetWindowPos(WindowHandle h, WindowHandle insertAfter, int, int, int, int,
                  unsigned flags) {
  Record(L"SetWindowPos " + std::to_wstring(h) + L" " +
         std::to_wstring(insertAfter) + L" " + std::to_wstring(flags));
  return true;
}

void Sleep(int ms) { Record(L"Sleep " + std::to_wstring(ms)); }

void KeybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags,
                std::uintptr_t) {
  Record(L"keybd_event " + std::to_wstring(vk) + L" " + std::to_wstring(flags));
}

void ShellOpen(const std::wstring& target) { Record(L"ShellOpen " + target); }

std::wstring AppPath() { return State().appPath; }

bool FileExists(const std::wstring& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(headless::NativePath(path), ec);
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
  return std::make_unique<headless::HeadlessOutputFile>(
      headless::NativePath(path));
}

void EndProcess() { throw headless::ProcessEnded{}; }

}  // namespace platform
