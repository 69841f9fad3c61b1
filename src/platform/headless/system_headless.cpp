// System services of the headless backend: message and input boxes, the
// clipboard, desktop windows and keyboard input are recorded in a log.
#include <deque>
#include <set>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "runtime/vb.h"

namespace platform::headless {
namespace {

struct SystemState {
  std::vector<std::wstring> log;
  std::vector<MsgBoxCall> msgBoxes;
  std::deque<std::wstring> answers;
  std::function<void()> inputBoxHook;
  WindowHandle foreground = 0;
  std::set<WindowHandle> ownWindows;
  std::wstring clipboard;
  int clipboardHeld = 0;
  std::uint64_t clock = 1000000;  // some time after the system started
  int doubleClickTime = 500;
};

SystemState& State() {
  static SystemState state;
  return state;
}

void Record(const std::wstring& line) { State().log.push_back(line); }

void OpenClipboard() {
  if (State().clipboardHeld > 0) {
    --State().clipboardHeld;
    vb::Raise(vb::kClipboard);
  }
}

}  // namespace

void Reset(const std::wstring& appPath) {
  State() = SystemState();
  ResetFiles(appPath);
}

std::vector<std::wstring>& Log() { return State().log; }
std::vector<MsgBoxCall>& MsgBoxes() { return State().msgBoxes; }
void QueueInputBoxAnswer(const std::wstring& answer) {
  State().answers.push_back(answer);
}
void OnInputBox(std::function<void()> hook) {
  State().inputBoxHook = std::move(hook);
}
void AdvanceClock(int ms) { State().clock += static_cast<std::uint64_t>(ms); }
void SetDoubleClickTime(int ms) { State().doubleClickTime = ms; }
void SetForegroundWindow(WindowHandle h) { State().foreground = h; }
void AddOwnWindow(WindowHandle h) { State().ownWindows.insert(h); }
void ForgetOwnWindow(WindowHandle h) { State().ownWindows.erase(h); }
std::wstring ClipboardText() { return State().clipboard; }
void HoldClipboard(int count) { State().clipboardHeld = count; }

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

std::uint64_t TickCount() { return State().clock; }
int DoubleClickTime() { return State().doubleClickTime; }

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

void ShellOpen(WindowHandle owner, const std::wstring& target,
               const std::wstring& directory) {
  Record(L"ShellOpen " + std::to_wstring(owner) + L" " + target + L" " +
         directory);
}

// The version the build gives (the project's version) and this project's
// own texts, as the version resource of the exe holds them.
VersionInfo AppVersionInfo() {
  VersionInfo v;
  v.major = PINROW_VERSION_MAJOR;
  v.minor = PINROW_VERSION_MINOR;
  v.revision = PINROW_VERSION_PATCH;
  v.company = L"headless maker";
  v.copyright = L"headless copyright";
  v.webAddress = L"https://headless.invalid/";
  return v;
}

}  // namespace platform
