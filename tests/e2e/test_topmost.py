"""The option "バーを常に手前に表示" takes effect as the settings dialog
closes, both ways, at 96 and at 144 dpi: the bar's window is in the topmost
group (WS_EX_TOPMOST) exactly while the option is on, without a restart."""

import unittest

import editor
import harness

WS_EX_TOPMOST = 0x8
DIALOG = "設定"
# The check box on the page 設定 (the third), dialog client twips: the
# pages' origin (120, 120) plus its place on the page.
TOPMOST_BOX = ("Button", 120 + 240, 120 + 2700)


def toggle_topmost():
    """Opens the dialog, turns to the page 設定, clicks the check box and
    closes the dialog with Esc."""
    return ["window", harness.BAR_TITLE, "clickpic", 0, 0,
            "window", DIALOG, "waitwin", 5000,
            "keys", "ctrl+tab", "keys", "ctrl+tab",
            "clickon", *TOPMOST_BOX, "sleep", 200,
            "keys", "escape", "waitgone", 5000]


class TopMostTest(unittest.TestCase):

    def check(self, wine):
        app = wine.new_app(files={"setup.ini": editor.setup_ini()})
        bar = wine.start_bar(app)
        self.addCleanup(bar.kill)
        bar.wait_shown()
        presser = editor.Presser(wine)
        self.assertFalse(bar.refresh()["exstyle"] & WS_EX_TOPMOST)
        for on in (True, False):
            with self.subTest(dpi=wine.dpi, on=on):
                result = presser.run(*toggle_topmost())
                self.assertTrue(result.ok, result.error)
                topmost = harness.wait_until(
                    lambda: (bool(bar.refresh()["exstyle"] & WS_EX_TOPMOST)
                             == on) or None, 3, "the bar's topmost state")
                self.assertTrue(topmost)

    def test_96_dpi(self):
        self.check(harness.session())

    def test_144_dpi(self):
        wine = harness.Session(work_dir=harness.E2E_DIR / "dpi144", dpi=144)
        self.addCleanup(wine.stop)
        wine.start()
        self.check(wine)


if __name__ == "__main__":
    unittest.main()
