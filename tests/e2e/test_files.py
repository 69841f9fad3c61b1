"""The files survive what a hostile user, another program or a failing disk
does to them: bytes the code page lacks, LF and mixed line ends, a folder
name outside the code page, other number forms in setup.ini, a file held
open for a moment, a read-only, hidden or linked tag.txt and a full
disk."""

import os
import shutil
import subprocess
import time
import unittest

import harness
from test_startup import (DEFAULT_CAPTIONS, DEFAULT_SETUP, DEFAULT_TAGS,
                          is_toggle_button, main_form_lines)

TAGS_FAILED = ("データの書き込みに失敗しました。\r\n"
               "再試行で保存し直します。キャンセルで強制終了します。")
SETTINGS_FAILED = ("設定ファイルの書き込みに失敗しました。\r\n"
                   "再試行で保存し直します。キャンセルでこの保存を取りやめます。")
IDCANCEL = 2
IDRETRY = 4
FILE_ATTRIBUTE_READONLY = 0x1
FILE_ATTRIBUTE_HIDDEN = 0x2


class FilesTest(harness.BarTestCase):

    def start_shown(self, app=None):
        bar = self.start_bar(app)
        bar.wait_shown()
        return bar

    def captions(self, bar):
        shown = sorted((c for c in bar.children()
                        if is_toggle_button(c) and c["visible"]),
                       key=lambda c: c["rect"][1])
        return [c["text"] for c in shown]

    def close_and_wait(self, bar):
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)

    def answer_failure(self, bar, text, button, meanwhile=None):
        """Waits for the box of a failed save, checks it, does what the
        user does meanwhile (once the box is there), presses a button."""
        box = bar.wait_dialog()
        self.assertEqual((box.caption, box.text), ("Pinrow：エラー", text))
        self.assertEqual(sorted(box.buttons.values()), [IDCANCEL, IDRETRY])
        if meanwhile:
            meanwhile()
        box.press(button)
        box.wait_gone()

    def expect_write_failure(self, bar):
        """The close cannot save tag.txt; Cancel ends the program."""
        bar.close()
        self.answer_failure(bar, TAGS_FAILED, IDCANCEL)
        self.assertEqual(bar.wait_exit(), 0)

    def test_undefined_bytes_and_lf_line_ends_keep_every_row(self):
        first_break = DEFAULT_TAGS.index(b"\r\n")
        odd = DEFAULT_TAGS[:first_break] + b"\x81" + DEFAULT_TAGS[first_break:]
        for name, file, saved in (
                ("undefined byte", odd, odd),
                ("LF only", DEFAULT_TAGS.replace(b"\r\n", b"\n"),
                 DEFAULT_TAGS)):
            with self.subTest(name):
                app = self.wine.new_app(files={"tag.txt": file})
                bar = self.start_shown(app)
                self.assertEqual(len(self.captions(bar)), 5)
                self.assertEqual(self.captions(bar)[1:], DEFAULT_CAPTIONS[1:])
                self.close_and_wait(bar)
                self.assertEqual(app.read("tag.txt"), saved)

    def test_lone_line_feed_of_a_hand_edit_ends_its_line(self):
        # A LF alone inside a CR LF file: every row keeps its button, and the
        # close writes each row on a line of its own.
        mixed = DEFAULT_TAGS.replace(b"</ol>\r\n", b"</ol>\n", 1)
        self.app.write("tag.txt", mixed)
        bar = self.start_shown()
        self.assertEqual(self.captions(bar), DEFAULT_CAPTIONS)
        self.close_and_wait(bar)
        self.assertEqual(self.app.read("tag.txt"), DEFAULT_TAGS)

    def test_linked_tag_file_stays_a_link(self):
        # tag.txt a link into a synced folder: the save replaces the file the
        # link points to, in its folder, and the link stays. The blanks
        # around a number, which the save drops, show that it wrote.
        synced = self.wine.run_dir / f"synced-{self.app.path.name}"
        synced.mkdir()
        (synced / "tag.txt").write_bytes(
            DEFAULT_TAGS.replace(b"0,0,400,", b"0,0, 400 ,", 1))
        os.symlink(synced / "tag.txt", self.app.file("tag.txt"))
        bar = self.start_shown()
        self.close_and_wait(bar)
        self.assertTrue(self.app.file("tag.txt").is_symlink())
        self.assertEqual(os.readlink(self.app.file("tag.txt")),
                         str(synced / "tag.txt"))
        self.assertEqual((synced / "tag.txt").read_bytes(), DEFAULT_TAGS)
        self.assertEqual([p.name for p in synced.iterdir()], ["tag.txt"])
        self.assertEqual(sorted(p.name for p in self.app.path.iterdir()),
                         ["pinrow.exe", "setup.ini", "tag.txt"])

    def test_folder_name_outside_the_code_page(self):
        # Top and Left of 600 twips are 40 pixels: the settings were read.
        app = harness.AppFolder(self.wine.run_dir / "café Zoë",
                                self.wine.tool("pinrow.exe"))
        app.write("setup.ini", DEFAULT_SETUP.replace(b"Top = 300", b"Top = 600")
                  .replace(b"Left = 300", b"Left = 600"))
        bar = self.start_shown(app)
        self.assertEqual(bar.window["rect"][:2], [40, 40])
        # The system writes the file only when a value changes.
        self.wine.move(bar.window["hwnd"], 60, 30, 170, 260)
        self.close_and_wait(bar)
        lines = main_form_lines(app.read("setup.ini"))
        self.assertEqual(lines[2:], ["Top=450", "Left=900", "PShiftKey=162",
                                     "PKey=V", "GTime=100", "Delay0=200",
                                     "Delay1=200"])

    def test_integers_are_read_as_in_the_unit_tests(self):
        # The system's own read takes "0x1000" as 4096; the shared reader
        # reads the leading digits, 0.
        self.app.write("setup.ini", DEFAULT_SETUP.replace(
            b"Top = 300", b"Top = 0x1000").replace(b"Left = 300", b"Left=0x800"))
        bar = self.start_shown()
        self.assertEqual(bar.window["rect"][:2], [0, 0])
        self.close_and_wait(bar)

    def test_read_only_tag_file_is_refused_and_kept(self):
        self.app.write("tag.txt", DEFAULT_TAGS.replace(b"UL", b"U1"))
        os.chmod(self.app.file("tag.txt"), 0o444)
        bar = self.start_shown()
        self.expect_write_failure(bar)
        self.assertEqual(self.app.read("tag.txt"),
                         DEFAULT_TAGS.replace(b"UL", b"U1"))
        self.assertEqual(os.stat(self.app.file("tag.txt")).st_mode & 0o777,
                         0o444)
        self.assertEqual(sorted(p.name for p in self.app.path.iterdir()),
                         ["pinrow.exe", "setup.ini", "tag.txt"])

    def test_read_only_tag_file_made_writable_is_saved_on_retry(self):
        # The blanks around a number, which the save drops, show that it
        # wrote; the file is made writable while the box is open.
        self.app.write("tag.txt", DEFAULT_TAGS.replace(b"0,0,400,",
                                                       b"0,0, 400 ,", 1))
        os.chmod(self.app.file("tag.txt"), 0o444)
        bar = self.start_shown()
        self.wine.move(bar.window["hwnd"], 60, 30, 170, 260)
        bar.close()
        self.answer_failure(
            bar, TAGS_FAILED, IDRETRY,
            meanwhile=lambda: os.chmod(self.app.file("tag.txt"), 0o644))
        self.assertEqual(bar.wait_exit(), 0)
        self.assertEqual(self.app.read("tag.txt"), DEFAULT_TAGS)
        self.assertIn(b"Left=900\r\n", self.app.read("setup.ini"))

    def test_file_held_for_a_moment_is_saved_when_let_go(self):
        # As a virus scanner does: open, others may only read, for 1.8 s
        # (the save waits out about two seconds) or for 1 s; the close comes
        # as soon as the holder has the file. The save follows the holder's
        # end within a few tries (50 ms apart), with no box, and never
        # while the file is held.
        for name, hold in (("tag.txt", 1.8), ("setup.ini", 1.0)):
            with self.subTest(name):
                app = self.wine.new_app(files={"tag.txt": DEFAULT_TAGS})
                bar = self.start_shown(app)
                self.wine.move(bar.window["hwnd"], 60, 30, 170, 260)
                marker = app.path.parent / f"{app.path.name}-{name}.held"
                holder = self.wine.popen([
                    self.wine.tool("driver.exe"), "-", "hold",
                    harness._arg(harness.winpath(app.file(name))),
                    int(hold * 1000), harness._arg(harness.winpath(marker))])
                harness.wait_until(marker.exists, 30, f"{name} held",
                                   interval=0.01)
                # The file was opened before the marker was made: it is let
                # go by this time at the latest.
                let_go = time.monotonic() + hold
                closed = time.monotonic()
                bar.close()
                self.assertEqual(bar.wait_exit(timeout=20), 0)
                ended = time.monotonic()
                print(f"{name} held {hold} s: the close took "
                      f"{ended - closed:.2f} s, ending "
                      f"{ended - let_go:+.2f} s after the hold")
                self.assertGreater(ended - let_go, -0.3)
                self.assertLess(ended - let_go, 0.8)
                self.assertEqual(holder.wait(20), 0)
                self.assertIn(b"Left=900\r\n", app.read("setup.ini"))
                self.assertEqual(app.read("tag.txt"), DEFAULT_TAGS)
                self.assertEqual(sorted(p.name for p in app.path.iterdir()),
                                 ["pinrow.exe", "setup.ini", "tag.txt"])

    def test_hidden_tag_file_stays_hidden(self):
        self.app.write("tag.txt", DEFAULT_TAGS)
        path = harness._arg(harness.winpath(self.app.file("tag.txt")))
        hidden = self.wine.driver("attrib", path, FILE_ATTRIBUTE_HIDDEN)
        if not hidden["attributes"] & FILE_ATTRIBUTE_HIDDEN:
            self.skipTest("this file system keeps no hidden attribute")
        bar = self.start_shown()
        self.close_and_wait(bar)
        attributes = self.wine.driver("attrib", path, "-")["attributes"]
        self.assertTrue(attributes & FILE_ATTRIBUTE_HIDDEN)
        self.assertEqual(self.app.read("tag.txt"), DEFAULT_TAGS)

    def test_full_disk_keeps_the_previous_tag_file(self):
        mount = self.wine.run_dir / "small-disk"
        mount.mkdir()
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m",
                               "tmpfs", str(mount)], capture_output=True)
        if done.returncode != 0:
            self.skipTest("mounting a small tmpfs is not permitted here: "
                          + done.stderr.decode(errors="replace").strip())
        self.addCleanup(subprocess.run, ["umount", "-l", str(mount)])
        app = harness.AppFolder(mount / "app", self.wine.tool("pinrow.exe"))
        old = DEFAULT_TAGS.replace(b"IMG", b"IMAGE")
        app.write("tag.txt", old)
        bar = self.start_shown(app)
        # A new position, so the close writes setup.ini too.
        self.wine.move(bar.window["hwnd"], 60, 30, 170, 260)
        filler = mount / "filler"
        with open(filler, "wb", buffering=0) as out:
            try:
                while out.write(b"\0" * 4096):
                    pass
            except OSError:
                pass
        setup = app.read("setup.ini")
        # Both saves fail: setup.ini is given up, then tag.txt ends the
        # program; each file stays as it was.
        bar.close()
        self.answer_failure(bar, SETTINGS_FAILED, IDCANCEL)
        self.answer_failure(bar, TAGS_FAILED, IDCANCEL)
        self.assertEqual(bar.wait_exit(), 0)
        self.assertEqual(app.read("tag.txt"), old)
        self.assertEqual(app.read("setup.ini"), setup)
        self.assertEqual(sorted(p.name for p in app.path.iterdir()),
                         ["pinrow.exe", "setup.ini", "tag.txt"])


if __name__ == "__main__":
    unittest.main()
