// Which windows may become the window to paste into. The target is the
// window the user last worked in; the shell's own surfaces come to the
// front too (the desktop, the task bars, Start, Search, the task switcher,
// the notification and quick-settings panes), and a press must not type a
// tag into them. Pure: each backend gives it what it knows of a window.
#pragma once

#include <cwctype>
#include <functional>
#include <string>

namespace platform {

// What the rule looks at, as the window system reports it.
struct WindowTraits {
  std::wstring className;
  // The desktop, as GetShellWindow or GetDesktopWindow names it.
  bool shellWindow = false;
  // DWMWA_CLOAKED: built but not shown (a window on another virtual
  // desktop, a suspended app, a shell surface kept ready).
  bool cloaked = false;
  // WS_EX_NOACTIVATE: the system never makes it the foreground window when
  // it is clicked; such windows (on-screen keyboards, palettes) are never
  // where the user types.
  bool noActivate = false;
};

namespace target_rules {

// Case-insensitive comparison of names (window classes and file names).
inline bool SameName(const std::wstring& a, const wchar_t* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return i == a.size() && !b[i];
}

// Window classes of the shell's surfaces. Windows documents none of them;
// they are the names that window tools which must skip the shell agree on
// (the excluded classes of tiling window managers and window-border tools
// such as GlazeWM and ClunkyBorders, of docks and of window switchers).
inline bool IsShellClass(const std::wstring& cls) {
  for (const wchar_t* shell : {
           L"Progman", L"WorkerW",                       // the desktop
           L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd",  // task bars
           L"NotifyIconOverflowWindow",                  // hidden icons
           L"TopLevelWindowForOverflowXamlIsland",       // (Windows 11)
           L"MultitaskingViewFrame",                     // task view
           L"XamlExplorerHostIslandWindow",              // (Windows 11)
           L"ForegroundStaging",                         // switching
           L"Shell_InputSwitchTopLevelWindow",           // input switch
           L"ControlCenterWindow",  // quick settings (Windows 11)
       })
    if (SameName(cls, shell)) return true;
  return false;
}

// "Windows.UI.Core.CoreWindow" is the window of every UWP app as well as of
// Start, Search and the notification and quick-settings panes: only the
// shell's hosts make it a surface of the shell. The hosts as tools that
// tell Start and Search from apps name them (Magpie's
// WindowHelper::IsStartMenu: StartMenuExperienceHost, SearchApp on
// Windows 10, SearchHost on Windows 11; SearchUI before Windows 10 2004),
// and ShellExperienceHost, which hosts the notification and quick-settings
// panes (and Start before Windows 10 1903).
inline bool IsShellHost(const std::wstring& image) {
  for (const wchar_t* host :
       {L"StartMenuExperienceHost.exe", L"SearchHost.exe", L"SearchApp.exe",
        L"SearchUI.exe", L"ShellExperienceHost.exe"})
    if (SameName(image, host)) return true;
  return false;
}

constexpr const wchar_t* kCoreWindowClass = L"Windows.UI.Core.CoreWindow";

// Window classes of consoles and terminals, where Ctrl+C stops the running
// program instead of copying: the console host (ConsoleWindowClass) and
// Windows Terminal (CASCADIA_HOSTING_WINDOW_CLASS), then the classes the
// terminals register for their windows in their own sources (mintty, the
// terminal of Git Bash, Cygwin and MSYS2; PuTTY under its program name;
// Tera Term's VTWin32) and as the terminal lists of window tools name them
// (ConEmu and Cmder, WezTerm, Alacritty).
inline bool IsTerminalClass(const std::wstring& cls) {
  for (const wchar_t* terminal : {
           L"ConsoleWindowClass",
           L"CASCADIA_HOSTING_WINDOW_CLASS",
           L"mintty",
           L"PuTTY",
           L"VTWin32",
           L"VirtualConsoleClass",
           L"org.wezfurlong.wezterm",
           L"Alacritty",
       })
    if (SameName(cls, terminal)) return true;
  return false;
}

}  // namespace target_rules

// Whether a window of another program may become the target. `imageOf`
// gives the file name of the window's program ("SearchHost.exe"), empty
// when unknown; it is asked only for a core window.
inline bool MayBeTarget(const WindowTraits& w,
                        const std::function<std::wstring()>& imageOf) {
  using namespace target_rules;
  if (w.shellWindow || w.cloaked || w.noActivate) return false;
  if (IsShellClass(w.className)) return false;
  if (SameName(w.className, kCoreWindowClass)) return !IsShellHost(imageOf());
  return true;
}

}  // namespace platform
