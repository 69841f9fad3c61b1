"""Japanese buttons and settings read, show, paste and save alike whatever
code page the system is set to: the files are code page 932 on a Japanese
system (932), on a Western one (1252) and on one set to UTF-8 (65001)
alike."""

import unittest

import editor
import harness
from editor import answer, focus_editor, wait_text
from test_table import press_table

# "ソ" and "表" end in the byte of a backslash (0x5C) in code page 932.
TAGS = ("0,0,400,1200,400,見出し,<h1 class='見出し'>,</h1>\r\n"
        "1,0,800,1200,400,表ソ,<table summary='一覧表'>,</table>\r\n")
QUALITY = "title='表ソ'"
TABLE_1x1 = ("<table ><caption >&nbsp;</caption><tr ><th >&nbsp;</th></tr>"
             f"<tr ><td {QUALITY}>&nbsp;</td></tr></table>")


class JapaneseFilesTest(editor.EditorTestCase):

    code_page = 932

    def test_buttons_and_settings_show_paste_and_save_unchanged(self):
        self.assertEqual(self.wine.driver("acp")["acp"], self.code_page)
        setup = editor.setup_ini().replace(
            "[TD]\r\nquality=", f"[TD]\r\nquality={QUALITY}")
        self.app.write("tag.txt", TAGS)
        self.start_bar_shown(setup)
        # The tag buttons' captions; the picture buttons (BS_ICON) carry
        # only their names.
        captions = {c["text"] for c in self.bar.children()
                    if c["class"] == "Button" and c["visible"] and c["text"]
                    and not c["style"] & 0x40}
        self.assertEqual(captions, {"見出し", "表ソ"})
        self.press(*focus_editor(), "click", "表ソ",
                   *wait_text("equals", "<table summary='一覧表'>"),
                   "settext", "", *press_table(), *answer("列数", "1"),
                   *answer("行数", "1"), *wait_text("equals", TABLE_1x1))
        self.close_bar()
        self.assertEqual(self.app.read("tag.txt"), TAGS.encode("cp932"))
        self.assertIn(f"quality={QUALITY}\r\n".encode("cp932"),
                      self.app.read("setup.ini"))


class JapaneseFilesOnWesternSystemTest(JapaneseFilesTest):

    code_page = 1252
    wine_session = staticmethod(harness.western_session)


class JapaneseFilesOnUtf8SystemTest(JapaneseFilesTest):

    code_page = 65001
    wine_session = staticmethod(harness.utf8_session)


if __name__ == "__main__":
    unittest.main()
