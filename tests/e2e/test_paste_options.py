"""The two paste options against real targets: a selection in the editor
wrapped in a button's tags ("選択した文字列をタグで囲む"), and the
clipboard given back after the paste ("貼り付け後にクリップボードを元に戻す").
Notepad plays the editor; keylog.exe shows which keys a press sends and
plays an editor that copies the whole line when nothing is selected."""

import unittest

import editor
from editor import HR, UL_START, focus_editor, wait_text
from test_paste_target import ToolOutput, focus_keylog, start_keylog

C = 67
BOLD_TAGS = ("0,0,400,1200,400,B,<b>,</b>\r\n"
             "1,0,800,1200,400,HR,<hr size='1'>,\r\n")
WRAP = editor.setup_ini(WrapSelection=-1, Delay1=50)
RESTORE = editor.setup_ini(RestoreClipboard=-1, Delay1=50)


class OptionsTestCase(editor.EditorTestCase):

    def check_of(self, caption):
        self.wine.wait_idle(self.bar.window["hwnd"])
        return next(c["check"] for c in self.bar.children()
                    if c["text"] == caption)


class WrapInNotepadTest(OptionsTestCase):

    def setUp(self):
        super().setUp()
        self.app.write("tag.txt", BOLD_TAGS)
        self.start_bar_shown(WRAP)

    def test_a_selected_word_is_wrapped_and_the_button_stays_up(self):
        self.press(*focus_editor(), "type", "say word",
                   *wait_text("equals", "say word"),
                   *["keys", "shift+left"] * 4,
                   "click", "B", *wait_text("equals", "say <b>word</b>"))
        self.assertEqual(self.check_of("B"), 0)
        # The element is complete: the next press wraps again or opens one.
        self.press(*focus_editor(), "keys", "end", "click", "B",
                   *wait_text("equals", "say <b>word</b><b>"))
        self.assertEqual(self.check_of("B"), 1)

    def test_with_nothing_selected_the_button_toggles_as_before(self):
        self.press(*focus_editor(), "type", "x",
                   *wait_text("equals", "x"),
                   "click", "B", *wait_text("equals", "x<b>"))
        self.assertEqual(self.check_of("B"), 1)
        self.press(*focus_editor(), "click", "B",
                   *wait_text("equals", "x<b></b>"))
        self.assertEqual(self.check_of("B"), 0)


class WrapKeysTest(OptionsTestCase):

    uses_editor = False

    def start_keylog(self, *args):
        return start_keylog(self, *args)

    def copies_asked(self, keylog):
        return sum(1 for k in keylog.keys() if k[:2] == (True, C))

    def test_no_copy_for_a_button_without_end_tag_or_one_that_is_down(self):
        # HR has no end tag; UL asks once as it goes down, not as it comes
        # up again (its end tag closes what it opened).
        keylog = self.start_keylog()
        self.start_bar_shown(WRAP)
        self.press(*focus_keylog(), "click", "HR", *wait_text("equals", HR))
        self.assertEqual(self.copies_asked(keylog), 0)
        self.press(*focus_keylog(), "click", "UL",
                   *wait_text("equals", HR + UL_START))
        self.assertEqual(self.copies_asked(keylog), 1)
        self.press(*focus_keylog(), "click", "UL",
                   *wait_text("equals", HR + UL_START + editor.UL_END))
        self.assertEqual(self.copies_asked(keylog), 1)

    def test_a_line_copied_with_nothing_selected_gets_the_start_tag(self):
        keylog = self.start_keylog("linecopy")
        self.start_bar_shown(WRAP)
        self.press(*focus_keylog(), "type", "line",
                   *wait_text("equals", "line"), "click", "UL",
                   *wait_text("equals", "line" + UL_START))
        self.assertIn("linecopy", keylog.lines())
        self.assertEqual(self.check_of("UL"), 1)


class RestoreTest(OptionsTestCase):

    def setUp(self):
        super().setUp()
        self.start_bar_shown(RESTORE)

    def copy_line(self):
        """Selects the editor's line and copies it, as the user does."""
        return ["keys", "shift+home", "keys", "ctrl+c"]

    def test_text_copied_before_a_paste_is_on_the_clipboard_again(self):
        result = self.press(
            *focus_editor(), "type", "mine", *self.copy_line(),
            "waitclip", "mine", editor.TEXT_TIMEOUT_MS, "keys", "end",
            "click", "HR", *wait_text("equals", "mine" + HR),
            "clipboard", "waitclip", "mine", editor.TEXT_TIMEOUT_MS)
        self.assertEqual(result.texts("clipboard_hex")[1], HR)
        self.assertGreater(result.numbers("since_click_ms")[-1], 1000)
        # Given back as the bar's own text: kept out of the history.
        formats = ToolOutput(self.wine, "clipholder.exe", "formats")
        formats.proc.wait(30)
        marks = {line.split()[1]: line.split()[3] for line in formats.lines()}
        self.assertEqual(marks.get("CanIncludeInClipboardHistory"), "00000000")

    def test_a_copy_made_during_the_wait_survives(self):
        # The copy is made right after the paste, well within the second
        # before the restore; it stays there for two seconds, past the
        # restore's time (keepclip fails as soon as the text changes).
        line = "mine" + HR
        result = self.press(
            *focus_editor(), "type", "mine", *self.copy_line(),
            "waitclip", "mine", editor.TEXT_TIMEOUT_MS, "keys", "end",
            "click", "HR", *wait_text("equals", line), *self.copy_line(),
            "waitclip", line, editor.TEXT_TIMEOUT_MS, "keepclip", line, 2000)
        self.assertLess(result.numbers("since_click_ms")[-1], 900)


if __name__ == "__main__":
    unittest.main()
