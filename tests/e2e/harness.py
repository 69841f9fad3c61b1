"""End-to-end harness: runs the Windows build under Wine on its own Xvfb.

One Session per test process (see session()) owns:
  * a Wine prefix of its own under build/e2e/ (booted once, then reused),
    locked for the session so parallel runs take another prefix;
  * an Xvfb display on a free number, with Wine's virtual desktop, the
    Japanese font replacements and LANG=ja_JP.UTF-8 (code page 932);
  * every process it starts (kept by pid and ended by pid), and at the end
    `wineserver -k` for its own prefix.

Typical test:

    class MyTest(harness.BarTestCase):
        def test_x(self):
            bar = self.start_bar()              # fresh folder self.app
            win = bar.wait_shown()              # dict, see driver.cpp
            kids = self.wine.children(win["hwnd"])
            bar.close(); self.assertEqual(bar.wait_exit(), 0)
            self.assertEqual(self.app.read("tag.txt"), b"...")

Window dicts come from driver.exe: hwnd, pid, class, title, visible,
enabled, style, rect [l, t, r, b] (screen), client [w, h], client_origin
[x, y]; children also have id, text, check and rect relative to the
parent's client area. All waits poll against a deadline.
"""

import atexit
import fcntl
import itertools
import json
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
WIN_BUILD = Path(os.environ.get("PINROW_WIN_BUILD", REPO / "build" / "windows"))
E2E_DIR = Path(os.environ.get("PINROW_E2E_DIR", REPO / "build" / "e2e"))

BAR_TITLE = "Pinrow"
ERROR_TITLE = "Pinrow：エラー"
DIALOG_CLASS = "#32770"
IDOK = 1

DESKTOP_SIZE = "1200x780"
FONT_ALIASES = ["ＭＳ Ｐゴシック", "ＭＳ ゴシック", "MS UI Gothic",
                "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma"]
CJK_FONT = "IPAPGothic"
BOOT_MARK = ".pinrow-booted"
# Code page 932, what the program's users have; C.UTF-8 gives Wine a system
# code page of 1252, as a Western system has.
JAPANESE_LANG = "ja_JP.UTF-8"
WESTERN_LANG = "C.UTF-8"
# A language whose Windows locale has no ANSI code page: Wine then makes the
# ANSI code page 65001, as Windows' option "use Unicode UTF-8 for worldwide
# language support" does. Its locale is made under build/e2e (LOCPATH).
UTF8_LANG = "hi_IN.UTF-8"


class HarnessError(RuntimeError):
    pass


def wait_until(probe, timeout, what="condition", interval=0.05):
    """Calls probe() until it returns something truthy; returns that value.

    Raises TimeoutError naming `what` when the deadline passes."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def holds_for(probe, duration, what="condition", interval=0.05):
    """Calls probe() until `duration` seconds have passed; raises
    AssertionError naming `what` as soon as it returns something falsy.
    For what must not happen: it fails as soon as it does."""
    deadline = time.monotonic() + duration
    while True:
        if not probe():
            raise AssertionError(f"{what} no longer holds")
        if time.monotonic() >= deadline:
            return
        time.sleep(interval)


def winpath(path):
    """The Windows form of a Unix path, through Wine's Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _arg(text):
    """A driver argument: '-' for any, else the text hex-encoded."""
    if text is None:
        return "-"
    return "hex:" + str(text).encode("utf-8").hex()


class AppFolder:
    """A fresh application folder holding a copy of the program."""

    def __init__(self, path, exe_src, fresh=True):
        self.path = Path(path)
        self.path.mkdir(parents=True, exist_ok=not fresh)
        self.exe = self.path / Path(exe_src).name
        shutil.copy2(exe_src, self.exe)

    def file(self, name):
        return self.path / name

    def exists(self, name):
        return self.file(name).is_file()

    def read(self, name):
        """The file's bytes, or None when it does not exist."""
        try:
            return self.file(name).read_bytes()
        except FileNotFoundError:
            return None

    def write(self, name, data):
        if isinstance(data, str):
            data = data.encode("cp932")
        self.file(name).write_bytes(data)

    def wait_change(self, name, old, timeout=10):
        """Waits until the file's bytes differ from `old`; returns them."""
        return wait_until(lambda: self._changed(name, old), timeout,
                          f"{name} to change")[0]

    def _changed(self, name, old):
        now = self.read(name)
        return (now,) if now != old else None


class Program:
    """A Windows program that the session started with `wine`."""

    def __init__(self, session, proc, title=None, cls=None, exe=None):
        self.session = session
        self.proc = proc
        self.title = title
        self.cls = cls
        self.exe = exe
        self.window = None

    @property
    def pid(self):
        """The Windows pid (known once the window was seen)."""
        return self.window["pid"] if self.window else None

    def running(self):
        return self.proc.poll() is None

    def wait_shown(self, timeout=30):
        """Waits for the program's own visible top-level window (one of
        the process of its exe, not another copy's); returns it."""
        self.window = self.session.wait_window(
            title=self.title, cls=self.cls, timeout=timeout, process=self,
            image=self.exe)
        return self.window

    def refresh(self):
        self.window = self.session.window(self.window["hwnd"])
        return self.window

    def children(self):
        return self.session.children(self.window["hwnd"])

    def wait_dialog(self, timeout=15):
        """A dialog (message box) of this program, or TimeoutError."""
        return self.session.wait_dialog(pid=self.pid, timeout=timeout,
                                        process=self)

    def close(self):
        """Posts WM_CLOSE to the program's window."""
        self.session.close_window(self.window["hwnd"])

    def wait_exit(self, timeout=15):
        """Waits for the process to end; returns its exit code."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"process {self.proc.pid} still running")

    def kill(self):
        """Ends the process by its own pid (SIGKILL)."""
        if self.running():
            self.proc.kill()
            self.proc.wait(10)


class Dialog:
    """A dialog window (class #32770) such as a message box."""

    def __init__(self, session, data):
        self.session = session
        self.window = data["window"]
        self.children = data["children"]
        self.hwnd = self.window["hwnd"]
        self.caption = self.window["title"]
        statics = [c["text"] for c in self.children
                   if c["class"] == "Static" and c["text"]]
        self.text = statics[0] if statics else ""
        self.buttons = {c["text"]: c["id"] for c in self.children
                        if c["class"] == "Button"}

    def press(self, button_id=IDOK):
        self.session.command(self.hwnd, button_id)

    def wait_gone(self, timeout=10):
        return self.session.wait_gone(self.hwnd, timeout)


class Session:
    """Xvfb + a locked Wine prefix + the processes started in them."""

    def __init__(self, build_dir=WIN_BUILD, work_dir=E2E_DIR, display=None,
                 dpi=96, lang=JAPANESE_LANG, locpath=None):
        """`display`: an X display to use instead of a new Xvfb. `dpi`: the
        screen's dots per inch in the prefix (Wine's LogPixels); `lang`: the
        Unix locale Wine takes its code page from (ja_JP: 932), found in
        the folder `locpath` if given; a prefix of another dpi or locale
        wants a work_dir of its own."""
        self.dpi = dpi
        self.lang = lang
        self.locpath = locpath
        self.build_dir = Path(build_dir)
        self.work_dir = Path(work_dir)
        self.procs = []
        self.xvfb = None
        self.lock = None
        self.prefix = None
        self.display = display
        self.env = None
        self.started = False
        self._seq = itertools.count(1)

    # -- lifecycle ----------------------------------------------------------

    def start(self):
        self.work_dir.mkdir(parents=True, exist_ok=True)
        self._lock_prefix()
        self.run_dir = self.work_dir / f"run-{os.getpid()}"
        shutil.rmtree(self.run_dir, ignore_errors=True)
        (self.run_dir / "out").mkdir(parents=True)
        self.log = open(self.run_dir / "wine.log", "ab")
        if not self.display:
            self._start_xvfb()
        self.env = self._wine_env()
        self._start_wineserver()
        self._boot_prefix()
        # First Wine program: starts the desktop with no pipe attached.
        self.driver("windows", "-", "-", "-", timeout=120)
        self.started = True
        return self

    def stop(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait(10)
        if self.env is not None:
            subprocess.run(["wineserver", "-k"], env=self.env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        if self.lock:
            self.lock.close()
            self.lock = None
        self.started = False

    def _lock_prefix(self):
        for i in range(8):
            name = "prefix" if i == 0 else f"prefix-{i}"
            lock = open(self.work_dir / f"{name}.lock", "w")
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except OSError:
                lock.close()
                continue
            self.lock = lock
            self.prefix = self.work_dir / name
            self.prefix.mkdir(exist_ok=True)
            return
        raise HarnessError("all Wine prefixes under build/e2e are in use")

    def _start_xvfb(self):
        for n in range(90, 160):
            if (Path("/tmp/.X11-unix") / f"X{n}").exists() or \
                    Path(f"/tmp/.X{n}-lock").exists():
                continue
            proc = subprocess.Popen(
                ["Xvfb", f":{n}", "-screen", "0", "1280x800x24",
                 "-nolisten", "tcp"],
                stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
            sock = Path("/tmp/.X11-unix") / f"X{n}"
            try:
                wait_until(lambda: sock.exists() or proc.poll() is not None,
                           15, f"Xvfb :{n}")
            except TimeoutError:
                proc.kill()
                continue
            if proc.poll() is None:
                self.xvfb, self.display = proc, f":{n}"
                return
        raise HarnessError("no free X display for Xvfb")

    def _wine_env(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=",
                   DISPLAY=self.display, LANG=self.lang, LC_ALL=self.lang)
        if self.locpath:
            env["LOCPATH"] = str(self.locpath)
        return env

    def _quiet(self, args, timeout=120):
        """Runs a Wine tool to completion with no pipe attached."""
        subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=self.log, timeout=timeout,
                       check=True)

    def _start_wineserver(self):
        self._quiet(["wineserver", "-p"])

    def _boot_prefix(self):
        mark = self.prefix / BOOT_MARK
        if mark.exists():
            return
        self._quiet(["wineboot", "-i"], timeout=300)
        reg = self.run_dir / "settings.reg"
        reg.write_text(self._registry_text(self.dpi), encoding="utf-16")
        self._quiet(["wine", "regedit", "/S", winpath(reg)])
        # The desktop that wineboot started predates the settings: restart
        # the prefix's server so the next program gets the virtual desktop.
        subprocess.run(["wineserver", "-k"], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=self.log,
                       stderr=self.log, timeout=60)
        subprocess.run(["wineserver", "-w"], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=self.log,
                       stderr=self.log, timeout=60)
        self._start_wineserver()
        mark.write_text("booted\n")

    @staticmethod
    def _registry_text(dpi):
        lines = ["Windows Registry Editor Version 5.00", "",
                 r"[HKEY_CURRENT_USER\Control Panel\Desktop]",
                 f'"LogPixels"=dword:{dpi:08x}', "",
                 r"[HKEY_CURRENT_USER\Software\Wine\Explorer]",
                 '"Desktop"="Default"', "",
                 r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]",
                 f'"Default"="{DESKTOP_SIZE}"', "",
                 r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
        lines += [f'"{name}"="{CJK_FONT}"' for name in FONT_ALIASES]
        return "\r\n".join(lines) + "\r\n"

    # -- processes ----------------------------------------------------------

    def tool(self, name):
        """Path of a program of the Windows build (pinrow.exe, driver.exe)."""
        path = self.build_dir / name
        if not path.is_file():
            raise HarnessError(f"{path} is missing: run the windows build")
        return path

    def popen(self, args, cwd=None):
        """Starts a Wine command; its pid is kept so stop() can end it."""
        proc = subprocess.Popen(["wine", *map(str, args)], env=self.env,
                                cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=self.log, stderr=self.log)
        self.procs.append(proc)
        return proc

    def new_app(self, exe="pinrow.exe", files=None):
        """A fresh folder with a copy of `exe` and the given files."""
        app = AppFolder(self.run_dir / f"app-{next(self._seq)}",
                        self.tool(exe))
        for name, data in (files or {}).items():
            app.write(name, data)
        return app

    def start_program(self, app, title=None, cls=None):
        """Starts the program of an AppFolder in that folder."""
        return Program(self, self.popen([app.exe], cwd=app.path), title, cls,
                       exe=app.exe)

    def start_bar(self, app):
        return self.start_program(app, title=BAR_TITLE)

    # -- driver ---------------------------------------------------------------

    def driver(self, command, *args, timeout=60):
        """Runs driver.exe and returns its parsed JSON result."""
        out = self.run_dir / "out" / f"d{next(self._seq)}.json"
        subprocess.run(["wine", str(self.tool("driver.exe")), winpath(out),
                        command, *map(str, args)],
                       env=self.env, stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=self.log, timeout=timeout)
        if not out.exists():
            raise HarnessError(f"driver {command} wrote no result")
        result = json.loads(out.read_text(encoding="utf-8"))
        out.unlink()
        if isinstance(result, dict) and "error" in result:
            raise HarnessError(f"driver {command}: {result['error']}")
        return result

    def windows(self, title=None, cls=None, pid=None):
        """Top-level windows matching exact title, class and Windows pid."""
        return self.driver("windows", _arg(cls), _arg(title),
                           pid if pid else "-")["windows"]

    def wait_window(self, title=None, cls=None, pid=None, timeout=30,
                    process=None, image=None):
        """The first visible matching top-level window, of the Windows pid
        or of a process of the executable `image` (a path) if given;
        TimeoutError if none shows in time or `process` (a Program) ends
        first."""
        owner = _arg(winpath(image)) if image else (pid if pid else "-")
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            step = max(100, min(int(left * 1000), 3000))
            found = self.driver("wait", _arg(cls), _arg(title), owner,
                                step)["windows"]
            if found:
                return found[0]
            if process is not None and not process.running():
                raise HarnessError(
                    f"process ended (code {process.proc.returncode}) before "
                    f"window {title or cls!r} showed")
            if time.monotonic() >= deadline:
                raise TimeoutError(f"window {title or cls!r} did not show")

    def wait_idle(self, hwnd, timeout=10):
        """Waits until the window's thread takes messages again: a click
        it was handling (a whole paste) is over."""
        if not self.driver("idle", hwnd, int(timeout * 1000))["idle"]:
            raise TimeoutError(f"window {hwnd} still busy")

    def window(self, hwnd):
        """The window's current state, or None when it is gone."""
        return self.driver("info", hwnd)

    def children(self, hwnd):
        return self.driver("children", hwnd)["children"]

    def wait_dialog(self, pid=None, timeout=15, process=None):
        """The first visible dialog (#32770), optionally of a Windows pid."""
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            step = max(100, min(int(left * 1000), 3000))
            data = self.driver("dialog", pid if pid else "-", step)
            if data:
                return Dialog(self, data)
            if process is not None and not process.running():
                raise HarnessError("process ended before a dialog showed")
            if time.monotonic() >= deadline:
                raise TimeoutError("no dialog showed")

    def wait_gone(self, hwnd, timeout=10):
        if not self.driver("gone", hwnd, int(timeout * 1000))["gone"]:
            raise TimeoutError(f"window {hwnd} still exists")
        return True

    def command(self, hwnd, control_id):
        """Posts WM_COMMAND(control_id, BN_CLICKED) to a window."""
        return self.driver("command", hwnd, control_id)["ok"]

    def click(self, hwnd):
        """Posts BM_CLICK to a button."""
        return self.driver("click", hwnd)["ok"]

    def close_window(self, hwnd):
        return self.driver("close", hwnd)["ok"]

    def move(self, hwnd, x, y, width, height):
        """SetWindowPos in pixels; returns the window's new state."""
        return self.driver("move", hwnd, x, y, width, height)

    def memory(self, pid):
        """Working set of a Windows process, bytes (None if not found)."""
        data = self.driver("memory", pid)
        return data["working_set"] if data else None

    def launch(self, app, timeout=30):
        """Starts the program of `app` from inside Wine and measures it:
        {"shown_ms", "working_set", "exited"}; it is closed afterwards."""
        return self.driver("launch", _arg(winpath(app.exe)),
                           int(timeout * 1000), timeout=timeout * 3)

    def screenshot(self, path, rect=None, margin=12):
        """Saves the screen as a PNG; with `rect` ([l, t, r, b] as in a
        window dict) only that area and a margin around it."""
        crop = []
        if rect:
            left, top = max(rect[0] - margin, 0), max(rect[1] - margin, 0)
            width = rect[2] + margin - left
            height = rect[3] + margin - top
            crop = ["-crop", f"{width}x{height}+{left}+{top}", "+repage"]
        subprocess.run(["import", "-display", self.display, "-window", "root",
                        *crop, str(path)], stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=self.log, timeout=60,
                       check=True)
        return Path(path)


_SESSION = None


def session():
    """The shared session of this test process, started on first use."""
    global _SESSION
    if _SESSION is None:
        _SESSION = Session()
        atexit.register(_SESSION.stop)
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
        try:
            _SESSION.start()
        except BaseException:
            _SESSION.stop()
            raise
    return _SESSION


_WESTERN = None


def western_session():
    """A second session whose Wine has the system code page 1252, as a
    Western system (or one set to another code page) has; started on first
    use, with a prefix of its own."""
    global _WESTERN
    if _WESTERN is None:
        _WESTERN = Session(work_dir=E2E_DIR / "cp1252", lang=WESTERN_LANG)
        atexit.register(_WESTERN.stop)
        try:
            _WESTERN.start()
        except BaseException:
            _WESTERN.stop()
            raise
    return _WESTERN


_UTF8 = None


def utf8_session():
    """A session whose Wine has the system code page 65001 (Windows' UTF-8
    option); started on first use, with a prefix of its own and the locale
    made with localedef if it is not there yet."""
    global _UTF8
    if _UTF8 is None:
        locales = E2E_DIR / "locales"
        if not (locales / UTF8_LANG).is_dir():
            locales.mkdir(parents=True, exist_ok=True)
            subprocess.run(["localedef", "-i", UTF8_LANG.split(".")[0], "-f",
                            "UTF-8", str(locales / UTF8_LANG)], check=True,
                           stdin=subprocess.DEVNULL, capture_output=True,
                           timeout=120)
        _UTF8 = Session(work_dir=E2E_DIR / "cp65001", lang=UTF8_LANG,
                        locpath=locales)
        atexit.register(_UTF8.stop)
        try:
            _UTF8.start()
        except BaseException:
            _UTF8.stop()
            raise
    return _UTF8


class BarTestCase(unittest.TestCase):
    """Base class: self.wine is the session, self.app a fresh folder."""

    # The session the tests run in; a class may run its tests in another.
    wine_session = staticmethod(session)

    def setUp(self):
        self.wine = self.wine_session()
        self.app = self.wine.new_app()
        self._programs = []
        self.addCleanup(self._end_programs)

    def start_bar(self, app=None):
        bar = self.wine.start_bar(app or self.app)
        self._programs.append(bar)
        return bar

    def _end_programs(self):
        for program in self._programs:
            program.kill()


if __name__ == "__main__":
    # Smoke test of the harness itself on the bare baseline program.
    s = session()
    app = s.new_app("baseline.exe")
    prog = s.start_program(app, title="Baseline")
    win = prog.wait_shown()
    print("shown:", win)
    print("moved:", s.move(win["hwnd"], 100, 120, 200, 150)["rect"])
    prog.close()
    print("exit code:", prog.wait_exit())
    print("launch:", s.launch(s.new_app("baseline.exe")))
