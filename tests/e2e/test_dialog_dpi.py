"""The settings dialog at 96 and at 144 dpi: laid out in twips at its
screen's dpi, every control inside the dialog, and a screenshot of each
page kept as a test artifact (build/e2e/artifacts/)."""

import unittest

import editor
import harness

PAGES = 4
CLIENT_TWIPS = (6660, 6840)
ARTIFACTS = harness.E2E_DIR / "artifacts"


def controls(result):
    """(class, left, top, width, height, text) of each 'control' line."""
    found = []
    for value in result.values("control"):
        cls, l, t, w, h, text = (value.split(" ") + [""])[:6]
        found.append((cls, int(l), int(t), int(w), int(h),
                      bytes.fromhex(text).decode("utf-8")))
    return found


class DialogDpiTest(unittest.TestCase):

    def check_dpi(self, wine):
        app = wine.new_app()
        bar = wine.start_bar(app)
        self.addCleanup(bar.kill)
        bar.wait_shown()
        presser = editor.Presser(wine)
        step = ["window", "Pinrow", "clickpic", 0, 0,
                "window", "設定", "waitwin", 5000]
        dialog = None
        tpp = 1440 // wine.dpi
        for page in range(PAGES):
            result = presser.run(*step, "sleep", 300, "controls")
            self.assertTrue(result.ok, result.error)
            dialog = dialog or wine.wait_window(title="設定")
            ARTIFACTS.mkdir(parents=True, exist_ok=True)
            wine.screenshot(ARTIFACTS / f"dialog-{wine.dpi}dpi-page{page}.png",
                            dialog["rect"])
            for cls, l, t, w, h, text in controls(result):
                with self.subTest(dpi=wine.dpi, page=page, control=(cls, text)):
                    self.assertGreaterEqual(min(l, t), 0)
                    self.assertLessEqual(l + w, CLIENT_TWIPS[0] + tpp)
                    self.assertLessEqual(t + h, CLIENT_TWIPS[1] + tpp)
            step = ["window", "設定", "keys", "ctrl+tab"]
        width, height = dialog["client"]
        self.assertAlmostEqual(width * tpp, CLIENT_TWIPS[0], delta=tpp)
        self.assertAlmostEqual(height * tpp, CLIENT_TWIPS[1], delta=tpp)

    def test_96_dpi(self):
        self.check_dpi(harness.session())

    def test_144_dpi(self):
        wine = harness.Session(work_dir=harness.E2E_DIR / "dpi144", dpi=144)
        self.addCleanup(wine.stop)
        wine.start()
        self.check_dpi(wine)


if __name__ == "__main__":
    unittest.main()
