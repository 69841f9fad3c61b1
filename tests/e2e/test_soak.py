"""Long use: many presses of the five default buttons and table pastes into
Wine's notepad. Every batch compares the editor's whole text with the text
expected from the presses, and checks that no modifier key is left down;
the bar's working set and GDI/USER object counts are taken after the first
50 presses and at the end.

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
    return (after - before) / before if before else 0.0


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
        counts = ("gdi", "user", "windows")
        # Wine's GetGuiResources answers 0 for every process; the number of
        # the bar's windows then stands in for its USER objects.
        print(f"\nsoak: {done} presses, {tables} tables; " + ", ".join(
            f"{key} {baseline[key]} -> {final[key]} "
            f"({growth(baseline[key], final[key]):+.1%})"
            if baseline[key] or final[key] else f"{key} not reported"
            for key in ("working_set",) + counts), flush=True)
        for key in counts:
            self.assertLessEqual(growth(baseline[key], final[key]), GROWTH,
                                 key)
        self.close_bar()


if __name__ == "__main__":
    unittest.main()
