"""The paste against targets that are not as forgiving as notepad: key
events as a keyboard makes them, modifier keys the user still holds, a
target kept on top or with a window of its own on top, a target that went
away, is minimized or busy, and a clipboard that another program holds for
a moment."""

import collections
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
VK_LCONTROL = 162
WS_EX_TOPMOST = 0x8
NOTICE = "貼り付け先にキーを送れませんでした。タグはクリップボードにあります。"
CLOSED = "ウィンドウが閉じられています。"
BUSY = "ウィンドウが応答していません。"
BUSY_COMMAND = 999  # keylog.exe takes no message for three seconds
MARK_COMMAND = 998  # the witness sends its marker
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
        self.session = session
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

    def wait_keys(self, count, timeout=10):
        """The key messages once there are at least `count` of them."""
        return harness.wait_until(
            lambda: len(self.keys()) >= count and self.keys(), timeout,
            f"{count} key messages in {self.path.name}")


Key = collections.namedtuple("Key", "down vk scan extended injected time")


def start_keylog(test, *args):
    """keylog.exe started for `test` (ended with it), once it is ready."""
    keylog = ToolOutput(test.wine, "keylog.exe", *args)
    test.addCleanup(editor.stop_process, keylog.proc)
    keylog.wait_line("ready")
    return keylog


class KeyWitness(ToolOutput):
    """Every key event of the desktop as a low-level keyboard hook sees it
    (keylog.exe witness): it outlives any target, so keys that went to a
    window already closed, or to whatever had the focus, are there too."""

    def __init__(self, session):
        super().__init__(session, "keylog.exe", "witness")
        self.wait_line("ready")
        self.hwnd = int(self.lines()[0].split()[1])
        self.marks = 0

    def take(self, timeout=10):
        """The key events since the last take. The witness's marker goes
        through the input after every key sent before this call, so once
        the log holds it, the log holds them too."""
        self.marks += 1
        mark = f"mark {self.marks}"
        self.session.command(self.hwnd, MARK_COMMAND)
        self.wait_line(mark, timeout)
        lines = self.lines()
        last = f"mark {self.marks - 1}"
        start = lines.index(last) + 1 if last in lines else 0
        return [Key(word == "down", *map(int, numbers)) for word, *numbers
                in map(str.split, lines[start:lines.index(mark)])
                if word in ("down", "up")]


class PasteTargetTest(editor.EditorTestCase):

    uses_editor = False

    def start_keylog(self, *args):
        return start_keylog(self, *args)

    def start_witness(self):
        witness = KeyWitness(self.wine)
        self.addCleanup(editor.stop_process, witness.proc)
        return witness

    def keys_of_the_press(self, witness, bar):
        """The key events of every program since the last take, once the
        press the bar was handling is over (all its keys are sent)."""
        self.wine.wait_idle(bar.window["hwnd"])
        return witness.take()

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
                try:
                    self.press(*focus_keylog(), "click", "HR",
                               *wait_text("changed", ""))
                    self.assertEqual(
                        [k[:4] for k in keylog.wait_keys(4)],
                        [(True, *modifier, 0), (True, *V, 0),
                         (False, *V, 0), (False, *modifier, 0)])
                finally:
                    # The next row's clicks and focus find its own windows.
                    self.bar.kill()
                    editor.stop_process(keylog.proc)

    def test_modifier_keys_the_user_holds_are_waited_out(self):
        # The user holds Ctrl (on the X server, as a keyboard does) from
        # before the click until well after the first wait (300 ms) has
        # ended: the shortcut goes out only once the user has let go, so the
        # user's key neither joins it nor ends it early.
        witness = self.start_witness()
        self.start_keylog()
        bar = self.start_bar_shown(editor.setup_ini(Delay0=300, Delay1=10))
        self.press(*focus_keylog())
        self.x_key("keydown", "Control_L")
        try:
            self.press("click", "HR")
            time.sleep(0.6)  # the user's hold, not a wait for a result
        finally:
            self.x_key("keyup", "Control_L")
        self.press(*focus_keylog(0), *wait_text("equals", HR))
        keys = self.keys_of_the_press(witness, bar)
        self.assertEqual(
            [(k.down, k.vk) for k in keys if k.injected],
            [(True, VK_LCONTROL), (True, V[0]), (False, V[0]),
             (False, VK_LCONTROL)])
        # The witness saw the user's Ctrl go down and, before the V, up.
        # The log's order is the order the input took; the time of a key
        # from the X server is the server's own and may be earlier than
        # when Wine took it, so the times are not compared.
        user = [(k.down, k.vk) for k in keys if not k.injected]
        self.assertEqual((user[0], user[-1]),
                         ((True, VK_LCONTROL), (False, VK_LCONTROL)), keys)
        let_go = max(i for i, k in enumerate(keys) if not k.injected)
        v_down = next(i for i, k in enumerate(keys)
                      if k.injected and k.down and k.vk == V[0])
        self.assertLess(let_go, v_down,
                        f"V went down with the user's Ctrl still down: {keys}")

    def x_key(self, action, key):
        subprocess.run(["xdotool", action, key], check=True, timeout=10,
                       env={**os.environ, "DISPLAY": self.wine.display})

    def test_a_target_kept_on_top_stays_on_top_and_so_does_the_bar(self):
        keylog = self.start_keylog("topmost")
        bar = self.start_bar_shown(editor.setup_ini(TopMost=-1))
        self.assertTrue(bar.refresh()["exstyle"] & WS_EX_TOPMOST)
        self.press(*focus_keylog(), "click", "HR", *wait_text("equals", HR))
        self.wine.wait_idle(bar.window["hwnd"])
        target = self.wine.windows(cls=KEYLOG)[0]
        self.assertTrue(target["exstyle"] & WS_EX_TOPMOST)
        self.assertTrue(bar.refresh()["exstyle"] & WS_EX_TOPMOST)
        self.assertEqual([k[:4] for k in keylog.wait_keys(4)],
                         [(True, *LEFT_CTRL, 0), (True, *V, 0),
                          (False, *V, 0), (False, *LEFT_CTRL, 0)])

    def test_a_target_closed_before_the_press_gets_nothing(self):
        # The keys would reach whatever has the focus now: none are sent
        # (the witness outlives the target and sees keys to any window), the
        # user is told for a few seconds, and the button stays up, so the
        # next press offers the start tag again; the tag is on the
        # clipboard.
        witness = self.start_witness()
        self.start_keylog()
        bar = self.start_bar_shown()
        self.press(*focus_keylog())
        target = self.wine.windows(cls=KEYLOG)[0]
        self.wine.close_window(target["hwnd"])
        self.wine.wait_gone(target["hwnd"])
        self.press("click", "UL", "waitclip", UL_START, editor.TEXT_TIMEOUT_MS)
        notice = wait_notice(self.wine, bar)
        self.assertEqual(notice["title"], f"{NOTICE}\r\n{CLOSED}")
        self.assertEqual(self.keys_of_the_press(witness, bar), [])
        self.assertEqual(self.button(bar, "UL")["check"], 0)
        harness.wait_until(lambda: not visible_notice(self.wine, bar), 10,
                           "the notice to go")

    def button(self, bar, caption):
        return next(c for c in bar.children() if c["text"] == caption)

    def test_a_busy_target_never_freezes_the_bar(self):
        # The editor takes no message for three seconds from just before
        # the press: the bar does not wait for it. It answers at once, says
        # the editor is not answering, puts the button back, and no key is
        # sent, not even once the editor answers again.
        witness = self.start_witness()
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
        self.assertEqual(self.keys_of_the_press(witness, bar), [])

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
        # The box is owned by the bar; no key is sent, neither before the
        # box nor once it is closed.
        witness = self.start_witness()
        self.start_keylog()
        bar = self.start_bar_shown()
        holder = self.start_holder(2500)
        self.press(*focus_keylog(), "click", "HR")
        box = bar.wait_dialog()
        self.assertEqual(box.caption, harness.ERROR_TITLE)
        self.assertTrue(box.text.startswith("タグボタンのクリック時"))
        self.assertEqual(box.window["owner"], bar.window["hwnd"])
        box.press()
        box.wait_gone()
        self.assertEqual(self.keys_of_the_press(witness, bar), [])


if __name__ == "__main__":
    unittest.main()
