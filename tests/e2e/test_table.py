"""The table button asks for columns and rows and pastes the skeleton."""

import unittest

import editor
from editor import (HR, IMG, TABLE_BUTTON_TWIPS, answer, cancel,
                    focus_editor, wait_text)

COLUMNS_TITLE = "列数"
ROWS_TITLE = "行数"
COLUMNS_PROMPT = "列の数を入力してください。"
ROWS_PROMPT = ("行の数を入力してください。\r\n\r\n"
               "注：｢CAPTION｣｢TH｣は1行に含まれません")
RANGE_PROMPT = "1～100の数字を入力してください。\r\n"

TABLE_2x2 = ("<table ><caption >&nbsp;</caption>"
             "<tr ><th >&nbsp;</th><th >&nbsp;</th></tr>"
             "<tr ><td >&nbsp;</td><td >&nbsp;</td></tr>"
             "<tr ><td >&nbsp;</td><td >&nbsp;</td></tr></table>")
TABLE_2x1 = ("<table ><caption >&nbsp;</caption>"
             "<tr ><th >&nbsp;</th><th >&nbsp;</th></tr>"
             "<tr ><td >&nbsp;</td><td >&nbsp;</td></tr></table>")


def press_table():
    return ["clickpic", *TABLE_BUTTON_TWIPS]


class TableButtonTest(editor.EditorTestCase):

    def setUp(self):
        super().setUp()
        self.start_bar_shown()

    def test_two_by_two_default_table(self):
        result = self.press(*focus_editor(), *press_table(),
                            *answer(COLUMNS_TITLE, "2"),
                            *answer(ROWS_TITLE, "2"),
                            *wait_text("equals", TABLE_2x2))
        self.assertEqual(result.texts("prompt_hex"),
                         [COLUMNS_PROMPT, ROWS_PROMPT])

    def test_unacceptable_counts_bring_the_range_box_again(self):
        # "abc" and "0" are asked again with the range message; 2.5 rounds
        # to 2 (half to even).
        result = self.press(*focus_editor(), "type", "<p>",
                            *wait_text("equals", "<p>"), *press_table(),
                            *answer(COLUMNS_TITLE, "abc"),
                            *answer(COLUMNS_TITLE, "0"),
                            *answer(COLUMNS_TITLE, "2.5"),
                            *answer(ROWS_TITLE, "x"),
                            *answer(ROWS_TITLE, " 1 "),
                            *wait_text("equals", "<p>" + TABLE_2x1))
        self.assertEqual(result.texts("prompt_hex"), [
            COLUMNS_PROMPT,
            RANGE_PROMPT + COLUMNS_PROMPT,
            RANGE_PROMPT + COLUMNS_PROMPT,
            ROWS_PROMPT,
            RANGE_PROMPT + "行の数を入力してください。",
        ])

    def test_cancel_pastes_nothing(self):
        # After a cancel the bar handles the next press (HR); its paste is
        # the first thing that reaches the editor, and the press after it
        # (IMG) the next: nothing of the table came in between.
        for boxes in ([cancel(COLUMNS_TITLE)],
                      [answer(COLUMNS_TITLE, "101"), cancel(COLUMNS_TITLE)],
                      [answer(COLUMNS_TITLE, "3"), cancel(ROWS_TITLE)]):
            with self.subTest(boxes=boxes):
                steps = [step for box in boxes for step in box]
                self.press(*focus_editor(), "settext", "keep",
                           "keys", "end", *press_table(), *steps,
                           *focus_editor(), "click", "HR",
                           *wait_text("equals", f"keep{HR}"),
                           "click", "IMG",
                           *wait_text("equals", f"keep{HR}{IMG}"))


if __name__ == "__main__":
    unittest.main()
