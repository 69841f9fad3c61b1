"""tag.txt edited by hand while the bar runs: loaded again when the user
comes back to the bar (after a click from the editor has pasted what the
button showed), and, when the bar changed its buttons too, kept beside the
edit rather than written over it."""

import unittest

import editor
import harness
from test_startup import DEFAULT_TAGS, is_toggle_button

EDITED = (DEFAULT_TAGS.replace(b"IMG", b"PICTURE") +
          b"5,0,2400,1200,400,P,<p>,</p>\r\n")
OVERWRITE = "tag.txt はほかのプログラムで変更されています。上書きしますか？"
IDYES = 6
IDNO = 7


class OutsideEditTest(editor.EditorTestCase):

    def captions(self):
        shown = sorted((c for c in self.bar.children()
                        if is_toggle_button(c) and c["visible"]),
                       key=lambda c: c["rect"][1])
        return [c["text"] for c in shown]

    def top_of(self, caption):
        return next(c["rect"][1] for c in self.bar.children()
                    if is_toggle_button(c) and c["text"] == caption)

    def wait_captions(self, want):
        return harness.wait_until(lambda: self.captions() == want, 10,
                                  f"the buttons {want}")

    def test_edit_is_loaded_when_the_user_comes_back(self):
        self.start_bar_shown()
        self.press(*editor.focus_editor())
        self.app.write("tag.txt", EDITED)
        # A click from the editor pastes what the button showed; the edit
        # is loaded after it.
        self.press(*editor.focus_editor(), "click", "IMG",
                   *editor.wait_text("equals", "<img src=''>"))
        self.wait_captions(["UL", "OL", "LI", "HR", "PICTURE", "P"])
        self.close_bar()
        self.assertEqual(self.app.read("tag.txt"), EDITED)

    def test_both_changed_the_close_asks_and_keeps_both(self):
        nudged = DEFAULT_TAGS.replace(b"0,0,400,1200,400,UL",
                                      b"0,0,500,1200,400,UL")
        for answer, tags, beside in ((IDYES, nudged, None),
                                     (IDNO, EDITED, nudged)):
            with self.subTest(answer=answer):
                self.app = self.wine.new_app()
                self.start_bar_shown()
                top = self.top_of("UL")
                self.press("window", "Pinrow", "focusbtn", "UL",
                           "keys", "ctrl+down")
                # The nudge is the bar's own change only once it has
                # handled the key; the editor is brought back after that.
                harness.wait_until(lambda: self.top_of("UL") > top, 10,
                                   "UL nudged down")
                self.press(*editor.focus_editor())
                self.app.write("tag.txt", EDITED)
                # Back at the bar, which keeps its own buttons (its look at
                # the file comes 30 ms after it is active).
                self.press("window", "Pinrow", "front", 0)
                harness.holds_for(
                    lambda: self.captions() == ["UL", "OL", "LI", "HR", "IMG"],
                    1.0, "the bar's own buttons")
                self.bar.close()
                box = self.bar.wait_dialog()
                self.assertEqual((box.caption, box.text),
                                 ("Pinrow", OVERWRITE))
                box.press(answer)
                self.assertEqual(self.bar.wait_exit(), 0)
                self.assertEqual(self.app.read("tag.txt"), tags)
                self.assertEqual(self.app.read("tag.pinrow.txt"), beside)


if __name__ == "__main__":
    unittest.main()
