"""Helpers for the tests that drive the bar against a real editor.

Wine's notepad plays the editor the user types in; presser.exe (a tool of
the Windows build) plays the user: real clicks, keys and drags, answers to
input boxes, and reads of the editor's text. One presser run executes a
whole script of commands, so a test pays Wine's start-up cost only once
per step that has to wait for the bar.

    class MyTest(editor.EditorTestCase):
        def test_x(self):
            self.start_bar_shown()
            result = self.press(*editor.focus_editor(), "click", "HR",
                                *editor.wait_text("equals", "<hr size='1'>"))
"""

import subprocess

import harness

# Longer than the bar's default timer interval (100 ms), so the timer has
# recorded the editor as the window to paste into.
FOCUS_WAIT_MS = 400
TEXT_TIMEOUT_MS = 5000
DIALOG_TIMEOUT_MS = 10000

DEFAULT_SETUP_LINES = [
    "[MainForm]", "Height = 2805", "Width = 1320", "Top = 300", "Left = 300",
    "PShiftKey = 162", "PKey = V", "GTime = 100", "Delay0 = 200",
    "Delay1 = 200",
] + [line for section in ("Table", "Caption", "TH", "TR", "TD")
     for line in (f"[{section}]", "quality=", "Visible=-1", "Enter=0")]

UL_START = "<ul style='list-style-type:square;'>"
UL_END = "</ul>"
HR = "<hr size='1'>"
IMG = "<img src=''>"

# Where notepad goes (pixels): clear of the bar at the desktop's top left
# and of the baseline program's window at the top right.
EDITOR_PLACE = (450, 250, 700, 450)

# The table button's place on the bar, twips.
TABLE_BUTTON_TWIPS = (400, 0)


def setup_ini(**main_form):
    """setup.ini text: the default file with [MainForm] keys replaced; keys
    the default file lacks are added at the end of [MainForm]."""
    lines = list(DEFAULT_SETUP_LINES)
    known = set()
    for i, line in enumerate(lines[:10]):  # the [MainForm] section
        key = line.split(" = ")[0]
        known.add(key)
        if key in main_form:
            lines[i] = f"{key} = {main_form[key]}"
    extra = [f"{k}={v}" for k, v in main_form.items() if k not in known]
    lines[10:10] = extra
    return "".join(line + "\r\n" for line in lines)


def encode(arg):
    """A presser argument: plain when safe on a command line, else hex."""
    text = str(arg)
    if text and all(c.isascii() and (c.isalnum() or c in "._-")
                    for c in text):
        return text
    return "hex:" + text.encode("utf-8").hex()


# -- command builders (lists to splice into one presser script) --------------

def focus_editor(wait_ms=FOCUS_WAIT_MS):
    """Finds notepad, keeps it clear of the bar, brings it to the front."""
    return ["notepad", TEXT_TIMEOUT_MS, "place", *EDITOR_PLACE,
            "focus", wait_ms]


def wait_text(mode, text, timeout_ms=TEXT_TIMEOUT_MS):
    return ["wait", mode, text, timeout_ms]


def answer(title, text, timeout_ms=DIALOG_TIMEOUT_MS):
    return ["answer", title, text, timeout_ms]


def cancel(title, timeout_ms=DIALOG_TIMEOUT_MS):
    return ["answer", title, "::cancel", timeout_ms]


class PresserResult:
    """The lines that one presser run wrote, as (key, value) pairs."""

    def __init__(self, pairs, returncode):
        self.pairs = pairs
        self.returncode = returncode

    @property
    def ok(self):
        return self.returncode == 0 and ("ok", "") in self.pairs

    @property
    def error(self):
        return next((v for k, v in self.pairs if k == "error"), None)

    def values(self, key):
        return [v for k, v in self.pairs if k == key]

    def texts(self, key):
        """Values of a hex key, decoded."""
        return [bytes.fromhex(v).decode("utf-8") for v in self.values(key)]

    def last_text(self):
        texts = self.texts("text_hex")
        return texts[-1] if texts else None

    def numbers(self, key):
        return [float(v) for v in self.values(key)]


class Presser:
    """Runs presser.exe scripts in a harness session."""

    def __init__(self, session):
        self.session = session
        self.exe = session.tool("presser.exe")
        self.count = 0

    def run(self, *script, timeout=120):
        self.count += 1
        out = self.session.run_dir / "out" / f"presser-{self.count}.txt"
        args = ["wine", str(self.exe), harness.winpath(out)]
        args += [encode(a) for a in script]
        proc = subprocess.run(args, env=self.session.env,
                              stdin=subprocess.DEVNULL,
                              stdout=self.session.log,
                              stderr=self.session.log, timeout=timeout)
        if not out.exists():
            raise harness.HarnessError("presser wrote no result")
        text = out.read_text(encoding="utf-8")
        out.unlink()
        pairs = [tuple(line.split("\t", 1)) for line in text.splitlines()
                 if "\t" in line]
        return PresserResult(pairs, proc.returncode)


def start_notepad(session):
    """Starts Wine's notepad; the caller ends it by its own pid."""
    return session.popen(["notepad"])


def stop_process(proc):
    if proc.poll() is None:
        proc.kill()
        proc.wait(10)


def check_virtual_desktop(presser):
    """Focus and synthetic input between programs work only inside Wine's
    virtual desktop; without it every test here fails obscurely."""
    session = presser.session
    if getattr(session, "desktop_checked", False):
        return
    size = presser.run("desktop").values("desktop")
    want = harness.DESKTOP_SIZE.replace("x", " ")
    if size != [want]:
        raise harness.HarnessError(
            f"Wine's virtual desktop is not active (screen {size}, want "
            f"{want}); the prefix settings take effect after wineserver "
            f"restarts")
    session.desktop_checked = True


class EditorTestCase(harness.BarTestCase):
    """A fresh bar folder (self.app), a presser and, unless the class sets
    uses_editor to False, a fresh notepad."""

    uses_editor = True

    def setUp(self):
        super().setUp()
        self.presser = Presser(self.wine)
        check_virtual_desktop(self.presser)
        if self.uses_editor:
            self.notepad = start_notepad(self.wine)
            self.addCleanup(stop_process, self.notepad)

    def start_bar_shown(self, setup=None):
        """Starts the bar in self.app (with a setup.ini text if given) and
        waits until its window shows."""
        if setup is not None:
            self.app.write("setup.ini", setup)
        self.bar = self.start_bar()
        self.bar.wait_shown()
        return self.bar

    def press(self, *script, timeout=120):
        """Runs a presser script that must succeed; returns its result."""
        result = self.presser.run(*script, timeout=timeout)
        if not result.ok:
            self.fail(f"presser failed: {result.error}; "
                      f"editor text {result.last_text()!r}; "
                      f"dialogs {self.dialogs()}")
        return result

    def dialogs(self):
        """Titles and texts of the dialogs open now (for failure reports)."""
        found = self.presser.run("dialogs")
        return found.texts("dialog_hex") + found.texts("dialog_text_hex")

    def close_bar(self):
        self.bar.close()
        self.assertEqual(self.bar.wait_exit(), 0)

    def tag_lines(self):
        return self.app.read("tag.txt").decode("cp932").split("\r\n")

