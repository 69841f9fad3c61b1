"""Start-up and shutdown of the bar under Wine: files, buttons, geometry,
the fatal read error and an empty settings file."""

import unittest

import harness

CRLF = "\r\n"

DEFAULT_SETUP = CRLF.join([
    "[MainForm]", "Height = 2805", "Width = 1320", "Top = 300", "Left = 300",
    "PShiftKey = 162", "PKey = V", "GTime = 100", "Delay0 = 200",
    "Delay1 = 200",
    "[Table]", "quality=", "Visible=-1", "Enter=0",
    "[Caption]", "quality=", "Visible=-1", "Enter=0",
    "[TH]", "quality=", "Visible=-1", "Enter=0",
    "[TR]", "quality=", "Visible=-1", "Enter=0",
    "[TD]", "quality=", "Visible=-1", "Enter=0",
]).encode("cp932") + b"\r\n"

DEFAULT_TAGS = CRLF.join([
    "0,0,400,1200,400,UL,<ul style='list-style-type:square;'>,</ul>",
    "1,0,800,1200,400,OL,<ol style='list-style-type:upper-alpha; '>,</ol>",
    "2,0,1200,1200,400,LI,<li>,</li>",
    "3,0,1600,1200,400,HR,<hr size='1'>,",
    "4,0,2000,1200,400,IMG,<img src=''>,",
]).encode("cp932") + b"\r\n"

DEFAULT_CAPTIONS = ["UL", "OL", "LI", "HR", "IMG"]
TAG_SLOTS = 31
TWIPS_PER_PIXEL = 15  # 96 dpi

BS_TYPEMASK = 0x0F
BS_CHECKBOX, BS_AUTOCHECKBOX = 0x02, 0x03
BS_ICON, BS_BITMAP, BS_PUSHLIKE = 0x40, 0x80, 0x1000


def is_picture_button(child):
    return child["class"] == "Button" and child["style"] & (BS_ICON |
                                                            BS_BITMAP)


def is_toggle_button(child):
    return (child["class"] == "Button"
            and child["style"] & BS_TYPEMASK in (BS_CHECKBOX, BS_AUTOCHECKBOX)
            and child["style"] & BS_PUSHLIKE)


def main_form_lines(ini):
    """The lines of the [MainForm] section, without the header."""
    lines = ini.decode("cp932").split(CRLF)
    start = lines.index("[MainForm]") + 1
    end = next(i for i in range(start, len(lines)) if lines[i].startswith("["))
    return lines[start:end]


class StartupTest(harness.BarTestCase):

    def start_shown(self, app=None):
        bar = self.start_bar(app)
        bar.wait_shown()
        return bar

    def close_and_wait(self, bar):
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)

    def assert_buttons_inside_client(self, window, children):
        width, height = window["client"]
        for child in children:
            if child["visible"]:
                left, top, right, bottom = child["rect"]
                with self.subTest(button=child["text"] or child["id"]):
                    self.assertGreaterEqual(left, 0)
                    self.assertGreaterEqual(top, 0)
                    self.assertLessEqual(right, width)
                    self.assertLessEqual(bottom, height)

    def test_first_start_writes_defaults_and_shows_five_buttons(self):
        bar = self.start_shown()
        self.assertEqual(self.app.read("setup.ini"), DEFAULT_SETUP)
        self.assertEqual(self.app.read("tag.txt"), DEFAULT_TAGS)

        window = bar.window
        self.assertEqual(window["title"], "Pinrow")
        # Left and Top of 300 twips.
        self.assertEqual(window["rect"][:2], [20, 20])
        children = bar.children()
        # Slots that were never shown need no window of their own.
        toggles = [c for c in children if is_toggle_button(c)]
        self.assertLessEqual(len(toggles), TAG_SLOTS)
        shown = sorted((c for c in toggles if c["visible"]),
                       key=lambda c: c["rect"][1])
        self.assertEqual([c["text"] for c in shown], DEFAULT_CAPTIONS)
        # One column at left 0, tops 400 to 2000 twips, 1200 x 400 twips.
        for i, c in enumerate(shown):
            left, top, right, bottom = c["rect"]
            with self.subTest(caption=c["text"]):
                self.assertEqual(left, 0)
                self.assertAlmostEqual(top, (400 + 400 * i) / TWIPS_PER_PIXEL,
                                       delta=1)
                self.assertAlmostEqual(right - left, 80, delta=1)
                self.assertAlmostEqual(bottom - top, 400 / TWIPS_PER_PIXEL,
                                       delta=1)
                self.assertTrue(c["enabled"])
        pictures = [c for c in children if is_picture_button(c)]
        self.assertEqual(len(pictures), 2)
        self.assertTrue(all(c["visible"] for c in pictures))
        self.assert_buttons_inside_client(window, children)

        self.close_and_wait(bar)
        self.assertEqual(self.app.read("tag.txt"), DEFAULT_TAGS)

    def test_restart_restores_position_and_size(self):
        bar = self.start_shown()
        moved = self.wine.move(bar.window["hwnd"], 150, 90, 170, 260)
        self.assertEqual(moved["rect"], [150, 90, 320, 350])
        self.close_and_wait(bar)

        left, top, right, bottom = moved["rect"]
        expected = [f"Height={(bottom - top) * TWIPS_PER_PIXEL}",
                    f"Width={(right - left) * TWIPS_PER_PIXEL}",
                    f"Top={top * TWIPS_PER_PIXEL}",
                    f"Left={left * TWIPS_PER_PIXEL}",
                    "PShiftKey=162", "PKey=V", "GTime=100", "Delay0=200",
                    "Delay1=200"]
        ini = self.app.read("setup.ini")
        self.assertEqual(main_form_lines(ini), expected)
        # The table sections are left as they were.
        self.assertTrue(ini.endswith(DEFAULT_SETUP[DEFAULT_SETUP.index(
            b"[Table]"):]))
        self.assertEqual(self.app.read("tag.txt"), DEFAULT_TAGS)

        again = self.start_shown()
        self.assertEqual(again.window["rect"], moved["rect"])
        self.close_and_wait(again)

    def test_bar_saved_off_every_monitor_comes_back_onto_the_screen(self):
        # Wholly off the desktop (a monitor since unplugged): onto the
        # nearest edge of the screen. Partly on it: left where it is.
        width, height = harness.DESKTOP_SIZE.split("x")
        for left, top, expect in (("-32768", "-32768", [0, 0]),
                                  ("18000", "300", [int(width) - 88, 20]),
                                  ("-600", "300", [-40, 20])):
            with self.subTest(left=left, top=top):
                self.app.write("setup.ini", DEFAULT_SETUP.replace(
                    b"Left = 300", b"Left = " + left.encode()).replace(
                    b"Top = 300", b"Top = " + top.encode()))
                bar = self.start_shown()
                self.assertEqual(bar.window["rect"][:2], expect)
                self.assertLessEqual(bar.window["rect"][3], int(height))
                self.close_and_wait(bar)

    def test_unreadable_tag_file_ends_the_program_untouched(self):
        # The message names the line and what is wrong with it.
        ul = b"0,0,400,1200,400,UL,<ul>,</ul>\r\n"
        for damaged, why in (
                (b"0,0,abc,1200,400,UL,<ul>,</ul>\r\n", "1 行目: 上位置が数値ではありません。"),
                (ul * 2 + b"2,0,0,1,1,,<p>,\r\n", "3 行目: ボタン名が空です。"),
                (ul * 32, "32 行目: ボタンは 31 個までです。"),
                (ul + b"\r\n", "2 行目: 空の行です。")):
            with self.subTest(why):
                app = self.wine.new_app(files={"tag.txt": damaged})
                bar = self.start_bar(app)
                box = bar.wait_dialog()
                self.assertEqual(box.caption, "Pinrow：エラー")
                self.assertEqual(box.text,
                                 "データの読み込みに失敗しました。\r\n"
                                 "強制終了します。\r\n" + why)
                self.assertEqual(list(box.buttons.values()), [harness.IDOK])
                box.press()
                bar.wait_exit()
                self.assertEqual(app.read("tag.txt"), damaged)
                # The process ended without its closing step: setup.ini is
                # the default file that start-up created, not rewritten.
                self.assertEqual(app.read("setup.ini"), DEFAULT_SETUP)
                self.assertEqual(self.wine.windows(title="Pinrow"), [])

    def test_bar_grows_no_further_than_its_monitor(self):
        # A button at 32000 twips would grow the bar far past the desktop
        # (1200 x 780): it stops at the work area's edges, where it is.
        app = self.wine.new_app(files={
            "tag.txt": b"0,32000,32000,1200,1200,Far,<f>,\r\n",
            "setup.ini": DEFAULT_SETUP.replace(b"Top = 300", b"Top = 600")})
        bar = self.start_shown(app)
        left, top, right, bottom = bar.window["rect"]
        self.assertEqual((left, top), (20, 40))
        desktop = [int(n) for n in harness.DESKTOP_SIZE.split("x")]
        self.assertEqual((right, bottom), tuple(desktop))
        self.close_and_wait(bar)
        self.assertEqual(app.read("tag.txt"),
                         b"0,32000,32000,1200,1200,Far,<f>,\r\n")

    def test_empty_setup_file_is_read_not_rewritten(self):
        self.app.write("setup.ini", b"")
        bar = self.start_shown()
        self.assertEqual(self.app.read("setup.ini"), b"")
        # Geometry keys read as 0: the bar is as small as the system allows
        # and then grown until its client area holds every button.
        window = bar.window
        self.assertGreaterEqual(window["client"][0], 80)
        self.assertGreaterEqual(window["client"][1], 2400 / TWIPS_PER_PIXEL)
        self.assert_buttons_inside_client(window, bar.children())
        self.assertEqual(self.app.read("setup.ini"), b"")
        self.close_and_wait(bar)

    def test_empty_tag_file_shows_only_the_picture_buttons(self):
        self.app.write("tag.txt", b"")
        bar = self.start_shown()
        children = bar.children()
        self.assertEqual([c for c in children
                          if is_toggle_button(c) and c["visible"]], [])
        self.assertEqual(
            len([c for c in children if is_picture_button(c) and c["visible"]]),
            2)
        self.close_and_wait(bar)
        self.assertEqual(self.app.read("tag.txt"), b"")


if __name__ == "__main__":
    unittest.main()
