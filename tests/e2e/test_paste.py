"""Tag buttons paste into the editor the user was typing in (Wine notepad)."""

import unittest

import editor
from editor import HR, UL_END, UL_START, focus_editor, wait_text


class TagPasteTest(editor.EditorTestCase):

    def test_toggle_button_pastes_start_then_end_tag_at_the_caret(self):
        self.start_bar_shown()
        # The caret sits between "abc" and "def" when the bar is pressed.
        self.press(*focus_editor(), "type", "abcdef",
                   *wait_text("equals", "abcdef"), "keys", "left", "keys", "left", "keys", "left",
                   "click", "UL", *wait_text("equals", f"abc{UL_START}def"))
        # Each later press toggles: end tag, then start tag again, each at
        # the caret that the previous paste left behind.
        self.press(*focus_editor(),
                   "click", "UL",
                   *wait_text("equals", f"abc{UL_START}{UL_END}def"),
                   "click", "UL",
                   *wait_text("equals", f"abc{UL_START}{UL_END}{UL_START}def"))

    def test_button_without_end_tag_pastes_its_start_tag_every_time(self):
        # It never stays down: no element is left open.
        bar = self.start_bar_shown()
        self.press(*focus_editor(), "type", "x", *wait_text("equals", "x"),
                   "click", "HR", *wait_text("equals", f"x{HR}"),
                   "click", "HR", *wait_text("equals", f"x{HR}{HR}"),
                   "click", "HR", *wait_text("equals", f"x{HR}{HR}{HR}"),
                   "click", "IMG", *wait_text("endswith", "<img src=''>"))
        checks = {c["text"]: c["check"] for c in bar.children()
                  if c["text"] in ("HR", "IMG")}
        self.assertEqual(checks, {"HR": 0, "IMG": 0})

    def test_no_modifier_sends_the_paste_letter_alone(self):
        # A stored modifier of 0 (the choice "(なし)") is kept, so the bar
        # presses V with no Ctrl: the editor gets the letter, not a paste.
        # A letter typed once the press is over comes after all it typed.
        self.start_bar_shown(editor.setup_ini(PShiftKey=0))
        self.press(*focus_editor(), "type", "ab", *wait_text("equals", "ab"),
                   "click", "HR", *wait_text("endswith", "v"))
        self.wine.wait_idle(self.bar.window["hwnd"])
        self.press("notepad", editor.TEXT_TIMEOUT_MS, "type", "z",
                   *wait_text("equals", "abvz"))

    def test_editor_stays_in_front_after_the_paste(self):
        # The editor keeps the focus, so the user types on right after the
        # tag.
        self.start_bar_shown()
        self.press(*focus_editor(), "click", "HR", *wait_text("equals", HR))
        self.wine.wait_idle(self.bar.window["hwnd"])
        self.press("notepad", editor.TEXT_TIMEOUT_MS, "type", "z",
                   *wait_text("equals", f"{HR}z"))


if __name__ == "__main__":
    unittest.main()
