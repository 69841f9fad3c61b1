"""A program folder that takes no new file (a read-only bind mount, as an
installed program's folder is for its user): the files move to the user's
data folder, with a notice once, and stay there."""

import shutil
import subprocess
import unittest

import harness
from test_startup import DEFAULT_TAGS

NOTICE = ("アプリケーションのフォルダーに書き込めないため、"
          "ボタンと設定を次のフォルダーに保存します。")
MINE = DEFAULT_TAGS.replace(b"UL", b"MINE")


class DataFolderTest(harness.BarTestCase):

    def user_folder(self):
        """The prefix's %APPDATA%\\Pinrow (the user is the one running
        Wine) as a Unix path, and as the program names it."""
        users = self.wine.prefix / "drive_c" / "users"
        roaming = next(p for p in users.glob("*/AppData/Roaming")
                       if p.parts[-3] != "Public")
        return roaming / "Pinrow", \
            f"C:\\users\\{roaming.parts[-3]}\\AppData\\Roaming\\Pinrow"

    def read_only_app(self):
        app = self.wine.new_app(files={"tag.txt": MINE})
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

    def test_files_move_to_the_users_folder_once(self):
        folder, shown = self.user_folder()
        shutil.rmtree(folder, ignore_errors=True)
        self.addCleanup(shutil.rmtree, folder, True)
        app = self.read_only_app()

        bar = self.start_bar(app)
        box = bar.session.wait_dialog(timeout=30, process=bar)
        self.assertEqual((box.caption, box.text),
                         ("Pinrow", NOTICE + "\r\n" + shown))
        box.press()
        win = bar.wait_shown()
        self.wine.move(win["hwnd"], 60, 30, 170, 260)
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)
        self.assertEqual((folder / "tag.txt").read_bytes(), MINE)
        self.assertIn(b"Left=900\r\n", (folder / "setup.ini").read_bytes())
        self.assertEqual(app.read("setup.ini"), None)

        # From now on the user's folder is used, without a notice, also
        # when the program's folder takes files again.
        subprocess.run(["umount", "-l", str(app.path)], check=True)
        bar = self.start_bar(app)
        self.assertEqual(bar.wait_shown()["rect"][:2], [60, 30])
        self.assertEqual(self.wine.windows(cls=harness.DIALOG_CLASS,
                                           pid=bar.pid), [])
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)
        self.assertEqual(app.read("setup.ini"), None)


if __name__ == "__main__":
    unittest.main()
