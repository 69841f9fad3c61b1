// Test driver for the end-to-end tests: a console program run under Wine
// that plays the user and looks at windows of other processes.
//
//   driver.exe OUTFILE COMMAND ARGS...
//
// Results go to OUTFILE ("-" for standard output) as one JSON document in
// UTF-8, because Wine's output pipes are fragile. Text arguments may be
// given as "hex:" followed by the UTF-8 bytes in hex, so any text survives
// the trip through the command line. "-" stands for "any" in filters; a PID
// given as text ("hex:...") is the full path of the process's executable,
// so a test finds the windows of the copy of the program it started.
//
// Commands:
//   windows CLASS TITLE PID           top-level windows that match
//   wait CLASS TITLE PID TIMEOUT_MS   polls until a visible match exists
//   gone HWND TIMEOUT_MS              polls until the window is destroyed
//   idle HWND TIMEOUT_MS              waits until the window's thread takes
//                                     a message again (the click it was
//                                     handling is over)
//   info HWND                         one window
//   children HWND                     its child windows, in z-order
//   dialog PID TIMEOUT_MS             waits for a dialog (#32770) of PID and
//                                     prints it with its children
//   command HWND ID                   posts WM_COMMAND(ID, BN_CLICKED)
//   click HWND                        posts BM_CLICK to a button
//   close HWND                        posts WM_CLOSE
//   move HWND X Y W H                 SetWindowPos, then prints the window
//   memory PID                        working set of a process, bytes
//   launch EXE TIMEOUT_MS             starts EXE, times it to a visible
//                                     window, reads its working set, closes
//                                     it and waits for its exit
//   resources PID                     working set, GDI and USER object
//                                     counts and the number of windows of
//                                     a process
//   keystate                          the modifier keys that are down
//   attrib PATH VALUE                 the file's attributes, after setting
//                                     them to VALUE unless it is "-"
//   hold PATH MS MARKER               opens the file as a virus scanner
//                                     does (others may only read it),
//                                     makes the file MARKER, and keeps the
//                                     file open for MS milliseconds
//   acp                               the ANSI code page of the system
//   foreground                        the foreground window
//   ping HWND TIMEOUT_MS              whether the window's thread answers
//                                     a message in time, and after how long
#include <windows.h>
// psapi after windows.h
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "wintools.h"

namespace {

using wintools::Children;
using wintools::ClassOf;
using wintools::DecodeArg;
using wintools::FromUtf8;
using wintools::ToUtf8;

// ---------------------------------------------------------------------------
// Text and JSON

std::string Quote(const std::wstring& w) {
  std::string out = "\"";
  for (unsigned char c : ToUtf8(w)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string Num(long long v) { return std::to_string(v); }

std::string RectJson(const RECT& r) {
  return "[" + Num(r.left) + "," + Num(r.top) + "," + Num(r.right) + "," +
         Num(r.bottom) + "]";
}

// ---------------------------------------------------------------------------
// Windows

// WM_GETTEXT works across processes for every control, unlike
// GetWindowText, which does not return another process's edit text.
std::wstring TextOf(HWND h) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000,
                           &len))
    return {};
  std::wstring buf(len + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&buf[0]),
                      SMTO_ABORTIFHUNG, 2000, &got);
  buf.resize(got);
  return buf;
}

long long Handle(HWND h) { return (long long)(INT_PTR)h; }

HWND ParseHandle(const std::wstring& s) {
  return (HWND)(INT_PTR)std::wcstoll(s.c_str(), nullptr, 0);
}

std::string WindowJson(HWND h) {
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(h, &pid);
  RECT wr = {}, cr = {};
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  POINT origin = {0, 0};
  ClientToScreen(h, &origin);
  return "{\"hwnd\":" + Num(Handle(h)) + ",\"pid\":" + Num(pid) +
         ",\"tid\":" + Num(tid) + ",\"class\":" + Quote(ClassOf(h)) +
         ",\"title\":" + Quote(TextOf(h)) +
         ",\"visible\":" + (IsWindowVisible(h) ? "true" : "false") +
         ",\"enabled\":" + (IsWindowEnabled(h) ? "true" : "false") +
         ",\"style\":" + Num(GetWindowLongW(h, GWL_STYLE)) +
         ",\"exstyle\":" + Num(GetWindowLongW(h, GWL_EXSTYLE)) +
         ",\"owner\":" + Num(Handle(GetWindow(h, GW_OWNER))) +
         ",\"rect\":" + RectJson(wr) + ",\"client\":[" + Num(cr.right) + "," +
         Num(cr.bottom) + "],\"client_origin\":[" + Num(origin.x) + "," +
         Num(origin.y) + "]}";
}

// A child: its rect relative to the parent's client area, and for buttons
// the check state.
std::string ChildJson(HWND parent, HWND h) {
  RECT r = {};
  GetWindowRect(h, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  DWORD_PTR check = 0;
  if (ClassOf(h) == L"Button")
    SendMessageTimeoutW(h, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
  return "{\"hwnd\":" + Num(Handle(h)) +
         ",\"parent\":" + Num(Handle(GetParent(h))) +
         ",\"id\":" + Num(GetDlgCtrlID(h)) + ",\"class\":" + Quote(ClassOf(h)) +
         ",\"text\":" + Quote(TextOf(h)) +
         ",\"visible\":" + (IsWindowVisible(h) ? "true" : "false") +
         ",\"enabled\":" + (IsWindowEnabled(h) ? "true" : "false") +
         ",\"style\":" + Num(GetWindowLongW(h, GWL_STYLE)) +
         ",\"check\":" + Num((long long)check) + ",\"rect\":" + RectJson(r) +
         "}";
}

// The full path of the executable of a process, or "" when it cannot be
// read.
std::wstring ImageOf(DWORD pid) {
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return {};
  wchar_t buf[4096];
  DWORD n = sizeof buf / sizeof buf[0];
  std::wstring image;
  if (QueryFullProcessImageNameW(p, 0, buf, &n)) image.assign(buf, n);
  CloseHandle(p);
  return image;
}

struct Filter {
  std::wstring cls, title, image;
  DWORD pid = 0;
  bool any_cls = true, any_title = true, any_pid = true;
  bool Matches(HWND h) const {
    if (!any_cls && ClassOf(h) != cls) return false;
    if (!any_title && TextOf(h) != title) return false;
    DWORD p = 0;
    GetWindowThreadProcessId(h, &p);
    if (any_pid) return true;
    if (image.empty()) return p == pid;
    return lstrcmpiW(ImageOf(p).c_str(), image.c_str()) == 0;
  }
};

Filter MakeFilter(const std::wstring& cls, const std::wstring& title,
                  const std::wstring& pid) {
  Filter f;
  f.any_cls = cls == L"-";
  f.any_title = title == L"-";
  f.any_pid = pid == L"-";
  f.cls = DecodeArg(cls);
  f.title = DecodeArg(title);
  if (pid.compare(0, 4, L"hex:") == 0)
    f.image = DecodeArg(pid);
  else if (!f.any_pid)
    f.pid = DWORD(std::wcstoul(pid.c_str(), nullptr, 0));
  return f;
}

std::vector<HWND> TopLevel(const Filter& f, bool visible_only) {
  struct Ctx {
    const Filter* f;
    bool visible_only;
    std::vector<HWND> out;
  } ctx{&f, visible_only, {}};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(lp);
        if ((!c->visible_only || IsWindowVisible(h)) && c->f->Matches(h))
          c->out.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.out;
}

std::string WindowList(const std::vector<HWND>& hs) {
  std::string out = "[";
  for (size_t i = 0; i < hs.size(); ++i)
    out += (i ? "," : "") + WindowJson(hs[i]);
  return out + "]";
}

std::string ChildList(HWND parent) {
  std::vector<HWND> hs = Children(parent);
  std::string out = "[";
  for (size_t i = 0; i < hs.size(); ++i)
    out += (i ? "," : "") + ChildJson(parent, hs[i]);
  return out + "]";
}

double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

// Polls `found` every few milliseconds until it returns true or the time
// is up; returns the milliseconds waited, or -1 on timeout.
template <typename F>
double PollFor(F found, DWORD timeout_ms, DWORD step_ms = 5) {
  double start = NowMs();
  for (;;) {
    if (found()) return NowMs() - start;
    if (NowMs() - start > timeout_ms) return -1;
    Sleep(step_ms);
  }
}

SIZE_T WorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return 0;
  return pmc.WorkingSetSize;
}

// ---------------------------------------------------------------------------
// Commands

using Args = std::vector<std::wstring>;

std::string CmdWindows(const Args& a) {
  return "{\"windows\":" +
         WindowList(TopLevel(MakeFilter(a[0], a[1], a[2]), false)) + "}";
}

std::string CmdWait(const Args& a) {
  Filter f = MakeFilter(a[0], a[1], a[2]);
  std::vector<HWND> hs;
  double ms = PollFor([&] { return !(hs = TopLevel(f, true)).empty(); },
                      std::wcstoul(a[3].c_str(), nullptr, 0));
  return "{\"elapsed_ms\":" + Num((long long)ms) +
         ",\"windows\":" + WindowList(hs) + "}";
}

std::string CmdGone(const Args& a) {
  HWND h = ParseHandle(a[0]);
  double ms = PollFor([&] { return !IsWindow(h); },
                      std::wcstoul(a[1].c_str(), nullptr, 0));
  return "{\"gone\":" + std::string(ms >= 0 ? "true" : "false") + "}";
}

std::string CmdIdle(const Args& a) {
  DWORD_PTR unused = 0;
  const bool idle =
      SendMessageTimeoutW(ParseHandle(a[0]), WM_NULL, 0, 0, SMTO_NORMAL,
                          std::wcstoul(a[1].c_str(), nullptr, 0), &unused);
  return "{\"idle\":" + std::string(idle ? "true" : "false") + "}";
}

std::string CmdInfo(const Args& a) {
  HWND h = ParseHandle(a[0]);
  return IsWindow(h) ? WindowJson(h) : "null";
}

std::string CmdChildren(const Args& a) {
  return "{\"children\":" + ChildList(ParseHandle(a[0])) + "}";
}

std::string CmdDialog(const Args& a) {
  Filter f = MakeFilter(L"#32770", L"-", a[0]);
  std::vector<HWND> hs;
  PollFor([&] { return !(hs = TopLevel(f, true)).empty(); },
          std::wcstoul(a[1].c_str(), nullptr, 0));
  if (hs.empty()) return "null";
  return "{\"window\":" + WindowJson(hs[0]) +
         ",\"children\":" + ChildList(hs[0]) + "}";
}

std::string Posted(BOOL ok) {
  return std::string("{\"ok\":") + (ok ? "true" : "false") + "}";
}

std::string CmdCommand(const Args& a) {
  int id = int(std::wcstol(a[1].c_str(), nullptr, 0));
  return Posted(PostMessageW(ParseHandle(a[0]), WM_COMMAND,
                             MAKEWPARAM(id, BN_CLICKED), 0));
}

std::string CmdClick(const Args& a) {
  return Posted(PostMessageW(ParseHandle(a[0]), BM_CLICK, 0, 0));
}

std::string CmdClose(const Args& a) {
  return Posted(PostMessageW(ParseHandle(a[0]), WM_CLOSE, 0, 0));
}

std::string CmdMove(const Args& a) {
  HWND h = ParseHandle(a[0]);
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = int(std::wcstol(a[1 + i].c_str(), 0, 0));
  SetWindowPos(h, nullptr, v[0], v[1], v[2], v[3],
               SWP_NOZORDER | SWP_NOACTIVATE);
  return WindowJson(h);
}

std::string CmdMemory(const Args& a) {
  DWORD pid = DWORD(std::wcstoul(a[0].c_str(), nullptr, 0));
  HANDLE p =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!p) return "null";
  SIZE_T ws = WorkingSet(p);
  CloseHandle(p);
  return "{\"working_set\":" + Num((long long)ws) + "}";
}

// Starts the program in its own folder and measures it the way a user sees
// it: from the process start to its first visible top-level window.
std::string CmdLaunch(const Args& a) {
  std::wstring exe = DecodeArg(a[0]);
  DWORD timeout = std::wcstoul(a[1].c_str(), nullptr, 0);
  std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  double t0 = NowMs();
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &si, &pi))
    return "{\"error\":" + Num(GetLastError()) + "}";
  Filter f;
  f.any_pid = false;
  f.pid = pi.dwProcessId;
  std::vector<HWND> hs;
  PollFor([&] { return !(hs = TopLevel(f, true)).empty(); }, timeout, 1);
  double shown = hs.empty() ? -1 : NowMs() - t0;
  WaitForInputIdle(pi.hProcess, 2000);
  SIZE_T ws = WorkingSet(pi.hProcess);
  if (!hs.empty()) PostMessageW(hs[0], WM_CLOSE, 0, 0);
  bool exited = WaitForSingleObject(pi.hProcess, timeout) == WAIT_OBJECT_0;
  if (!exited) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.1f", shown);
  return "{\"shown_ms\":" + std::string(ms) +
         ",\"working_set\":" + Num((long long)ws) +
         ",\"exited\":" + (exited ? "true" : "false") + "}";
}

// Windows of a process: its top-level windows and all their children.
long long WindowCount(DWORD pid) {
  Filter f;
  f.any_pid = false;
  f.pid = pid;
  long long n = 0;
  for (HWND h : TopLevel(f, false)) n += 1 + (long long)Children(h).size();
  return n;
}

std::string CmdResources(const Args& a) {
  DWORD pid = DWORD(std::wcstoul(a[0].c_str(), nullptr, 0));
  HANDLE p =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!p) return "null";
  std::string out = "{\"working_set\":" + Num((long long)WorkingSet(p)) +
                    ",\"gdi\":" + Num(GetGuiResources(p, GR_GDIOBJECTS)) +
                    ",\"user\":" + Num(GetGuiResources(p, GR_USEROBJECTS)) +
                    ",\"windows\":" + Num(WindowCount(pid)) + "}";
  CloseHandle(p);
  return out;
}

// A key left down by a paste would change every later key the user types.
std::string CmdKeyState(const Args&) {
  const int keys[] = {VK_SHIFT,    VK_LSHIFT,   VK_RSHIFT, VK_CONTROL,
                      VK_LCONTROL, VK_RCONTROL, VK_MENU,   VK_LMENU,
                      VK_RMENU,    VK_LWIN,     VK_RWIN};
  std::string down = "[";
  for (int vk : keys)
    if (GetAsyncKeyState(vk) & 0x8000)
      down += (down.size() > 1 ? "," : "") + Num(vk);
  return "{\"down\":" + down + "]}";
}

std::string CmdAttrib(const Args& a) {
  std::wstring path = DecodeArg(a[0]);
  if (a[1] != L"-" &&
      !SetFileAttributesW(path.c_str(), std::wcstoul(a[1].c_str(), 0, 0)))
    return "{\"error\":\"SetFileAttributes " + Num(GetLastError()) + "\"}";
  return "{\"attributes\":" + Num(GetFileAttributesW(path.c_str())) + "}";
}

std::string CmdHold(const Args& a) {
  std::wstring path = DecodeArg(a[0]);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return "{\"error\":\"CreateFile " + Num(GetLastError()) + "\"}";
  HANDLE marker =
      CreateFileW(DecodeArg(a[2]).c_str(), GENERIC_WRITE, 0, nullptr,
                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  Sleep(std::wcstoul(a[1].c_str(), nullptr, 0));
  CloseHandle(h);
  return "{\"held\":true}";
}

std::string CmdAcp(const Args&) { return "{\"acp\":" + Num(GetACP()) + "}"; }

std::string CmdForeground(const Args&) {
  return "{\"hwnd\":" + Num(Handle(GetForegroundWindow())) + "}";
}

// A program that takes its messages answers at once; a frozen one not at all.
std::string CmdPing(const Args& a) {
  const UINT timeout = std::wcstoul(a[1].c_str(), nullptr, 0);
  DWORD_PTR result = 0;
  const double t0 = NowMs();
  const bool answered = SendMessageTimeoutW(ParseHandle(a[0]), WM_NULL, 0, 0,
                                            SMTO_NORMAL, timeout, &result) != 0;
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.1f", NowMs() - t0);
  return std::string("{\"answered\":") + (answered ? "true" : "false") +
         ",\"ms\":" + ms + "}";
}

struct Command {
  const wchar_t* name;
  size_t argc;
  std::string (*run)(const Args&);
};

const Command kCommands[] = {
    {L"windows", 3, CmdWindows},
    {L"wait", 4, CmdWait},
    {L"gone", 2, CmdGone},
    {L"idle", 2, CmdIdle},
    {L"info", 1, CmdInfo},
    {L"children", 1, CmdChildren},
    {L"dialog", 2, CmdDialog},
    {L"command", 2, CmdCommand},
    {L"click", 1, CmdClick},
    {L"close", 1, CmdClose},
    {L"move", 5, CmdMove},
    {L"memory", 1, CmdMemory},
    {L"launch", 2, CmdLaunch},
    {L"resources", 1, CmdResources},
    {L"keystate", 0, CmdKeyState},
    {L"attrib", 2, CmdAttrib},
    {L"hold", 3, CmdHold},
    {L"acp", 0, CmdAcp},
    {L"foreground", 0, CmdForeground},
    {L"ping", 2, CmdPing},
};

void Write(const std::wstring& path, const std::string& text) {
  if (path == L"-") {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return;
  }
  // Written whole to a temporary name, then renamed, so a reader never
  // sees half a result.
  std::wstring tmp = path + L".part";
  FILE* f = _wfopen(tmp.c_str(), L"wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: driver OUTFILE COMMAND ARGS...\n", stderr);
    return 2;
  }
  std::wstring out = argv[1];
  std::wstring name = argv[2];
  Args args(argv + 3, argv + argc);
  for (const Command& c : kCommands) {
    if (name != c.name) continue;
    if (args.size() < c.argc) {
      Write(out, "{\"error\":\"missing arguments\"}\n");
      return 2;
    }
    Write(out, c.run(args) + "\n");
    return 0;
  }
  Write(out, "{\"error\":\"unknown command\"}\n");
  return 2;
}
