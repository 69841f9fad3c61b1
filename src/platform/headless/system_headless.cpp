// System services of the headless backend: message and input boxes, the
// clipboard, desktop windows and keyboard input are recorded in a log.
#include <algorithm>
#include <deque>
#include <map>
#include <set>

#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "platform/platform.h"
#include "platform/target_rules.h"
#include "runtime/vb.h"

namespace platform::headless {
namespace {

struct FakeClipboard {
  std::vector<ClipboardFormat> formats;
  std::wstring text;
  std::uint32_t owner = 0;
  std::uint32_t sequence = 1;
};

// A copy a window was asked for, due at a time of the clock.
struct DueCopy {
  std::uint64_t at;
  std::uint32_t process;
  FakeCopy copy;
};

// A key a window of the program took, under an id.
struct HotKeyEntry {
  WindowHandle window;
  int id;
  unsigned modifiers;
  std::uint8_t vk;
};

struct SystemState {
  std::vector<std::wstring> log;
  std::vector<MsgBoxCall> msgBoxes;
  std::deque<int> msgBoxAnswers;
  std::function<void()> msgBoxHook;
  std::deque<std::wstring> answers;
  std::function<void()> inputBoxHook;
  // Milliseconds since the system started (some time ago); Sleep and
  // AdvanceClock advance it.
  std::uint64_t clock = 1000000;
  std::function<void()> sessionEndSave;
  bool sessionEnding = false;
  std::map<std::wstring, bool> claimedElsewhere;  // canonical -> window shows
  WindowHandle foreground = 0;
  std::set<WindowHandle> ownWindows;
  std::map<WindowHandle, FakeWindow> desktop;
  std::set<WindowHandle> topmost;
  FakeClipboard clipboard;
  std::map<std::wstring, unsigned> registered;  // format names -> ids
  std::vector<DueCopy> dueCopies;               // in the order they fall due
  int clipboardHeldMs = 0;
  int modifierChecks = 0;
  std::deque<int> inputLimits;  // events the next SendInput calls insert
  WindowHandle boxOwner = 0;
  int doubleClickTime = 500;
  std::function<void()> sleepHook;
  int openBoxes = 0;  // message and input boxes open now
  std::vector<HotKeyEntry> hotKeys;
  std::set<std::pair<unsigned, std::uint8_t>> hotKeysElsewhere;
  std::set<std::uint8_t> failingHotKeys;
  std::vector<std::pair<WindowHandle, int>> pendingHotKeys;
  std::vector<FakeLayout> layouts;
};

SystemState& State() {
  static SystemState state;
  return state;
}

void Record(const std::wstring& line) { State().log.push_back(line); }

// Another program's hold on the clipboard is waited out for about a second,
// as the Win32 backend does; a longer one fails the opening.
constexpr int kClipboardPatienceMs = 1000;

void OpenClipboard() {
  const int held = State().clipboardHeldMs;
  State().clipboardHeldMs = 0;
  if (held > kClipboardPatienceMs) vb::Raise(vb::kClipboard);
}

// The program's active form, which owns message and input boxes: the newest
// form on the screen.
WindowHandle BoxOwner() {
  const std::vector<Form*> forms = LiveForms();
  for (auto f = forms.rbegin(); f != forms.rend(); ++f)
    if ((*f)->Visible()) return State().boxOwner = (*f)->hWnd();
  return State().boxOwner = 0;
}

// Whether a window takes the activation from SetWindowPos: an elevated one
// takes no calls from this program, a hung one answers none, and one that
// keeps back loses to the foreground lock.
bool Activates(const FakeWindow& w) {
  return !w.elevated && !w.hung && !w.keepsBack;
}

}  // namespace

void Reset(const std::wstring& appPath) {
  State() = SystemState();
  ResetFiles(appPath);
}

void QueueMsgBoxAnswer(int answer) { State().msgBoxAnswers.push_back(answer); }
void OnMsgBox(std::function<void()> hook) {
  State().msgBoxHook = std::move(hook);
}

void EndSession() {
  State().sessionEnding = true;
  if (auto save = State().sessionEndSave) save();
  throw ProcessEnded{};
}

void ClaimedElsewhere(const std::wstring& folder, bool windowShows) {
  State().claimedElsewhere[platform::CanonicalPath(folder)] = windowShows;
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
void AddWindow(WindowHandle h, const FakeWindow& w) {
  State().desktop[h] = w;
  if (w.topmost) State().topmost.insert(h);
}
void CloseWindow(WindowHandle h) {
  State().desktop.erase(h);
  State().topmost.erase(h);
}
void ForgetOwnWindow(WindowHandle h) { State().ownWindows.erase(h); }
const FakeWindow& WindowOf(WindowHandle h) { return State().desktop.at(h); }
void LimitNextInputs(std::vector<int> inserted) {
  State().inputLimits.assign(inserted.begin(), inserted.end());
}
std::wstring ClipboardText() { return State().clipboard.text; }
std::vector<platform::ClipboardFormat> ClipboardFormats() {
  return State().clipboard.formats;
}
std::uint32_t ClipboardOwnerProcess() { return State().clipboard.owner; }

std::vector<platform::ClipboardFormat> TextFormats() {
  using namespace platform::clipboard_rules;
  return {{kUnicodeText, L""}, {kLocale, L""}, {kText, L""}, {kOemText, L""}};
}

// Registered formats get the numbers from 0xC000 on, in the order first
// asked for, the same number for the same name.
platform::ClipboardFormat Registered(const std::wstring& name) {
  auto& known = State().registered;
  auto found = known.find(name);
  if (found == known.end())
    found = known.emplace(name, 0xC000 + known.size()).first;
  return {found->second, name};
}

namespace {

void Change(const std::vector<platform::ClipboardFormat>& formats,
            const std::wstring& text, std::uint32_t process) {
  FakeClipboard& clip = State().clipboard;
  clip.formats = formats;
  clip.text = text;
  clip.owner = process;
  ++clip.sequence;
}

std::uint32_t ProcessOf(WindowHandle h, const FakeWindow& w) {
  return w.process ? w.process : static_cast<std::uint32_t>(h);
}

bool IsCtrl(std::uint8_t vk) { return vk == 17 || vk == 162 || vk == 163; }

// The copies whose time has come land on the clipboard, in order.
void Settle() {
  auto& due = State().dueCopies;
  while (!due.empty() && due.front().at <= State().clock) {
    const DueCopy copy = due.front();
    due.erase(due.begin());
    std::vector<platform::ClipboardFormat> formats = TextFormats();
    for (const std::wstring& mark : copy.copy.marks)
      formats.push_back(Registered(mark));
    Change(formats, copy.copy.text, copy.process);
  }
}

// Ctrl+C among the events that went in asks the window in front to copy.
void CopyIfAsked(const std::vector<KeyEvent>& events, int inserted) {
  bool ctrl = false, asked = false;
  for (int i = 0; i < inserted; ++i) {
    if (IsCtrl(events[i].vk)) ctrl = !events[i].up;
    if (events[i].vk == 'C' && !events[i].up && ctrl) asked = true;
  }
  const WindowHandle front = State().foreground;
  auto w = State().desktop.find(front);
  if (!asked || w == State().desktop.end() || !w->second.copies) return;
  const FakeCopy& copy = *w->second.copies;
  std::vector<DueCopy>& due = State().dueCopies;
  due.push_back({State().clock + static_cast<std::uint64_t>(copy.afterMs),
                 copy.byProcess ? copy.byProcess : ProcessOf(front, w->second),
                 copy});
  std::stable_sort(
      due.begin(), due.end(),
      [](const DueCopy& a, const DueCopy& b) { return a.at < b.at; });
}

}  // namespace

void PutOnClipboard(const std::vector<platform::ClipboardFormat>& formats,
                    const std::wstring& text, std::uint32_t process) {
  Settle();
  Change(formats, text, process);
}
void HoldClipboard(int ms) { State().clipboardHeldMs = ms; }
void HoldModifierKeys(int checks) { State().modifierChecks = checks; }
WindowHandle LastBoxOwner() { return State().boxOwner; }
void OnSleep(std::function<void()> hook) {
  State().sleepHook = std::move(hook);
}

namespace {

// A key is known by its modifiers without MOD_NOREPEAT, which only says
// how a held key presses.
std::pair<unsigned, std::uint8_t> KeyOf(unsigned modifiers, std::uint8_t vk) {
  return {modifiers & ~kModNoRepeat, vk};
}

const HotKeyEntry* HolderOf(unsigned modifiers, std::uint8_t vk) {
  for (const HotKeyEntry& e : State().hotKeys)
    if (KeyOf(e.modifiers, e.vk) == KeyOf(modifiers, vk)) return &e;
  return nullptr;
}

// The message of a press reaches the form of the window.
void FireHotKey(WindowHandle window, int id) {
  for (Form* form : LiveForms())
    if (form->hWnd() == window && form->HotKey) form->HotKey(id);
}

// Counts a message or input box while it is open.
struct OpenBox {
  OpenBox() { ++State().openBoxes; }
  ~OpenBox() { --State().openBoxes; }
};

}  // namespace

void HoldHotKeyElsewhere(unsigned modifiers, std::uint8_t vk) {
  State().hotKeysElsewhere.insert(KeyOf(modifiers, vk));
}
void FailHotKey(std::uint8_t vk) { State().failingHotKeys.insert(vk); }

bool PressHotKey(unsigned modifiers, std::uint8_t vk, bool queued) {
  const HotKeyEntry* e = HolderOf(modifiers, vk);
  if (!e) return false;
  const auto press = std::make_pair(e->window, e->id);
  if (queued)
    State().pendingHotKeys.push_back(press);
  else
    FireHotKey(press.first, press.second);
  return true;
}

void DeliverPendingHotKeys() {
  const auto pending = std::move(State().pendingHotKeys);
  State().pendingHotKeys.clear();
  for (const auto& press : pending) FireHotKey(press.first, press.second);
}

void SetKeyboardLayouts(const std::vector<FakeLayout>& layouts) {
  State().layouts = layouts;
}

}  // namespace platform::headless

namespace platform {
using headless::Record;
using headless::State;

// A box with no answer queued is left unanswered.
int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) {
  const int unanswered = UnansweredResult(style);
  if (State().sessionEnding) return unanswered;
  headless::BoxOwner();
  Record(L"MsgBox " + std::to_wstring(style) + L" " + title + L" " + prompt);
  State().msgBoxes.push_back({prompt, style, title});
  const headless::OpenBox open;
  if (State().msgBoxHook) State().msgBoxHook();
  auto& answers = State().msgBoxAnswers;
  if (answers.empty()) return unanswered;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) {
  headless::BoxOwner();
  Record(L"InputBox " + title + L" " + prompt);
  const headless::OpenBox open;
  if (State().inputBoxHook) State().inputBoxHook();
  auto& answers = State().answers;
  if (answers.empty()) return L"";
  std::wstring answer = answers.front();
  answers.pop_front();
  return answer;
}

void DoEvents() { Record(L"DoEvents"); }

int DoubleClickTime() { return State().doubleClickTime; }

std::uint32_t ClipboardSetText(const std::wstring& text) {
  headless::OpenClipboard();
  headless::Settle();
  std::vector<ClipboardFormat> formats = headless::TextFormats();
  formats.push_back(headless::Registered(clipboard_rules::kHistoryFormat));
  formats.push_back(headless::Registered(clipboard_rules::kCloudFormat));
  headless::PutOnClipboard(formats, text, headless::kOwnProcess);
  Record(L"ClipboardSetText " + text);
  return State().clipboard.sequence;
}

std::uint32_t ClipboardClear() {
  headless::OpenClipboard();
  headless::PutOnClipboard({}, L"", headless::kOwnProcess);
  Record(L"ClipboardClear");
  return State().clipboard.sequence;
}

std::uint32_t ClipboardSequence() {
  headless::Settle();
  return State().clipboard.sequence;
}

ClipboardContent ReadClipboard(
    const std::function<bool(const ClipboardContent&)>& readText) {
  headless::OpenClipboard();
  headless::Settle();
  const headless::FakeClipboard& clip = State().clipboard;
  ClipboardContent content;
  content.sequence = clip.sequence;
  content.ownerProcess = clip.owner;
  content.kinds = Classify(clip.formats);
  if (content.kinds.unicodeText && readText(content)) {
    content.text = clip.text.substr(0, clip.text.find(L'\0'));
    content.textRead = true;
  }
  Record(content.textRead ? L"ReadClipboard text" : L"ReadClipboard");
  return content;
}

WindowHandle GetForegroundWindow() { return State().foreground; }

bool IsOwnWindow(WindowHandle h) { return State().ownWindows.count(h) > 0; }

// Raising a window of the desktop without kSwpNoActivate also activates it,
// when it takes the activation.
bool SetWindowPos(WindowHandle h, WindowHandle insertAfter, int, int, int, int,
                  unsigned flags) {
  Record(L"SetWindowPos " + std::to_wstring(h) + L" " +
         std::to_wstring(insertAfter) + L" " + std::to_wstring(flags));
  auto w = State().desktop.find(h);
  const bool window = w != State().desktop.end() || IsOwnWindow(h);
  if (!window) return false;
  if (insertAfter == kHwndTopmost) State().topmost.insert(h);
  if (insertAfter == kHwndNoTopmost) State().topmost.erase(h);
  if (w != State().desktop.end() && !(flags & kSwpNoActivate) &&
      headless::Activates(w->second))
    State().foreground = h;
  return true;
}

void Sleep(int ms) {
  Record(L"Sleep " + std::to_wstring(ms));
  if (ms > 0) State().clock += static_cast<std::uint64_t>(ms);
  if (auto hook = State().sleepHook) hook();
}

std::uint64_t TickCount() { return State().clock; }

void PauseTakingSentMessages(int ms) {
  Record(L"Pause " + std::to_wstring(ms));
  if (ms > 0) State().clock += static_cast<std::uint64_t>(ms);
}

void OnSessionEnd(std::function<void()> save) {
  State().sessionEndSave = std::move(save);
}

bool SessionEnding() { return State().sessionEnding; }

// Folders are known by their canonical path, the same for every spelling;
// a running bar whose window does not show is waited for about two seconds.
Claim ClaimInstance(const std::wstring& folder, WindowHandle) {
  const auto claimed =
      State().claimedElsewhere.find(platform::CanonicalPath(folder));
  if (claimed == State().claimedElsewhere.end()) return Claim::kOurs;
  if (!claimed->second) {
    State().clock += 2000;
    return Claim::kInUse;
  }
  Record(L"BringBack " + folder);
  return Claim::kBroughtBack;
}

void BlockShutdown(WindowHandle window, const std::wstring& reason) {
  Record(L"BlockShutdown " + std::to_wstring(window) + L" " + reason);
}

void UnblockShutdown(WindowHandle window) {
  Record(L"UnblockShutdown " + std::to_wstring(window));
}

void RegisterForRestart() { Record(L"RegisterForRestart"); }

bool IsTopmost(WindowHandle h) { return State().topmost.count(h) > 0; }

namespace {

const headless::FakeWindow* DesktopWindow(WindowHandle h) {
  auto w = State().desktop.find(h);
  return w == State().desktop.end() ? nullptr : &w->second;
}

bool MayBeTargetFake(const headless::FakeWindow& w) {
  WindowTraits traits;
  traits.className = w.className;
  traits.cloaked = w.cloaked;
  traits.noActivate = w.noActivate;
  return MayBeTarget(traits, [&w] { return w.image; });
}

}  // namespace

// The program's own windows count as ordinary windows, as on Windows.
bool MayBeTarget(WindowHandle h) {
  if (IsOwnWindow(h)) return true;
  const headless::FakeWindow* w = DesktopWindow(h);
  return w && MayBeTargetFake(*w);
}

WindowFacts InspectWindow(WindowHandle h) {
  WindowFacts facts;
  facts.inFront = h != 0 && State().foreground == h;
  const headless::FakeWindow* w = DesktopWindow(h);
  if (!w) {
    facts.exists = facts.mayBeTarget = IsOwnWindow(h);
    if (!facts.exists) facts.inFront = false;
    if (facts.exists) facts.process = headless::kOwnProcess;
    return facts;
  }
  facts.exists = true;
  facts.terminal = target_rules::IsTerminalClass(w->className);
  facts.process = headless::ProcessOf(h, *w);
  facts.mayBeTarget = MayBeTargetFake(*w);
  facts.minimized = w->minimized;
  facts.integrity = w->unreadable ? Integrity::Unreadable
                    : w->elevated ? Integrity::Higher
                                  : Integrity::NotHigher;
  return facts;
}

bool AnswersWithin(WindowHandle h, int ms) {
  Record(L"Ask " + std::to_wstring(h) + L" " + std::to_wstring(ms));
  const headless::FakeWindow* w = DesktopWindow(h);
  if (!w) return IsOwnWindow(h);
  if (w->hung) State().clock += static_cast<std::uint64_t>(ms);
  return !w->hung;
}

void RestoreWindowAsync(WindowHandle h) {
  Record(L"Restore " + std::to_wstring(h));
  auto w = State().desktop.find(h);
  if (w != State().desktop.end()) w->second.minimized = false;
}

bool SetForegroundWindow(WindowHandle h) {
  Record(L"SetForegroundWindow " + std::to_wstring(h));
  const headless::FakeWindow* w = DesktopWindow(h);
  if (!w) {
    if (IsOwnWindow(h)) State().foreground = h;
    return IsOwnWindow(h);
  }
  if (w->keepsBack || w->hung) return false;
  if (!w->slipsBack) State().foreground = h;
  return true;
}

int SendKeys(const std::vector<KeyEvent>& events) {
  std::deque<int>& limits = State().inputLimits;
  const int given = static_cast<int>(events.size());
  int inserted = given;
  if (!limits.empty()) {
    if (limits.front() >= 0) inserted = std::min(limits.front(), given);
    limits.pop_front();
  }
  std::wstring line = L"SendKeys";
  for (int i = 0; i < inserted; ++i)
    line += L" " + std::to_wstring(events[i].vk) +
            (events[i].up ? L" up" : L" down");
  Record(line);
  headless::CopyIfAsked(events, inserted);
  return inserted;
}

bool ModifierKeysDown() {
  if (State().modifierChecks <= 0) return false;
  --State().modifierChecks;
  return true;
}

// The key a window held under the id before stays held with the new one,
// as RegisterHotKey keeps both until the id is unregistered.
bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers,
                    std::uint8_t vk) {
  Record(L"RegisterHotKey " + std::to_wstring(window) + L" " +
         std::to_wstring(id) + L" " + std::to_wstring(modifiers) + L" " +
         std::to_wstring(vk));
  if (State().failingHotKeys.count(vk)) vb::Raise(vb::kInvalidCall);
  if (headless::HolderOf(modifiers, vk) ||
      State().hotKeysElsewhere.count(headless::KeyOf(modifiers, vk)))
    return false;
  State().hotKeys.push_back({window, id, modifiers, vk});
  return true;
}

void UnregisterHotKey(WindowHandle window, int id) {
  Record(L"UnregisterHotKey " + std::to_wstring(window) + L" " +
         std::to_wstring(id));
  auto& keys = State().hotKeys;
  keys.erase(std::remove_if(keys.begin(), keys.end(),
                            [&](const headless::HotKeyEntry& e) {
                              return e.window == window && e.id == id;
                            }),
             keys.end());
}

void DropPendingHotKeys(WindowHandle window) {
  Record(L"DropPendingHotKeys " + std::to_wstring(window));
  auto& pending = State().pendingHotKeys;
  pending.erase(std::remove_if(pending.begin(), pending.end(),
                               [&](const std::pair<WindowHandle, int>& p) {
                                 return p.first == window;
                               }),
                pending.end());
}

std::vector<std::uint8_t> KeysTypingWithCtrlAlt(
    const std::vector<std::uint8_t>& keys) {
  const std::vector<headless::FakeLayout>& fakes = State().layouts;
  std::vector<LayoutId> layouts;
  for (std::size_t i = 0; i < fakes.size(); ++i) layouts.push_back(i);
  return KeysTypingWithCtrlAlt(layouts, keys, [&](LayoutId l, std::uint8_t vk) {
    auto typed = fakes[l].find(vk);
    return typed == fakes[l].end() ? Typed{} : typed->second;
  });
}

void KeepAltFromOpeningMenu() { Record(L"KeepAltFromOpeningMenu"); }

bool ModalOpen() { return State().openBoxes > 0 || headless::ModalFormOpen(); }

void ShowNoticeBeside(WindowHandle window, const std::wstring& text) {
  Record(L"Notice " + std::to_wstring(window) + L" " + text);
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
  return v;
}

}  // namespace platform
