"""tag.txt and setup.ini saved by another program in UTF-8 or UTF-16 (as
Notepad saves new files): read in that encoding, pasted and shown as
written, and written back in it, with the same mark and line ends; a value
of setup.ini longer than the dialog's box takes is kept whole."""

import unittest

import editor
import harness
from editor import focus_editor, wait_text
from test_startup import DEFAULT_SETUP, DEFAULT_TAGS, is_toggle_button

BODY = '<p class="本文">'
UTF8_TAGS = ("0,0,400,1200,400,本文," + BODY + ",</p>\n"
             "1,0,800,1200,400,OL,<ol>,</ol>\n").encode("utf-8")
PLACED = DEFAULT_SETUP.decode("cp932").replace(
    "Top = 300", "Top = 600").replace("Left = 300", "Left = 600")


class EncodingsTest(editor.EditorTestCase):

    uses_editor = False

    def captions(self):
        shown = sorted((c for c in self.bar.children()
                        if is_toggle_button(c) and c["visible"]),
                       key=lambda c: c["rect"][1])
        return [c["text"] for c in shown]

    def test_utf8_tag_file_pastes_and_saves_as_written(self):
        notepad = editor.start_notepad(self.wine)
        self.addCleanup(editor.stop_process, notepad)
        self.app.write("tag.txt", UTF8_TAGS)
        self.start_bar_shown()
        self.assertEqual(self.captions(), ["本文", "OL"])
        self.press(*focus_editor(), "click", "本文",
                   *wait_text("equals", BODY))
        self.close_bar()
        self.assertEqual(self.app.read("tag.txt"), UTF8_TAGS)

    def test_unicode_setup_files_keep_their_encoding_and_one_main_form(self):
        for name, encode in (
                ("UTF-16", lambda t: b"\xff\xfe" + t.encode("utf-16-le")),
                ("UTF-8 with a mark",
                 lambda t: b"\xef\xbb\xbf" + t.encode("utf-8"))):
            with self.subTest(name):
                self.app = self.wine.new_app()
                self.app.write("setup.ini", encode(
                    PLACED.replace("quality=", "quality=title='表'", 1)))
                self.start_bar_shown()
                # Top and Left of 600 twips are 40 pixels: it was read.
                self.assertEqual(self.bar.window["rect"][:2], [40, 40])
                self.wine.move(self.bar.window["hwnd"], 60, 30, 170, 260)
                self.close_bar()
                saved = self.app.read("setup.ini")
                self.assertEqual(encode(""), saved[:len(encode(""))])
                text = (saved[2:].decode("utf-16-le") if name == "UTF-16"
                        else saved[3:].decode("utf-8"))
                self.assertEqual(text.count("[MainForm]"), 1)
                self.assertIn("\r\nLeft=900\r\n", text)
                self.assertIn("quality=title='表'\r\n", text)
                self.assertNotIn("\r\r", text)

    def test_long_attribute_is_kept_through_the_dialog(self):
        value = "class='" + "x" * 300 + "'"
        self.start_bar_shown(DEFAULT_SETUP.decode("cp932").replace(
            "[TD]\r\nquality=", "[TD]\r\nquality=" + value))
        self.press("window", "Pinrow", "clickpic", 0, 0,
                   "window", "設定", "waitwin", 5000, "closebar", 5000)
        self.close_bar()
        self.assertIn(("quality=" + value + "\r\n").encode(),
                      self.app.read("setup.ini"))


if __name__ == "__main__":
    unittest.main()
