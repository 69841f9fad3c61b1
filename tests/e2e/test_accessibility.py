"""What the bar gives every user: names for its two picture buttons, and a
refusal notice that stands beside the bar (never over its buttons), that
screen readers hear of as an alert with its text."""

import unittest

import editor
import harness
from test_paste_target import CLOSED, KEYLOG, NOTICE, ToolOutput, wait_notice

BS_ICON = 0x40
# Twips per pixel at 96 dpi; the desktop is 1200 x 780 pixels.
TPP = 15


def overlap(a, b):
    """Whether two [l, t, r, b] rectangles share any pixel."""
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


class BarForEveryUserTest(editor.EditorTestCase):

    uses_editor = False

    def test_the_picture_buttons_have_names_but_draw_only_pictures(self):
        bar = self.start_bar_shown()
        pictures = {c["text"]: c["style"] & BS_ICON for c in bar.children()
                    if c["class"] == "Button" and c["style"] & BS_ICON}
        self.assertEqual(pictures, {"設定": BS_ICON,
                                    "テーブルタグ書込み": BS_ICON})

    def refuse_a_paste(self, left_twips):
        """A bar at `left_twips` whose target has closed, pressed; the
        alerts raised meanwhile and the notice."""
        keylog = ToolOutput(self.wine, "keylog.exe")
        self.addCleanup(editor.stop_process, keylog.proc)
        keylog.wait_line("ready")
        self.app = self.wine.new_app()
        bar = self.start_bar_shown(editor.setup_ini(Left=left_twips))
        self.press("editor", KEYLOG, editor.TEXT_TIMEOUT_MS, "focus",
                   editor.FOCUS_WAIT_MS)
        target = self.wine.windows(cls=KEYLOG)[0]
        self.wine.close_window(target["hwnd"])
        self.wine.wait_gone(target["hwnd"])
        result = self.press("hookalerts", "click", "UL", "alerts", 1500)
        return bar, wait_notice(self.wine, bar), result.values("alert")

    def test_the_notice_stands_beside_the_bar_where_there_is_room(self):
        # Near the desktop's left edge it goes right of the bar, near its
        # right edge left of it; never over the bar, never off the screen.
        for left, side in ((300, "right"), (1100 * TPP, "left")):
            with self.subTest(side=side):
                bar, notice, _ = self.refuse_a_paste(left)
                place, box = bar.refresh()["rect"], notice["rect"]
                self.assertEqual(place[0], left // TPP)
                self.assertFalse(overlap(place, box), (place, box))
                self.assertTrue(0 <= box[0] and box[2] <= 1200
                                and 0 <= box[1] and box[3] <= 780, box)
                if side == "right":
                    self.assertGreaterEqual(box[0], place[2])
                else:
                    self.assertLessEqual(box[2], place[0])
                self.assertEqual(box[1], place[1])
                bar.close()
                self.assertEqual(bar.wait_exit(), 0)

    def test_the_notice_is_an_alert_with_its_text(self):
        _, notice, alerts = self.refuse_a_paste(300)
        text = f"{NOTICE}\r\n{CLOSED}"
        self.assertEqual(notice["title"], text)
        self.assertIn("tooltips_class32 " + text.encode("utf-8").hex(),
                      alerts)


if __name__ == "__main__":
    unittest.main()
