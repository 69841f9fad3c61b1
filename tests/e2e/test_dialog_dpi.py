"""The settings dialog at 96 and at 144 dpi: laid out in twips at its
screen's dpi, every control inside the dialog, the grid's narrow cells
holding their texts whole, the note beside the end tag box and the table
page's lines of markup within their room, the settings page's option boxes
one a line inside the page, and a screenshot of each page kept as a test
artifact (build/e2e/artifacts/). The list is turned to its last page with
the mouse wheel over the grid, so two-digit numbers show."""

import re
import unittest

import editor
import harness

PAGES = 4
CLIENT_TWIPS = (6660, 6840)
ARTIFACTS = harness.E2E_DIR / "artifacts"
BUTTONS = 12
# The dialog's client twips of the grid's "No" header and first No cell,
# and a point on the first row's caption cell.
NO_HEADER = (390, 4500)
FIRST_NO_CELL = (390, 4740)
FIRST_CAPTION = (720, 4800)
# A control of each page after the first, by its corner in the dialog's
# client twips: the table page's first attribute box, the settings page's
# modifier list, the About page's version line. Once it shows, the page's
# controls are being made; once the dialog takes messages again, all are.
PAGE_MARKS = [None, ("Edit", 1680, 790), ("ComboBox", 3600, 720),
              ("Static", 2580, 2520)]
# The check boxes of the settings page, top to bottom.
OPTIONS = ["バーを常に手前に表示", "選択した文字列をタグで囲む",
           "貼り付け後にクリップボードを元に戻す"]


NOTE = "｢終了タグ｣は必須項目ではありません。"
# The right edge of the input form's frame on the first page, in the
# dialog's client twips; the frame draws its line two pixels inside it.
FORM_FRAME_RIGHT = 120 + 240 + 5895


def about_texts():
    """What the About page shows from the exe's version resource: the
    version line, the maker and the copyright line; and the guide's name."""
    cmake = (harness.REPO / "CMakeLists.txt").read_text()
    version = re.search(r"project\(pinrow VERSION ([0-9.]+)", cmake).group(1)
    rc = (harness.REPO / "res" / "pinrow.rc.in").read_text()
    values = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', rc))
    return {"Ver. " + version, values["CompanyName"], "はじめにお読みください.txt",
            values["LegalCopyright"]}


def tag_file():
    """Buttons beside the bar's picture buttons, not over them."""
    return "".join(f"{i},800,0,400,400,B{i},<b{i}>,\r\n"
                   for i in range(BUTTONS))


def wheel_to_last_page():
    """Eight notches down over the grid, the last two in halves as a
    high-resolution wheel sends them; the list then starts at button 8."""
    return ["wheel", "Edit", *FIRST_CAPTION, -840,
            "wheel", "Edit", *FIRST_CAPTION, -60,
            "wheel", "Edit", *FIRST_CAPTION, -60,
            "waitctl", "Edit", *FIRST_NO_CELL, "8", 5000]


def rooms(result):
    """(ink of the text, margins, client width) of each measured cell."""
    inks = [int(v.split()[1]) for v in result.values("textwidth")]
    room = [[int(n) for n in v.split()] for v in result.values("editroom")]
    return [(ink, left + right, width)
            for ink, (width, left, right) in zip(inks, room)]


def controls(result):
    """(class, left, top, width, height, text) of each 'control' line."""
    found = []
    for value in result.values("control"):
        cls, l, t, w, h, text = (value.split(" ") + [""])[:6]
        found.append((cls, int(l), int(t), int(w), int(h),
                      bytes.fromhex(text).decode("utf-8")))
    return found


def markup_rooms(found, tpp):
    """(text, right edge, limit) of each line of markup on the table page:
    an opening ("<caption") ends before the attribute box beside it, a
    closing (">～</caption>") before its frame's line (two pixels inside
    the frame's edge)."""
    def around(cls, t, h):
        """(left, right, text) of the windows of cls on that line."""
        return [(l, l + w, text) for c, l, ct, w, ch, text in found
                if c.lower() == cls and ct <= t + h // 2 <= ct + ch]
    for cls, l, t, w, h, text in found:
        if cls.lower() != "static":
            continue
        if text.startswith("<"):
            yield text, l + w, around("edit", t, h)[0][0]
        elif text.startswith(">"):
            # The frame, not the untitled pane of the tab page.
            frame = [p for p in around("pinrowpane", t, h) if p[2]][0]
            yield text, l + w, frame[1] - 2 * tpp


def option_boxes(found):
    """(the page's left, top, right, bottom, the boxes' rectangles) on the
    settings page: each box as (left, top, right, bottom)."""
    pane = next((l, t, l + w, t + h) for c, l, t, w, h, text in found
                if c.lower() == "pinrowpane" and not text)
    boxes = [next((l, t, l + w, t + h) for c, l, t, w, h, text in found
                  if c.lower() == "button" and text == option)
             for option in OPTIONS]
    return pane, boxes


class DialogDpiTest(unittest.TestCase):

    def check_options(self, found, dpi):
        """One a line, aligned, each wholly inside the page."""
        pane, boxes = option_boxes(found)
        self.assertEqual(len({box[0] for box in boxes}), 1, boxes)
        for upper, lower in zip(boxes, boxes[1:]):
            self.assertLessEqual(upper[3], lower[1])
        for option, box in zip(OPTIONS, boxes):
            with self.subTest(dpi=dpi, option=option):
                self.assertGreaterEqual(box[0], pane[0])
                self.assertLessEqual(box[2], pane[2])
                self.assertLessEqual(box[3], pane[3])

    def check_dpi(self, wine):
        app = wine.new_app()
        app.write("tag.txt", tag_file())
        bar = wine.start_bar(app)
        self.addCleanup(bar.kill)
        bar.wait_shown()
        presser = editor.Presser(wine)
        step = ["window", "Pinrow", "clickpic", 0, 0,
                "window", "設定", "waitwin", 5000, *wheel_to_last_page(),
                "textwidth", 9, 700, "No", "editroom", "Edit", *NO_HEADER,
                "textwidth", 9, 400, str(BUTTONS - 1),
                "editroom", "Edit", *FIRST_NO_CELL]
        dialog = None
        tpp = 1440 // wine.dpi
        for page in range(PAGES):
            mark = ["waitat", *PAGE_MARKS[page], 5000] if page else []
            shown = presser.run(*step, *mark)
            self.assertTrue(shown.ok, shown.error)
            dialog = dialog or wine.wait_window(title="設定")
            wine.wait_idle(dialog["hwnd"])
            result = presser.run("window", "設定", "controls")
            self.assertTrue(result.ok, result.error)
            ARTIFACTS.mkdir(parents=True, exist_ok=True)
            wine.screenshot(ARTIFACTS / f"dialog-{wine.dpi}dpi-page{page}.png",
                            dialog["rect"])
            # The text's ink and the margins fit the cell's room (its
            # advance may be a pixel wider: blank bearings).
            for ink, margins, width in rooms(shown):
                with self.subTest(dpi=wine.dpi, ink=ink, room=width):
                    self.assertLessEqual(ink + margins, width)
            found = controls(result)
            if page == 0:
                self.check_note(presser, found, tpp)
            if page == 3:
                shown = {text for cls, *_, text in found if cls == "Static"}
                self.assertLessEqual(about_texts(), shown)
            if page == 2:
                self.check_options(found, wine.dpi)
            markup = list(markup_rooms(found, tpp))
            self.assertEqual(len(markup), 10 if page == 1 else 0)
            for text, right, limit in markup:
                with self.subTest(dpi=wine.dpi, markup=text):
                    self.assertLessEqual(right, limit)
            for cls, l, t, w, h, text in found:
                with self.subTest(dpi=wine.dpi, page=page, control=(cls, text)):
                    self.assertGreaterEqual(min(l, t), 0)
                    self.assertLessEqual(l + w, CLIENT_TWIPS[0] + tpp)
                    self.assertLessEqual(t + h, CLIENT_TWIPS[1] + tpp)
            step = ["window", "設定", "keys", "ctrl+tab"]
        width, height = dialog["client"]
        self.assertAlmostEqual(width * tpp, CLIENT_TWIPS[0], delta=tpp)
        self.assertAlmostEqual(height * tpp, CLIENT_TWIPS[1], delta=tpp)

    def check_note(self, presser, found, tpp):
        """The note beside the end tag box ends before the input form's
        frame line, and its text, wrapped at its width, fits its height."""
        (left, top, width, height), = [
            (l, t, w, h) for cls, l, t, w, h, text in found if text == NOTE]
        wrapped = presser.run("textheight", 9, 400, width // tpp, NOTE)
        self.assertTrue(wrapped.ok, wrapped.error)
        with self.subTest(note="right edge"):
            self.assertLessEqual(left + width, FORM_FRAME_RIGHT - 2 * tpp)
        with self.subTest(note="lines"):
            self.assertLessEqual(int(wrapped.values("textheight")[0]) * tpp,
                                 height)

    def test_96_dpi(self):
        self.check_dpi(harness.session())

    def test_144_dpi(self):
        wine = harness.Session(work_dir=harness.E2E_DIR / "dpi144", dpi=144)
        self.addCleanup(wine.stop)
        wine.start()
        self.check_dpi(wine)


if __name__ == "__main__":
    unittest.main()
