"""The settings dialog, driven with a real mouse and keyboard."""

import unittest

import editor
import harness
from editor import (TABLE_BUTTON_TWIPS, answer, focus_editor, wait_text)

DIALOG = "設定"
TAB_CORNER = (120, 120)  # the tab control's corner: the pages' origin


def at(x, y):
    """A point given on a page (twips) in the dialog's client area."""
    return [TAB_CORNER[0] + x, TAB_CORNER[1] + y]


def click_on_page(cls, x, y):
    """A click on the control of class `cls` at a point of a page (well
    inside it: a click on a field's border does not focus it)."""
    return ["clickon", cls, *at(x, y)]


def wait_focus(cls, x, y):
    """Waits for the focus on a control of the dialog (corner in twips)."""
    return ["waitfocus", cls, x, y, 5000]


def next_page(cls, x, y):
    """Ctrl+Tab, then waits until the next page shows its control of class
    `cls` at a point of the page."""
    return ["keys", "ctrl+tab", "waitat", cls, *at(x, y), 5000]


def open_dialog():
    return ["window", "Pinrow", "clickpic", 0, 0,
            "window", DIALOG, "waitwin", 5000]


def close_dialog():
    return ["keys", "escape", "waitgone", 5000, "window", "Pinrow"]


# The first page: the input form, the grid and its scroll bar.
CAPTION_BOX = ("Edit", 1500, 960)
CAPTION_CORNER = ("Edit", 1440, 900)
START_TAG_BOX = ("Edit", 1500, 1320)
END_TAG_BOX = ("Edit", 1500, 2400)
REGISTER = ("Button", 4740, 960)
DELETE = ("Button", 4740, 1440)
LIST_DOWN_ARROW = ("ScrollBar", 5950, 5800)
LIST_TRACK = ("ScrollBar", 5990, 5400)  # below the thumb at the top


def grid_row(k):
    """A point on the caption cell of grid row k."""
    return ("Edit", 600, 4620 + 255 * k + 60)


def scroll_list_down(times):
    return [step for _ in range(times)
            for step in click_on_page(*LIST_DOWN_ARROW)]


def type_into(box, text):
    return [*click_on_page(*box), "type", text]


class SettingsDialogTest(editor.EditorTestCase):

    def setUp(self):
        super().setUp()
        # A bar tall enough to show a new button below the five defaults.
        self.start_bar_shown(editor.setup_ini(Height=3300))

    def test_paste_options_by_keyboard_reach_setup_ini_when_the_bar_closes(self):
        self.press(
            *focus_editor(), *open_dialog(),
            *next_page("Button", 400, 1100), *next_page("ComboBox", 3500, 620),
            "keys", "tab",
            *wait_focus("ComboBox", *at(3480, 600)), "keys", "down",
            *["keys", "tab"] * 4, *wait_focus("ScrollBar", *at(5535, 2040)),
            "keys", "up", "keys", "up", *close_dialog())
        self.close_bar()
        setup = self.app.read("setup.ini").decode("cp932").split("\r\n")
        self.assertIn("PShiftKey=163", setup)
        self.assertIn("Delay1=220", setup)
        self.assertIn("Delay0=200", setup)

    def test_cell_attribute_reaches_the_table_markup(self):
        # "é" has no place in code page 932: the box refuses it at once,
        # with a notice. Right after the dialog closes, a press on the bar
        # still pastes into the editor.
        self.press(*focus_editor(), *open_dialog(),
                   *next_page("Button", 400, 1100),
                   *type_into(("Edit", 1620, 670 + 1080 * 4 + 60),
                              "class=\u00e9x"))
        notices = [w["title"] for w in
                   self.wine.windows(cls="tooltips_class32") if w["visible"]]
        self.assertEqual(notices,
                         ["この文字はファイルに保存できないため、入力できません。"])
        self.press("notepad", 5000, "window", DIALOG, *close_dialog(),
                   "clickpic", *TABLE_BUTTON_TWIPS,
                   *answer("列数", "1"), *answer("行数", "1"),
                   *wait_text("contains", "<td class=x>&nbsp;</td>"))
        setup = self.app.read("setup.ini").decode("cp932").split("\r\n")
        self.assertEqual(setup[setup.index("[TD]") + 1], "quality=class=x")

    def test_register_refuse_and_delete_a_button(self):
        # A new button from the blank row below the last one.
        self.press(*focus_editor(), *open_dialog(), *scroll_list_down(1),
                   *click_on_page(*grid_row(4)),
                   *type_into(CAPTION_BOX, "B"),
                   *type_into(START_TAG_BOX, "<b>"),
                   *type_into(END_TAG_BOX, "</b>"),
                   *click_on_page(*REGISTER), *close_dialog(),
                   *focus_editor(), "click", "B",
                   *wait_text("equals", "<b>"))
        lines = self.tag_lines()
        self.assertEqual(lines[5], "5,0,2400,400,400,B,<b>,</b>")

        # No start tag: the message, then the focus in the start tag box.
        result = self.press(
            *open_dialog(), *scroll_list_down(2),
            *click_on_page(*grid_row(4)), *type_into(CAPTION_BOX, "C"),
            *click_on_page(*REGISTER), "dismiss", "入力エラー", 5000,
            *wait_focus("Edit", *at(1440, 1260)))
        self.assertEqual(result.texts("box_text_hex"), ["開始タグが未入力です"])

        # Deleting it again hides its slot and drops its line.
        result = self.press("window", DIALOG, *click_on_page(*grid_row(3)),
                            *click_on_page(*DELETE), *close_dialog(), "bar")
        shown = [v.split(" ")[-1] for v in result.values("child")
                 if v.split(" ")[4] == "1"]
        self.assertNotIn("B".encode().hex(), shown)
        self.assertEqual(self.app.read("tag.txt").decode("cp932"),
                         "".join(line + "\r\n" for line in lines[:5]))

    def test_a_double_click_on_delete_deletes_one_button(self):
        # The second click comes while the form shows the next button (the
        # first, UL), and the form still shows it after both.
        self.press(*focus_editor(), *open_dialog(),
                   *click_on_page(*grid_row(2)),
                   "doubleclick", DELETE[0], *at(*DELETE[1:]),
                   "waitctl", CAPTION_CORNER[0], *at(*CAPTION_CORNER[1:]),
                   "UL", 5000, *close_dialog())
        self.assertEqual(self.tag_lines(), [
            "0,0,400,1200,400,UL,<ul style='list-style-type:square;'>,</ul>",
            "1,0,800,1200,400,OL,<ol style='list-style-type:upper-alpha; '>,"
            "</ol>",
            "2,0,1600,1200,400,HR,<hr size='1'>,",
            "3,0,2000,1200,400,IMG,<img src=''>,", ""])
        self.assertEqual(self.dialogs(), [])

    def test_every_wheel_notch_after_registering_moves_the_list(self):
        # The track below the thumb shows the blank row; registering a
        # button there leaves the list and its thumb at row 2. Each notch
        # up, over the scroll bar and then over the grid, moves a row.
        first_no = ["Edit", *at(330, 4680)]
        self.press(*focus_editor(), *open_dialog(),
                   *click_on_page(*LIST_TRACK),
                   "waitctl", *first_no, "1", 5000,
                   *click_on_page(*grid_row(4)),
                   *type_into(CAPTION_BOX, "B"),
                   *type_into(START_TAG_BOX, "<b>"),
                   *click_on_page(*REGISTER),
                   "waitctl", *first_no, "2", 5000,
                   "wheel", "ScrollBar", *at(*LIST_TRACK[1:]), 120,
                   "waitctl", *first_no, "1", 2000,
                   "wheel", *grid_row(2)[:1], *at(*grid_row(2)[1:]), 120,
                   "waitctl", *first_no, "0", 2000, *close_dialog())

    def test_a_new_button_with_the_defaults_leaves_the_table_button_free(self):
        result = self.press(*focus_editor(), *open_dialog(),
                            *scroll_list_down(1),
                            *click_on_page(*grid_row(4)),
                            *type_into(CAPTION_BOX, "B"),
                            *type_into(START_TAG_BOX, "<b>"),
                            *click_on_page(*REGISTER), *close_dialog(),
                            "clickpic", *TABLE_BUTTON_TWIPS,
                            *answer("列数", "::cancel"))
        self.assertEqual(result.texts("prompt_hex"), ["列の数を入力してください。"])
        self.assertTrue(self.tag_lines()[5].startswith("5,0,2400,400,400,B,"))


GUIDE = "はじめにお読みください.txt"
# The About page's line with the guide's name, centred on the page.
GUIDE_LABEL = ("Static", 6405 // 2, 3360 + 60)


class AboutPageTest(editor.EditorTestCase):

    uses_editor = False

    def setUp(self):
        super().setUp()
        # Windows opens a text file in Notepad; a fresh Wine prefix knows
        # no program for it, so the prefix is told the same.
        for key, value in ((r"HKCR\.txt", "txtfile"),
                           (r"HKCR\txtfile\shell\open"
                            r"\command", 'notepad.exe "%1"')):
            self.wine._quiet(["wine", "reg", "add", key, "/ve", "/d", value,
                              "/f"])

    def about_page(self):
        return [*open_dialog(), *next_page("Button", 400, 1100),
                *next_page("ComboBox", 3500, 620), "keys", "ctrl+tab",
                "sleep", 300]

    def guide_windows(self):
        return [w for w in self.wine.windows(cls="Notepad")
                if GUIDE in w["title"]]

    def test_the_guide_beside_the_program_opens_from_the_about_page(self):
        # With the guide beside the program its name opens it (Wine opens a
        # text file in its notepad); without it the name does nothing.
        for there in (True, False):
            with self.subTest(there=there):
                self.app = self.wine.new_app()
                if there:
                    self.app.write(GUIDE, "guide\r\n")
                self.start_bar_shown()
                self.press(*self.about_page(), *click_on_page(*GUIDE_LABEL),
                           "sleep", 1500 if not there else 0)
                if there:
                    window = harness.wait_until(self.guide_windows, 10,
                                                "the guide in notepad")[0]
                    self.wine.close_window(window["hwnd"])
                    self.wine.wait_gone(window["hwnd"])
                else:
                    self.assertEqual(self.guide_windows(), [])
                    self.assertEqual(self.dialogs(), [])
                self.press("window", DIALOG, *close_dialog())
                self.close_bar()


class NewButtonsTest(editor.EditorTestCase):
    """New buttons registered with the defaults on the default bar, which is
    as large as its five buttons."""
    uses_editor = False

    def test_two_buttons_registered_one_after_the_other_do_not_overlap(self):
        self.start_bar_shown()
        register = []
        for caption in ("B", "C"):
            # The blank row: the last of the grid once the list is at its
            # end (registering leaves it there).
            register += [*click_on_page(*grid_row(4)),
                         *type_into(CAPTION_BOX, caption),
                         *type_into(START_TAG_BOX, f"<{caption.lower()}>"),
                         *click_on_page(*REGISTER)]
        result = self.press(*open_dialog(), *scroll_list_down(1), *register,
                            *close_dialog(), "bar")
        boxes = []
        for line in self.tag_lines()[5:7]:
            left, top, width, height = map(int, line.split(",")[1:5])
            self.assertEqual((left % 100, top % 100, width, height),
                             (0, 0, 400, 400), line)
            boxes.append((left, top, left + width, top + height))
        (l1, t1, r1, b1), (l2, t2, r2, b2) = boxes
        self.assertTrue(r1 <= l2 or r2 <= l1 or b1 <= t2 or b2 <= t1, boxes)
        # The bar grew to show both whole.
        tpp, width, height = map(int, result.values("tpp_client")[0].split())
        shown = {bytes.fromhex(v.split(" ")[-1]).decode(): v.split(" ")[:5]
                 for v in result.values("child")}
        for caption in ("B", "C"):
            left, top, w, h, visible = map(int, shown[caption])
            self.assertEqual(visible, 1)
            self.assertLessEqual(left + w, width)
            self.assertLessEqual(top + h, height)


# A setup.ini edited by hand: flags other than -1 and 0, timings out of
# range, a modifier code the list lacks, a key that is no capital letter.
HAND_EDITED_SETUP = (
    "[MainForm]\r\nHeight = 2805\r\nWidth = 1320\r\nTop = 300\r\n"
    "Left = 300\r\nPShiftKey = 160\r\nPKey = v\r\nGTime = 5\r\n"
    "Delay0 = 2000\r\nDelay1 = 200\r\n"
    "[Table]\r\nquality=border=1\r\nVisible=1\r\nEnter=abc\r\n"
    "[Caption]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    "[TH]\r\nquality=\r\nVisible=0\r\nEnter=-1\r\n"
    "[TR]\r\nquality=x\r\nVisible=\r\nEnter=\r\n"
    "[TD]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n")

# A control of each page after the first (client twips of the dialog): the
# page's windows are made when it first shows.
PAGE_MARKS = [("Edit", 1680, 790), ("ComboBox", 3600, 720),
              ("Static", 2580, 2520)]


class PagesShownTest(editor.EditorTestCase):
    uses_editor = False

    def files_after(self, shown_pages):
        """setup.ini after the dialog's close and after the bar's, and
        tag.txt, when the dialog was closed after showing its pages up to
        `shown_pages` (0: only the first)."""
        app = self.wine.new_app(files={"setup.ini": HAND_EDITED_SETUP})
        bar = self.start_bar(app)
        bar.wait_shown()
        steps = [*open_dialog()]
        for page in range(shown_pages):
            steps += ["keys", "ctrl+tab", "waitat", *PAGE_MARKS[page], 5000]
        self.press(*steps, *close_dialog())
        after_dialog = app.read("setup.ini")
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)
        return after_dialog, app.read("setup.ini"), app.read("tag.txt")

    def test_closing_writes_the_same_whichever_pages_were_shown(self):
        first_only = self.files_after(0)
        self.assertEqual(self.files_after(3), first_only)
        setup = first_only[1].decode("cp932").split("\r\n")
        for line in ("PKey=V", "PShiftKey=160", "GTime=10", "Delay0=990",
                     "Visible=0", "Enter=0"):
            self.assertIn(line, setup)
        self.assertNotIn("Enter=abc", setup)


if __name__ == "__main__":
    unittest.main()
