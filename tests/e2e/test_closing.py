"""What the user changed survives however the bar is ended: the end of the
session (wineboot -e), also with a file held so it cannot be saved then, a
tool that closes the program's windows in either order (taskkill without
/f), and a second start on the same files, also under another drive
letter."""

import os
import shutil
import subprocess
import time
import unittest

import editor
import harness

# The dialog shows a stored timer interval of 5000 ms as 990 and takes 990
# back when it closes: "GTime=990" in setup.ini tells that the dialog's
# write-back ran before the bar's close wrote [MainForm].
SETUP = editor.setup_ini(GTime=5000)
TAKEN_BACK = b"GTime=990\r\n"
QUESTION = ("前回 Windows を終了したときに保存できなかったボタンと設定が"
            "あります。読み込みますか？")
IDYES = 6
IDNO = 7


class ClosingTest(editor.EditorTestCase):

    uses_editor = False

    def open_dialog(self):
        self.press("window", "Pinrow", "clickpic", 0, 0,
                   "window", "設定", "waitwin", 5000)
        return self.wine.wait_window(title="設定")

    def end_session(self):
        try:
            subprocess.run(["wineboot", "-e"], env=self.wine.env,
                           stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60, check=True)
        except (subprocess.CalledProcessError,
                subprocess.TimeoutExpired) as failure:
            # Which window held the session up: the bar, or another
            # program of the prefix.
            shown = [(w.get("title"), w.get("class"), w.get("pid"))
                     for w in self.wine.windows() if w.get("visible")]
            raise AssertionError(f"{failure}; visible windows: {shown}")

    def test_end_of_session_saves(self):
        def moved():
            self.wine.move(self.bar.window["hwnd"], 60, 30, 170, 260)
            return b"Left=900\r\n"

        def dialog_open():
            self.open_dialog()
            return TAKEN_BACK

        def input_box_open():
            self.press("window", "Pinrow", "clickpic", 400, 0)
            self.wine.wait_window(title="列数", cls=harness.DIALOG_CLASS)
            return b"Left=300\r\n"

        for name, prepare in (("bar alone", moved),
                              ("dialog open", dialog_open),
                              ("input box open", input_box_open)):
            with self.subTest(name):
                self.app = self.wine.new_app()
                self.start_bar_shown(SETUP)
                saved = prepare()
                self.end_session()
                self.assertEqual(self.bar.wait_exit(), 0)
                self.assertIn(saved, self.app.read("setup.ini"))
                self.assertEqual(self.app.read("tag.txt").count(b"\r\n"), 5)

    def test_windows_closed_in_either_order_keep_the_dialogs_values(self):
        def taskkill(dialog):
            subprocess.run(["wine", "taskkill", "/pid", str(self.bar.pid)],
                           env=self.wine.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)

        def bar_first(dialog):
            self.wine.close_window(self.bar.window["hwnd"])
            self.wine.close_window(dialog["hwnd"])

        def dialog_first(dialog):
            self.wine.close_window(dialog["hwnd"])
            self.wine.close_window(self.bar.window["hwnd"])

        for close in (taskkill, bar_first, dialog_first):
            with self.subTest(close.__name__):
                self.app = self.wine.new_app()
                self.start_bar_shown(SETUP)
                close(self.open_dialog())
                self.assertEqual(self.bar.wait_exit(), 0)
                self.assertIn(TAKEN_BACK, self.app.read("setup.ini"))

    def test_second_start_brings_the_running_bar_back(self):
        first = self.start_bar_shown()
        self.open_notepad_in_front()
        second = self.start_bar()
        self.assertEqual(second.wait_exit(), 0)
        bars = self.wine.windows(title=harness.BAR_TITLE)
        self.assertEqual([w["hwnd"] for w in bars if w["visible"]],
                         [first.window["hwnd"]])
        harness.wait_until(
            lambda: self.wine.driver("foreground")["hwnd"] ==
            first.window["hwnd"], 5, "the running bar in front")
        # A bar of another folder runs beside it, with a window of its own.
        other = self.start_bar(self.wine.new_app())
        self.assertNotEqual(other.wait_shown()["hwnd"], first.window["hwnd"])
        self.assertTrue(first.running() and other.running())

    def test_second_drive_letter_is_the_same_folder(self):
        # P: maps the folder above the program's: P:\\app-N\\pinrow.exe is
        # the same program folder under another spelling.
        drive = self.wine.prefix / "dosdevices" / "p:"
        if drive.is_symlink() or drive.exists():
            drive.unlink()
        os.symlink(self.app.path.parent, drive)
        self.addCleanup(drive.unlink)
        # The first under its Z: spelling (Wine would name a Unix path P:).
        first = harness.Program(self.wine, self.wine.popen(
            [harness.winpath(self.app.exe)]), harness.BAR_TITLE)
        self._programs.append(first)
        self.bar = first
        first.wait_shown()
        second = self.wine.popen([f"P:\\{self.app.path.name}\\pinrow.exe"])
        try:
            self.assertEqual(second.wait(30), 0)
        finally:
            if second.poll() is None:
                second.kill()
        bars = self.wine.windows(title=harness.BAR_TITLE)
        self.assertEqual([w["hwnd"] for w in bars if w["visible"]],
                         [first.window["hwnd"]])

    def recovery_root(self):
        users = self.wine.prefix / "drive_c" / "users"
        local = next(p for p in users.glob("*/AppData/Local")
                     if p.parts[-3] != "Public")
        return local / "Pinrow" / "recovery"

    def test_held_file_at_the_end_of_the_session_is_offered_back(self):
        root = self.recovery_root()
        shutil.rmtree(root, ignore_errors=True)
        self.addCleanup(shutil.rmtree, root, True)
        self.start_bar_shown()
        self.press("window", "Pinrow", "focusbtn", "UL", "keys", "ctrl+down")
        before = self.app.read("tag.txt")
        moved = before.replace(b"0,0,400,1200,400,UL", b"0,0,500,1200,400,UL")
        marker = self.app.path.parent / f"{self.app.path.name}-held"
        holder = self.wine.popen([
            self.wine.tool("driver.exe"), "-", "hold",
            harness._arg(harness.winpath(self.app.file("tag.txt"))), 15000,
            harness._arg(harness.winpath(marker))])
        harness.wait_until(marker.exists, 30, "tag.txt held")
        started = time.monotonic()
        self.end_session()
        self.assertEqual(self.bar.wait_exit(), 0)
        self.assertLess(time.monotonic() - started, 10)
        self.assertEqual(self.app.read("tag.txt"), before)
        kept = list(root.glob("*/tag.txt"))
        self.assertEqual([p.read_bytes() for p in kept], [moved])
        self.assertEqual(holder.wait(30), 0)

        bar = self.start_bar()
        box = bar.wait_dialog(timeout=30)
        self.assertEqual((box.caption, box.text), ("Pinrow", QUESTION))
        self.assertEqual(sorted(box.buttons.values()), [IDYES, IDNO])
        box.press(IDYES)
        bar.wait_shown()
        self.assertEqual(self.app.read("tag.txt"), moved)
        self.assertFalse(kept[0].exists())
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)

    def open_notepad_in_front(self):
        notepad = editor.start_notepad(self.wine)
        self.addCleanup(editor.stop_process, notepad)
        self.press(*editor.focus_editor())


if __name__ == "__main__":
    unittest.main()
