"""The paste against targets that are not as forgiving as notepad: key
events as a keyboard makes them, modifier keys the user still holds, a
target kept on top or with a window of its own on top, a target that went
away, is minimized or busy, and a clipboard that another program holds for
a moment."""

import itertools
import os
import subprocess
import time
import unittest

import editor
import harness
from editor import HR, UL_START, wait_text

KEYLOG = "KeyLog"
LEFT_CTRL, LEFT_SHIFT, V = (17, 0x1D), (16, 0x2A), (86, 0x2F)
WS_EX_TOPMOST = 0x8
NOTICE = "貼り付け先にキーを送れませんでした。タグはクリップボードにあります。"
CLOSED = "ウィンドウが閉じられています。"
BUSY = "ウィンドウが応答していません。"
BUSY_COMMAND = 999  # keylog.exe takes no message for three seconds
_seq = itertools.count(1)


def focus_keylog(wait_ms=editor.FOCUS_WAIT_MS):
    return ["editor", KEYLOG, editor.TEXT_TIMEOUT_MS, "focus", wait_ms]


def visible_notice(wine, bar):
    """The notice beside the bar; a button's own tooltip ("UL", under the
    pointer after the click) is not it."""
    return next((w for w in wine.windows(pid=bar.pid)
                 if w["visible"] and w["class"] == "tooltips_class32"
                 and w["title"].startswith(NOTICE)), None)


def wait_notice(wine, bar, timeout=5):
    return harness.wait_until(lambda: visible_notice(wine, bar), timeout,
                              "the notice")


class ToolOutput:
    """A test tool started with a result file that it appends lines to."""

    def __init__(self, session, exe, *args):
        self.path = session.run_dir / "out" / f"{exe}-{next(_seq)}.txt"
        self.proc = session.popen(
            [session.tool(exe), harness.winpath(self.path), *args])

    def lines(self):
        try:
            return self.path.read_text(encoding="utf-8").splitlines()
        except FileNotFoundError:
            return []

    def wait_line(self, line, timeout=20):
        return harness.wait_until(lambda: line in self.lines(), timeout,
                                  f"{line!r} from {self.path.name}")

    def keys(self):
        """Key messages as (down, vk, scan, extended, shift) tuples."""
        out = []
        for line in self.lines():
            word, *numbers = line.split()
            if word in ("down", "up"):
                out.append((word == "down", *map(int, numbers)))
        return out


class PasteTargetTest(editor.EditorTestCase):

    uses_editor = False

    def start_keylog(self, *args):
        keylog = ToolOutput(self.wine, "keylog.exe", *args)
        self.addCleanup(editor.stop_process, keylog.proc)
        keylog.wait_line("ready")
        return keylog

    def start_holder(self, ms):
        holder = ToolOutput(self.wine, "clipholder.exe", "hold", ms)
        self.addCleanup(editor.stop_process, holder.proc)
        holder.wait_line("ready")
        return holder

    def clipboard_formats(self):
        formats = ToolOutput(self.wine, "clipholder.exe", "formats")
        formats.proc.wait(30)
        return {name: (int(size), value) for _, name, size, value in
                (line.split() for line in formats.lines())}

    def test_keys_carry_scan_codes_and_shift_is_left_shift(self):
        # Ctrl as stored (162) and "Shift" (stored as 246, sent as left
        # Shift); each key event carries its scan code, none is extended.
        for stored, modifier in ((162, LEFT_CTRL), (246, LEFT_SHIFT)):
            with self.subTest(stored=stored):
                keylog = self.start_keylog()
                self.start_bar_shown(editor.setup_ini(
                    PShiftKey=stored, Delay0=50, Delay1=50))
                self.press(*focus_keylog(), "click", "HR",
                           *wait_text("changed", ""), "sleep", 300)
                self.assertEqual(
                    [k[:4] for k in keylog.keys()],
                    [(True, *modifier, 0), (True, *V, 0),
                     (False, *V, 0), (False, *modifier, 0)])
                self.bar.kill()
                editor.stop_process(keylog.proc)

    def test_modifier_keys_the_user_holds_are_waited_out(self):
        # The user holds Ctrl (on the X server, as a keyboard does) from
        # before the click until well after the first wait (300 ms) has
        # ended: the shortcut goes out only once the user has let go, so the
        # user's key neither joins it nor ends it early.
        keylog = self.start_keylog()
        self.start_bar_shown(editor.setup_ini(Delay0=300, Delay1=10))
        self.press(*focus_keylog())
        self.x_key("keydown", "Control_L")
        try:
            click = self.press("click", "HR").numbers("click_tick")[0]
            time.sleep(0.6)
        finally:
            self.x_key("keyup", "Control_L")
        self.press(*focus_keylog(0), *wait_text("equals", HR))
        v_down = next(k for k in keylog.keys() if k[:2] == (True, V[0]))
        self.assertGreater(v_down[5] - click, 600)

    def x_key(self, action, key):
        subprocess.run(["xdotool", action, key], check=True, timeout=10,
                       env={**os.environ, "DISPLAY": self.wine.display})

    def test_a_target_kept_on_top_stays_on_top_and_so_does_the_bar(self):
        keylog = self.start_keylog("topmost")
        bar = self.start_bar_shown(editor.setup_ini(TopMost=-1))
        self.assertTrue(bar.refresh()["exstyle"] & WS_EX_TOPMOST)
        self.press(*focus_keylog(), "click", "HR", *wait_text("equals", HR),
                   "sleep", 300)
        target = self.wine.windows(cls=KEYLOG)[0]
        self.assertTrue(target["exstyle"] & WS_EX_TOPMOST)
        self.assertTrue(bar.refresh()["exstyle"] & WS_EX_TOPMOST)
        self.assertEqual(len(keylog.keys()), 4)

    def test_a_target_closed_before_the_press_gets_nothing(self):
        # The keys would reach the bar: none are sent, the user is told for
        # a few seconds, and the button stays up, so the next press offers
        # the start tag again; the tag is on the clipboard.
        keylog = self.start_keylog()
        bar = self.start_bar_shown()
        self.press(*focus_keylog())
        target = self.wine.windows(cls=KEYLOG)[0]
        self.wine.close_window(target["hwnd"])
        self.wine.wait_gone(target["hwnd"])
        result = self.press("click", "UL", "sleep", 600, "clipboard")
        self.assertEqual(result.texts("clipboard_hex"), [UL_START])
        notice = wait_notice(self.wine, bar)
        self.assertEqual(notice["title"], f"{NOTICE}\r\n{CLOSED}")
        self.assertEqual(self.button(bar, "UL")["check"], 0)
        harness.wait_until(lambda: not visible_notice(self.wine, bar), 10,
                           "the notice to go")
        self.assertEqual(keylog.keys(), [])

    def button(self, bar, caption):
        return next(c for c in bar.children() if c["text"] == caption)

    def test_a_busy_target_never_freezes_the_bar(self):
        # The editor takes no message for three seconds from just before
        # the press: the bar does not wait for it. It answers at once, says
        # the editor is not answering, puts the button back, and the editor
        # gets no key, not even once it answers again.
        keylog = self.start_keylog()
        bar = self.start_bar_shown()
        self.press(*focus_keylog())
        target = self.wine.windows(cls=KEYLOG)[0]
        self.wine.command(target["hwnd"], BUSY_COMMAND)
        keylog.wait_line("busy")
        self.press("click", "UL")
        notice = wait_notice(self.wine, bar, timeout=2)
        self.assertEqual(notice["title"], f"{NOTICE}\r\n{BUSY}")
        ping = self.wine.driver("ping", bar.window["hwnd"], 1000)
        self.assertTrue(ping["answered"])
        self.assertLess(ping["ms"], 500)
        self.assertNotIn("awake", keylog.lines())
        self.assertEqual(self.button(bar, "UL")["check"], 0)
        keylog.wait_line("awake")
        self.press("sleep", 500)
        self.assertEqual(keylog.keys(), [])

    def test_a_minimized_target_is_restored_and_gets_the_tag(self):
        # The editor was minimized after the user worked in it: the press
        # restores it, brings it back and pastes; the button is down.
        self.start_keylog()
        bar = self.start_bar_shown()
        result = self.press(*focus_keylog(), "minimize", 3000, "sleep", 300,
                            "click", "UL", *wait_text("equals", UL_START),
                            "iconic")
        self.assertEqual(result.values("iconic"), ["0"])
        self.assertEqual(self.button(bar, "UL")["check"], 1)
        self.assertIsNone(visible_notice(self.wine, bar))

    def test_a_clipboard_held_for_a_moment_is_waited_out(self):
        # A listener holds the clipboard for 400 ms from the mouse press on:
        # the tag is pasted all the same, marked Japanese and kept out of
        # the clipboard history.
        self.start_keylog()
        self.start_bar_shown(editor.setup_ini(Delay0=10, Delay1=10))
        holder = self.start_holder(400)
        result = self.press(*focus_keylog(), "click", "HR",
                            *wait_text("equals", HR))
        self.assertEqual(holder.lines(), ["ready", "held", "released"])
        self.assertGreater(result.numbers("since_click_ms")[-1], 350)
        formats = self.clipboard_formats()
        self.assertEqual(formats["13"][0], 2 * (len(HR) + 1))
        self.assertEqual(formats["16"], (4, "00000411"))
        self.assertEqual(formats["CanIncludeInClipboardHistory"],
                         (4, "00000000"))
        self.assertEqual(formats["CanUploadToCloudClipboard"],
                         (4, "00000000"))

    def test_a_clipboard_held_too_long_is_reported_over_the_bar(self):
        # The box is owned by the bar; the editor gets no keys.
        keylog = self.start_keylog()
        bar = self.start_bar_shown()
        holder = self.start_holder(2500)
        self.press(*focus_keylog(), "click", "HR")
        box = bar.wait_dialog()
        self.assertEqual(box.caption, harness.ERROR_TITLE)
        self.assertTrue(box.text.startswith("タグボタンのクリック時"))
        self.assertEqual(box.window["owner"], bar.window["hwnd"])
        box.press()
        box.wait_gone()
        self.assertEqual(keylog.keys(), [])


if __name__ == "__main__":
    unittest.main()
