"""A program folder that takes no new file (a read-only bind mount, as an
installed program's folder is for its user): the files move to a folder of
that program folder's own in the user's data, with a notice once, and stay
there; every copy of the program keeps its own files."""

import re
import shutil
import subprocess
import unittest

import harness
from test_startup import DEFAULT_TAGS, is_toggle_button

NOTICE = ("アプリケーションのフォルダーに書き込めないため、"
          "ボタンと設定を次のフォルダーに保存します。")
MINE = DEFAULT_TAGS.replace(b"UL", b"MINE")


class DataFolderTest(harness.BarTestCase):

    def setUp(self):
        super().setUp()
        self.folder, self.shown = self.user_folder()
        shutil.rmtree(self.folder, ignore_errors=True)
        self.addCleanup(shutil.rmtree, self.folder, True)

    def user_folder(self):
        """The prefix's %APPDATA%\\Pinrow (the user is the one running
        Wine) as a Unix path, and as the program names it."""
        users = self.wine.prefix / "drive_c" / "users"
        roaming = next(p for p in users.glob("*/AppData/Roaming")
                       if p.parts[-3] != "Public")
        return roaming / "Pinrow", \
            f"C:\\users\\{roaming.parts[-3]}\\AppData\\Roaming\\Pinrow"

    def fallback_of(self, app):
        """The folder of `app` under %APPDATA%\\Pinrow: the end of its path
        and a hash; as a Unix path and as the program names it."""
        pattern = re.compile(".*" + re.escape(app.path.name) + "-[0-9a-f]{16}")
        found = [p for p in self.folder.iterdir() if pattern.fullmatch(p.name)]
        self.assertEqual(len(found), 1, sorted(self.folder.iterdir()))
        return found[0], self.shown + "\\" + found[0].name

    def read_only_app(self, tags=MINE):
        app = self.wine.new_app(files={"tag.txt": tags})
        done = subprocess.run(["mount", "--bind", str(app.path), str(app.path)],
                              capture_output=True)
        if done.returncode != 0:
            self.skipTest("bind mounts are not permitted here: " +
                          done.stderr.decode(errors="replace").strip())
        self.addCleanup(subprocess.run, ["umount", "-l", str(app.path)],
                        capture_output=True)
        subprocess.run(["mount", "-o", "remount,ro,bind", str(app.path)],
                       check=True)
        return app

    def captions(self, bar):
        shown = sorted((c for c in bar.children()
                        if is_toggle_button(c) and c["visible"]),
                       key=lambda c: c["rect"][1])
        return [c["text"] for c in shown]

    def wait_new_bar(self, bar, others):
        """Waits for the window of `bar` beside the running `others` (a
        bar's window is known by its title alone)."""
        seen = {b.window["hwnd"] for b in others}
        bar.window = harness.wait_until(
            lambda: next((w for w in self.wine.windows(title=harness.BAR_TITLE)
                          if w["visible"] and w["hwnd"] not in seen), None),
            30, "the new bar")
        return bar

    def start_past_notice(self, app, others=()):
        """Starts the bar of a read-only folder beside the running `others`:
        the notice names its own folder; returns the bar, shown."""
        bar = self.start_bar(app)
        box = bar.session.wait_dialog(timeout=30, process=bar)
        fallback, shown = self.fallback_of(app)
        self.assertEqual((box.caption, box.text),
                         ("Pinrow", NOTICE + "\r\n" + shown))
        box.press()
        return self.wait_new_bar(bar, others), fallback

    def test_files_move_to_the_users_folder_once(self):
        app = self.read_only_app()
        bar, fallback = self.start_past_notice(app)
        self.wine.move(bar.window["hwnd"], 60, 30, 170, 260)
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)
        self.assertEqual((fallback / "tag.txt").read_bytes(), MINE)
        self.assertIn(b"Left=900\r\n", (fallback / "setup.ini").read_bytes())
        self.assertEqual(app.read("setup.ini"), None)

        # From now on that folder is used, without a notice and without a
        # new file in the program's folder.
        bar = self.start_bar(app)
        self.assertEqual(bar.wait_shown()["rect"][:2], [60, 30])
        self.assertEqual(self.wine.windows(cls=harness.DIALOG_CLASS,
                                           pid=bar.pid), [])
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)
        self.assertEqual(sorted(p.name for p in app.path.iterdir()),
                         ["pinrow.exe", "tag.txt"])

    def test_each_copy_keeps_its_own_files(self):
        # A read-only X1 falls back; a writable W beside it keeps using its
        # own tag.txt, and a second read-only X2 gets a folder of its own:
        # three bars, each with its own buttons.
        x1 = self.read_only_app(DEFAULT_TAGS.replace(b"UL", b"X1"))
        w = self.wine.new_app(files={"tag.txt": DEFAULT_TAGS.replace(
            b"OL", b"FAR").replace(b"LI", b"NEG")})
        x2 = self.read_only_app(DEFAULT_TAGS.replace(b"UL", b"X2"))
        first, fallback1 = self.start_past_notice(x1)
        second = self.wait_new_bar(self.start_bar(w), [first])
        third, fallback2 = self.start_past_notice(x2, [first, second])
        self.assertNotEqual(fallback1, fallback2)
        self.assertEqual(self.captions(first)[0], "X1")
        self.assertEqual(self.captions(second)[:3], ["UL", "FAR", "NEG"])
        self.assertEqual(self.captions(third)[0], "X2")
        self.assertTrue(first.running() and second.running()
                        and third.running())
        for bar in (first, second, third):
            bar.close()
            self.assertEqual(bar.wait_exit(), 0)
        self.assertIsNotNone(w.read("setup.ini"))


if __name__ == "__main__":
    unittest.main()
