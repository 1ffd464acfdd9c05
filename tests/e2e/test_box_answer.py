#!/usr/bin/env python3
"""BoxAnswer, the helper that answers message boxes in end-to-end scenarios, against real
boxes shown by ShowBox under Wine's null display driver: it presses the asked button, reads
titles and texts exactly (non-ASCII included), and reports a box that differs, a missing
button and the absence of any box with their own exit codes."""

import helpertext
import wineharness

MB_OK, MB_YESNO_QUESTION = 0x0, 0x24
IDOK, IDYES, IDNO = 1, 6, 7
ANSWERED, NO_BOX, TITLE_DIFFERS, TEXT_DIFFERS, NO_SUCH_BUTTON = 0, 3, 4, 5, 6

TITLE = "Instalaci\u00f3n de Tamber 4"
QUESTION = "\u00bfDesea cancelar la instalaci\u00f3n?"
NOTICE = 'The file "C:\\Tamber4\\a.msi" is corrupt\u2026'


class BoxAnswer(wineharness.ScenarioTestCase):
    scenario_name = "box-answer"

    def show_box(self, title, text, style):
        return self.scenario.start(self.scenario.helper("ShowBox"),
                                   "--title", helpertext.escape_argument(title),
                                   "--text", helpertext.escape_argument(text),
                                   "--style", hex(style))

    def answer_shown_box(self, title, text, style, expected_title, expected_text, press):
        """Shows a box and lets BoxAnswer answer it; returns (BoxAnswer result, the box)."""
        answer = self.scenario.answer_box(expected_title, expected_text, press)
        box = self.show_box(title, text, style)
        return answer(), box

    def test_presses_yes_and_no(self):
        for press, button in (("yes", IDYES), ("no", IDNO)):
            with self.subTest(press=press):
                result, box = self.answer_shown_box(TITLE, QUESTION, MB_YESNO_QUESTION,
                                                    TITLE, QUESTION, press)
                self.assertEqual(result.code, ANSWERED, result.output)
                self.assertEqual((result.title, result.text), (TITLE, QUESTION))
                self.assertEqual(box.wait(30).returncode, button)

    def test_presses_ok_and_reads_backslashes_and_ellipsis(self):
        result, box = self.answer_shown_box("Tamber 4 Setup", NOTICE, MB_OK,
                                            "Tamber 4 Setup", NOTICE, "ok")
        self.assertEqual(result.code, ANSWERED, result.output)
        self.assertEqual(result.text, NOTICE)
        self.assertEqual(box.wait(30).returncode, IDOK)

    def test_reports_a_different_text_and_leaves_the_box_open(self):
        result, box = self.answer_shown_box(TITLE, QUESTION, MB_YESNO_QUESTION,
                                            TITLE, "\u00bfDesea cancelar?", "yes")
        self.assertEqual(result.code, TEXT_DIFFERS, result.output)
        self.assertEqual(result.text, QUESTION)
        self.assertTrue(box.running())
        # The box is still there to be answered correctly.
        self.assertEqual(self.scenario.answer_box(TITLE, QUESTION, "no")().code, ANSWERED)
        self.assertEqual(box.wait(30).returncode, IDNO)

    def test_reports_a_different_title(self):
        result, box = self.answer_shown_box(TITLE, QUESTION, MB_YESNO_QUESTION,
                                            "Tamber 4 Setup", QUESTION, "yes")
        self.assertEqual(result.code, TITLE_DIFFERS, result.output)
        self.assertEqual(result.title, TITLE)
        self.assertEqual(self.scenario.answer_box(TITLE, QUESTION, "yes")().code, ANSWERED)
        self.assertEqual(box.wait(30).returncode, IDYES)

    def test_reports_a_missing_button(self):
        result, box = self.answer_shown_box("Tamber 4 Setup", NOTICE, MB_OK,
                                            "Tamber 4 Setup", NOTICE, "yes")
        self.assertEqual(result.code, NO_SUCH_BUTTON, result.output)
        self.assertEqual(self.scenario.answer_box("Tamber 4 Setup", NOTICE, "ok")().code,
                         ANSWERED)
        self.assertEqual(box.wait(30).returncode, IDOK)

    def test_reports_when_no_box_appears(self):
        result = self.scenario.answer_box(TITLE, QUESTION, "yes", timeout_ms=500)()
        self.assertEqual(result.code, NO_BOX, result.output)
        self.assertIsNone(result.title)


if __name__ == "__main__":
    wineharness.main()
