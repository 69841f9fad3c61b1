"""Moving and resizing tag buttons on the bar with real keys and drags."""

import unittest

import editor
import harness

# A bar with room around the default column of buttons.
ROOMY_SETUP = editor.setup_ini(Width=4500, Height=4500)

UL_TAIL = ",UL,<ul style='list-style-type:square;'>,</ul>"
HR_TAIL = ",HR,<hr size='1'>,"
OL_TAIL = ",OL,<ol style='list-style-type:upper-alpha; '>,</ol>"


def round_half_even_to_grid(twips):
    return round(twips / 100) * 100


class LayoutTest(editor.EditorTestCase):
    uses_editor = False

    def setUp(self):
        super().setUp()
        self.start_bar_shown(ROOMY_SETUP)
        self.hwnd = self.bar.window["hwnd"]

    def button_rect(self, caption):
        """[left, top, right, bottom] of a tag button, client pixels."""
        for child in self.wine.children(self.hwnd):
            if child["text"] == caption:
                return child["rect"]
        self.fail(f"no button {caption}")

    def wait_button_at(self, caption, rect_twips):
        """Polls until the button's pixel rectangle matches `rect_twips`
        (left, top, width, height) within a pixel."""
        tpp = self.twips_per_pixel()

        def matches():
            left, top, right, bottom = self.button_rect(caption)
            have = (left, top, right - left, bottom - top)
            return all(abs(h * tpp - want) <= tpp
                       for h, want in zip(have, rect_twips))
        harness.wait_until(matches, 10, f"{caption} at {rect_twips}")

    def twips_per_pixel(self):
        tpp = self.press("bar").values("tpp_client")[0].split()[0]
        return int(tpp)

    def test_keyboard_moves_and_resizes_reach_the_file_when_the_bar_closes(self):
        # Each chord goes to the button that has the keyboard focus; the
        # focus is given again before each one.
        chords = [("UL", "ctrl+right"), ("UL", "ctrl+right"),
                  ("UL", "ctrl+left"), ("UL", "ctrl+down"),
                  ("UL", "shift+right"), ("UL", "shift+down"),
                  ("HR", "ctrl+left"), ("HR", "ctrl+up"),
                  ("HR", "shift+up"), ("HR", "shift+left")]
        script = []
        for caption, chord in chords:
            script += ["focusbtn", caption, "keys", chord]
        before = self.app.read("tag.txt")
        self.press("window", harness.BAR_TITLE, *script)
        self.wait_button_at("UL", (100, 500, 1300, 500))
        self.wait_button_at("HR", (0, 1500, 1100, 300))
        # Keyboard changes live on the bar until the next save.
        self.assertEqual(self.app.read("tag.txt"), before)
        self.close_bar()
        lines = self.tag_lines()
        self.assertEqual(lines[0], "0,100,500,1300,500" + UL_TAIL)
        # Moving left from Left 0 keeps it at 0; Top, Height and Width
        # each lose 100.
        self.assertEqual(lines[3], "3,0,1500,1100,300" + HR_TAIL)

    def test_shift_drag_onto_the_background_saves_at_once(self):
        tpp = self.twips_per_pixel()
        # UL starts at Left 0, Top 400; the drop point lies on the
        # background right of the column of buttons.
        dx, dy = 100, 140  # pixels
        want_left = round_half_even_to_grid(0 + dx * tpp)
        want_top = round_half_even_to_grid(400 + dy * tpp)
        before = self.app.read("tag.txt")
        self.press("window", harness.BAR_TITLE, "front", 200,
                   "drag", "UL", dx, dy)
        saved = self.app.wait_change("tag.txt", before).decode("cp932")
        self.assertEqual(saved.split("\r\n")[0],
                         f"0,{want_left},{want_top},1200,400" + UL_TAIL)
        self.assertTrue(self.bar.running())
        self.wait_button_at("UL", (want_left, want_top, 1200, 400))

    def test_tiny_drag_onto_the_button_itself_lands_on_the_grid_line_below(self):
        # A drop on a tag button rounds down, not to the nearest line, and
        # does not keep the button inside the bar.
        tpp = self.twips_per_pixel()
        # caption, row, pixels moved, Left and Top before, rest of the line
        cases = [("UL", 0, (0, -5), (0, 400), UL_TAIL),
                 ("OL", 1, (-3, 0), (0, 800), OL_TAIL)]
        for caption, row, (dx, dy), (left, top), tail in cases:
            with self.subTest(caption=caption, dx=dx, dy=dy):
                before = self.app.read("tag.txt")
                self.press("window", harness.BAR_TITLE, "front", 200,
                           "drag", caption, dx, dy)
                saved = self.app.wait_change("tag.txt", before)
                want_left = (left + dx * tpp) // 100 * 100
                want_top = (top + dy * tpp) // 100 * 100
                self.assertEqual(
                    saved.decode("cp932").split("\r\n")[row],
                    f"{row},{want_left},{want_top},1200,400{tail}")


class BarEdgeTest(editor.EditorTestCase):
    """The bar's sizing border, dragged with the mouse."""
    uses_editor = False

    def drag_corner(self, dx, dy):
        """Drags the bar's bottom right corner by dx, dy pixels; returns
        what lay under the pointer and the client size then, twips."""
        dragged = self.press("window", harness.BAR_TITLE, "dragcorner", dx, dy)
        self.wine.wait_idle(self.bar.window["hwnd"])
        tpp, width, height = map(int, self.press(
            "window", harness.BAR_TITLE, "bar").values("tpp_client")[0].split())
        return dragged.values("hittest"), width * tpp, height * tpp, tpp

    def test_dragging_the_edge_makes_room_and_never_hides_a_button(self):
        # The default bar is as wide as its buttons: Ctrl+Right has no room.
        self.start_bar_shown()
        hit, width, height, tpp = self.drag_corner(60, 30)
        self.assertEqual(hit, ["17"])  # a sizing corner
        self.assertGreaterEqual(width, 1200 + 60 * tpp - 2 * tpp)
        self.press("window", harness.BAR_TITLE, "focusbtn", "UL",
                   "keys", "ctrl+right", "focusbtn", "UL", "keys", "ctrl+right")
        # Dragged far smaller, the bar still holds every button: UL now
        # ends at 200 + 1200, IMG at 2000 + 400.
        hit, width, height, tpp = self.drag_corner(-90, -150)
        self.assertGreaterEqual(width, 1400)
        self.assertGreaterEqual(height, 2400)
        self.assertLess(width, 1400 + 60 * tpp)
        outer = self.wine.window(self.bar.window["hwnd"])["rect"]
        self.close_bar()
        # The outer size is saved in twips, within a pixel of the window's.
        setup = dict(line.split("=", 1) for line in self.app.read(
            "setup.ini").decode("cp932").split("\r\n") if "=" in line)
        self.assertAlmostEqual(float(setup["Width"]),
                               (outer[2] - outer[0]) * tpp, delta=tpp)
        self.assertAlmostEqual(float(setup["Height"]),
                               (outer[3] - outer[1]) * tpp, delta=tpp)
        self.assertTrue(self.tag_lines()[0].startswith("0,200,400,1200,400,"))


if __name__ == "__main__":
    unittest.main()
