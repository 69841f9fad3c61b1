"""Long use: many presses of the five default buttons and table pastes into
Wine's notepad. Every batch compares the editor's whole text with the text
expected from the presses, and checks that no modifier key is left down;
the bar's working set, GDI/USER object counts and windows are taken after
the first 50 presses and at the end: a count the system reports as 0 at
the start is not measured (Wine's GetGuiResources answers 0), the others
may grow only a little.

The test command runs 100 presses and 2 tables; tests/bench/soak_bench.py
runs 1,000 presses and 20 tables through the same test
(PINROW_SOAK_PRESSES, PINROW_SOAK_TABLES)."""

import os
import random
import time
import unittest

import editor
from editor import answer, focus_editor, wait_text
from test_table import COLUMNS_TITLE, ROWS_TITLE, TABLE_2x1, press_table

TAGS = {
    "UL": ("<ul style='list-style-type:square;'>", "</ul>"),
    "OL": ("<ol style='list-style-type:upper-alpha; '>", "</ol>"),
    "LI": ("<li>", "</li>"),
    "HR": ("<hr size='1'>", None),
    "IMG": ("<img src=''>", None),
}
TABLE = "table"
BATCH = 50      # presses per presser run; the first batch is the baseline
GROWTH = 0.10   # the most the object counts may grow past the baseline
# The most the working set may grow past the baseline: generous, since
# Wine's own share of it varies from run to run; a leak of a few kilobytes
# a press passes, one of a bitmap or a buffer a press does not.
WORKING_SET_GROWTH = 0.25


def plan(presses, tables, seed=2026):
    """The presses in order: never the same button twice in a row, so each
    paste changes the end of the text; tables spread evenly."""
    rng = random.Random(seed)
    steps, previous = [], None
    every = max(1, presses // tables) if tables else 0
    for i in range(presses):
        previous = rng.choice([c for c in TAGS if c != previous])
        steps.append(previous)
        if every and (i + 1) % every == 0 and steps.count(TABLE) < tables:
            steps.append(TABLE)
            previous = TABLE
    return steps


def batches(steps):
    batch, count = [], 0
    for step in steps:
        batch.append(step)
        count += step != TABLE
        if count == BATCH:
            yield batch
            batch, count = [], 0
    if batch:
        yield batch


def growth(before, after):
    """The relative growth, or None when there is no baseline to grow from
    (a count the system does not report)."""
    return (after - before) / before if before else None


def described(key, before, after):
    change = growth(before, after)
    if change is None:
        return f"{key} not measured ({before} -> {after})"
    return f"{key} {before} -> {after} ({change:+.1%})"


class SoakTest(editor.EditorTestCase):

    def keys_down(self, timeout=3.0):
        """The modifier keys still down once the last paste has had time to
        release its keys (the text lands while they are still held)."""
        deadline = time.monotonic() + timeout
        while True:
            down = self.wine.driver("keystate")["down"]
            if not down or time.monotonic() > deadline:
                return down
            time.sleep(0.2)

    def test_presses_land_and_resources_stay_flat(self):
        presses = int(os.environ.get("PINROW_SOAK_PRESSES", 100))
        tables = int(os.environ.get("PINROW_SOAK_TABLES", 2))
        bar = self.start_bar_shown()
        pid = bar.window["pid"]
        down = {caption: False for caption in TAGS}
        done, baseline = 0, None
        for batch in batches(plan(presses, tables)):
            script, expected = [*focus_editor(), "settext", ""], ""
            for step in batch:
                if step == TABLE:
                    text = TABLE_2x1
                    script += [*press_table(), *answer(COLUMNS_TITLE, "2"),
                               *answer(ROWS_TITLE, "1")]
                else:
                    start, end = TAGS[step]
                    down[step] = not down[step] if end else True
                    text = start if down[step] else end
                    script += ["click", step]
                    done += 1
                expected += text
                script += wait_text("endswith", text)
            result = self.press(*script, "gettext", timeout=600)
            self.assertEqual(result.last_text(), expected,
                             f"editor text after {done} presses")
            self.assertEqual(self.keys_down(), [],
                             f"modifier keys down after {done} presses")
            if baseline is None:
                baseline = self.wine.driver("resources", pid)
        final = self.wine.driver("resources", pid)
        limits = {"working_set": WORKING_SET_GROWTH, "gdi": GROWTH,
                  "user": GROWTH, "windows": GROWTH}
        print(f"\nsoak: {done} presses, {tables} tables; " + ", ".join(
            described(key, baseline[key], final[key]) for key in limits),
            flush=True)
        # Wine's GetGuiResources answers 0 for every process; the number of
        # the bar's windows then stands in for its USER objects, so it and
        # the working set must be measured.
        for key in ("working_set", "windows"):
            self.assertGreater(baseline[key], 0, f"{key} not measured")
        for key, limit in limits.items():
            change = growth(baseline[key], final[key])
            if change is not None:
                with self.subTest(key):
                    self.assertLessEqual(change, limit, described(
                        key, baseline[key], final[key]))
        self.close_bar()


if __name__ == "__main__":
    unittest.main()
