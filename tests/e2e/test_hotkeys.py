"""Ctrl+Alt+1 to Ctrl+Alt+0 press the first ten buttons from any program:
keys from the X server as a keyboard makes them, into notepad in front."""

import os
import subprocess
import time
import unittest

import editor
import harness
from editor import HR, UL_END, UL_START, focus_editor, wait_text
from test_paste_target import ToolOutput

HELD = ("Ctrl+Alt+1 はほかのプログラム（別の Pinrow を含む）が使用中のため、"
        "使えません。")
DIALOG = "設定"


def notepad(*script):
    """A presser script on notepad without bringing it forward."""
    return ["notepad", editor.TEXT_TIMEOUT_MS, *script]


class HotKeysTest(editor.EditorTestCase):

    def x(self, *args):
        subprocess.run(["xdotool", *args], check=True, timeout=10,
                       env={**os.environ, "DISPLAY": self.wine.display})

    def hotkey(self, digit):
        self.x("key", f"ctrl+alt+{digit}")

    def start_with_keys(self, **main_form):
        bar = self.start_bar_shown(editor.setup_ini(HotKeys=-1, **main_form))
        self.press(*focus_editor())
        return bar

    def assert_nothing_pasted(self):
        """A click on HR pastes after anything the bar still had to do: the
        key's press, had there been one, is in the editor before it."""
        result = self.press(*focus_editor(), "click", "HR",
                            *wait_text("endswith", HR))
        self.assertNotIn("<ul", result.last_text())

    def test_keys_press_the_first_buttons_into_the_editor_in_front(self):
        # A key that comes while a press still runs is dropped: each key
        # waits until the bar has ended the press before (its keys up).
        bar = self.start_with_keys()
        self.hotkey(1)
        self.press(*notepad(*wait_text("equals", UL_START)))
        self.wine.wait_idle(bar.window["hwnd"])
        self.hotkey(1)
        self.press(*notepad(*wait_text("equals", UL_START + UL_END)))
        self.wine.wait_idle(bar.window["hwnd"])
        self.hotkey(4)
        self.press(*notepad(*wait_text("equals", UL_START + UL_END + HR)))

    def test_with_the_option_off_a_key_does_nothing(self):
        self.start_bar_shown()
        self.press(*focus_editor())
        self.hotkey(1)
        self.assert_nothing_pasted()

    def test_with_the_bar_in_front_a_key_is_a_click(self):
        bar = self.start_with_keys()
        self.press("window", "Pinrow", "front", 300)
        self.assertEqual(self.wine.driver("foreground")["hwnd"],
                         bar.window["hwnd"])
        self.hotkey(1)
        self.press(*notepad(*wait_text("equals", UL_START)))

    def test_a_key_while_the_dialog_is_open_pastes_nothing(self):
        self.start_with_keys()
        self.press("window", "Pinrow", "clickpic", 0, 0,
                   "window", DIALOG, "waitwin", 5000)
        self.hotkey(1)
        self.press("window", DIALOG, "keys", "escape", "waitgone", 5000)
        self.assert_nothing_pasted()

    def test_the_paste_waits_until_the_user_lets_go_of_ctrl_and_alt(self):
        self.start_with_keys()
        self.x("keydown", "ctrl", "keydown", "alt", "key", "1")
        try:
            time.sleep(0.5)  # the user's hold, not a wait for a result
        finally:
            self.x("keyup", "alt", "keyup", "ctrl")
        self.press(*notepad(*wait_text("equals", UL_START)))

    def test_notepad_is_not_left_in_its_menu_after_either_release(self):
        # Alt went down and up in notepad with no key between (the digit
        # went to the bar): without a key in between, the release of Alt
        # would open notepad's menu, and the letter typed next would choose
        # a menu instead of landing in the text. The user holds the keys a
        # moment, as a hand does.
        for first, second in (("ctrl", "alt"), ("alt", "ctrl")):
            with self.subTest(first_up=first):
                if first == "alt":
                    # Wine's notepad opens its menu on this release even
                    # when it got the whole Ctrl+Alt+4 itself (the option
                    # off): nothing the bar does can be seen here.
                    self.skipTest("Wine opens notepad's menu after Alt is "
                                  "let go before Ctrl, bar or no bar")
                self.start_with_keys()
                self.press(*notepad("settext", ""))
                self.x("keydown", "ctrl", "keydown", "alt", "key", "4")
                try:
                    time.sleep(0.3)  # the user's hold
                finally:
                    self.x("keyup", first, "keyup", second)
                self.press(*notepad(*wait_text("equals", HR)))
                self.x("key", "x")
                self.press(*notepad(*wait_text("equals", HR + "x")))
                self.bar.kill()

    def test_a_key_another_program_holds_is_named_once(self):
        holder = ToolOutput(self.wine, "keyholder.exe", ord("1"))
        self.addCleanup(editor.stop_process, holder.proc)
        holder.wait_line("ready")
        self.assertIn(f"held {ord('1')}", holder.lines())
        bar = self.start_bar_shown(editor.setup_ini(HotKeys=-1))
        notice = harness.wait_until(
            lambda: next((w for w in self.wine.windows(pid=bar.pid)
                          if w["class"] == "tooltips_class32"
                          and w["title"] == HELD), None),
            10, "the notice")
        self.assertTrue(notice)
        # The others are taken.
        self.press(*focus_editor())
        self.hotkey(2)
        self.press(*notepad(*wait_text("endswith", ">")))


if __name__ == "__main__":
    unittest.main()
