#!/usr/bin/env python3
"""The "alert" and "abort" commands with the real Tamber4Setup.exe under Wine: real message
boxes answered by BoxAnswer, which also checks each box's title and text; the exit code an
answer leads to; the RunOnce value an abort removes; and the message table's Spanish texts
when the user interface language is set to "es"."""

import re

import spinescenario
import wineharness

RUN_ONCE_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\RunOnce"
TAMBER4_KEY = r"HKEY_CURRENT_USER\Software\Tamber4"
TITLE = "Tamber 4 Setup"
QUESTION = "Do you want to stop the setup?"
STOPPED = "The setup was stopped."
PENDING_RESUME = "C:\\Tamber4Test\\Tamber4Setup.exe"

SPANISH_TITLE = "Instalaci\u00f3n de Tamber 4"
SPANISH_217 = ("Instalaci\u00f3n completa. Debe reiniciar su equipo para que los cambios tomen "
               "efecto. \u00bfDesea reiniciar su equipo ahora?")
SPANISH_231 = "El instalador de Tamber no pudo completar la instalaci\u00f3n."
ENGLISH_241 = "The installation of DirectX components did not succeed."


def result_of(line):
    """The "result" of a working copy line ("" when it has none); results need no escapes."""
    match = re.search(r"\|result=([^|]*)", line)
    return match.group(1) if match else ""


def question_script(flag):
    """An alert question whose answer sets the abort request by `flag`, then an abort."""
    return [f"alert|title={TITLE}|message={QUESTION}|{flag}=yes",
            f"abort|title={TITLE}|message={STOPPED}|icon=warning",
            "# after the abort"]


class PromptTestCase(spinescenario.SpineTestCase):
    """Runs scripts whose boxes are answered as they appear; each test starts with a RunOnce
    value of the bootstrapper's own, as a pending restart would have left it."""

    def setUp(self):
        super().setUp()
        self.scenario.reg_add(RUN_ONCE_KEY.replace("HKEY_CURRENT_USER", "HKCU"), "Tamber4Setup",
                              PENDING_RESUME)

    def run_answering(self, name, lines, boxes):
        """Runs the script `name` with `lines`, answering each of `boxes`, (title, text,
        button), in turn. Returns the exit code; fails the test when a box is not as
        expected (BoxAnswer then leaves it open and the run is ended by the scenario)."""
        scenario = self.scenario
        scenario.put_utf16_file(self.beside_exe(name), "".join(l + "\r\n" for l in lines))
        setup = scenario.start(scenario.setup_exe, spinescenario.EXE_FOLDER + "\\" + name)
        for title, text, press in boxes:
            result = scenario.answer_box(title, text, press)()
            self.assertEqual(result.code, 0, result.output)
            self.assertEqual((result.title, result.text), (title, text))
        return setup.wait(wineharness.DEFAULT_TIMEOUT).returncode

    def results(self, name):
        return [result_of(line) for line in self.working_copy_lines(name)]

    def run_once_value(self):
        return (self.scenario.registry_values(RUN_ONCE_KEY) or {}).get("Tamber4Setup")


class Prompts(PromptTestCase):
    scenario_name = "prompts"

    def test_yes_to_a_question_that_aborts_on_yes_ends_the_run_with_2(self):
        code = self.run_answering("yes.crvdat", question_script("yes-no-set-abort-on-yes"),
                                  [(TITLE, QUESTION, "yes"), (TITLE, STOPPED, "ok")])
        self.assertEqual(code, 2)
        self.assertEqual(self.results("yes.crvdat"), ["success", "success", ""])
        self.assertIsNone(self.run_once_value())
        messages = self.log_messages()
        self.assertIn(("Info", "RunCommandAbort", "Aborting"), messages)
        self.assertIn(("Info", "TamberMessageBox",
                       f"Displaying message box with title '{TITLE}', message '{STOPPED}' and a "
                       "warning icon."), messages)

    def test_no_to_a_question_that_aborts_on_yes_lets_the_run_finish(self):
        code = self.run_answering("no.crvdat", question_script("yes-no-set-abort-on-yes"),
                                  [(TITLE, QUESTION, "no")])
        self.assertEqual(code, 0)
        self.assertEqual(self.results("no.crvdat"), ["success"] * 3)
        self.assertEqual(self.run_once_value(), PENDING_RESUME)
        self.assertIn(("Info", "RunCommandAbort",
                       "Not Aborting (use the force=yes parameter to force an abort)."),
                      self.log_messages())

    def test_no_to_a_question_that_aborts_on_no_ends_the_run_with_2(self):
        code = self.run_answering("on-no.crvdat", question_script("yes-no-set-abort-on-no"),
                                  [(TITLE, QUESTION, "no"), (TITLE, STOPPED, "ok")])
        self.assertEqual(code, 2)
        self.assertEqual(self.results("on-no.crvdat"), ["success", "success", ""])

    def test_a_forced_abort_without_a_request_ends_the_run_with_0_and_no_box(self):
        code = self.run_answering("force.crvdat",
                                  ["abort|force=yes|title=T|message-id-message=216",
                                   "# after the abort"], [])
        self.assertEqual(code, 0)
        self.assertEqual(self.results("force.crvdat"), ["success", ""])
        self.assertIsNone(self.run_once_value())


class SpanishPrompts(PromptTestCase):
    """The same program for a user whose "UserInterfaceLanguage" is "es": the message-id
    parameters give the Spanish entries, and the script's English wording is not used."""

    scenario_name = "prompts-es"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.reg_add(TAMBER4_KEY.replace("HKEY_CURRENT_USER", "HKCU"),
                             "UserInterfaceLanguage", "es")

    def test_message_ids_give_the_spanish_texts(self):
        code = self.run_answering("es.crvdat", [
            "alert|message-id-title=215|title=Tamber 4 Setup|message-id-message=217|"
            "message=Restart?|icon=info",
            "alert|message-id-title=215|message-id-message=241|message=DirectX?|"
            "yes-no-set-abort-on-no=yes",
            "abort|message-id-title=223|message-id-message=231|message=Failed."],
            [(SPANISH_TITLE, SPANISH_217, "ok"),
             (SPANISH_TITLE, ENGLISH_241, "no"),  # stored in English in the Spanish block
             (SPANISH_TITLE, SPANISH_231, "ok")])
        self.assertEqual(code, 2)
        self.assertEqual(self.results("es.crvdat"), ["success"] * 3)
        self.assertIsNone(self.run_once_value())
        # The table's entries are taken as they are: no fallback, no English override.
        self.assertEqual([m for m in self.log_messages() if m[1] in ("LookupMessage",
                                                                     "LocalizedStringFromResources")
                          and m[0] != "Info"], [])


if __name__ == "__main__":
    wineharness.main()
