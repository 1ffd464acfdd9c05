#!/usr/bin/env python3
"""The message table as the real Tamber4Setup.exe carries it, formatted by the system under
Wine from the exe's own resources: exact texts in English, Spanish and Swedish, and every
entry of Messages.mc in each of the three language blocks."""

import sys

import wineharness

sys.path.insert(0, str(wineharness.SOURCE_DIR / "resources" / "tools"))
import mcfile  # noqa: E402

ENGLISH_US, SPANISH_SPAIN = 0x0409, 0x0C0A      # the message languages the program uses
ENGLISH, SPANISH, SWEDISH = 0x0009, 0x000A, 0x001D  # primary languages, neutral sublanguage
ERROR_MR_MID_NOT_FOUND = 317


class MessageTable(wineharness.ScenarioTestCase):
    scenario_name = "message-table"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.exe = cls.scenario.install_setup()
        _, cls.messages = mcfile.parse_file(wineharness.SOURCE_DIR / "resources" / "Messages.mc")

    def format(self, *requests):
        return self.scenario.format_messages(self.exe, requests)

    def test_exact_texts(self):
        found = self.format((215, ENGLISH_US), (215, SPANISH_SPAIN), (217, SWEDISH),
                            (235, ENGLISH_US), (226, ENGLISH_US), (235, SPANISH_SPAIN),
                            (219, ENGLISH_US), (220, SPANISH_SPAIN))
        expected = {
            (215, ENGLISH_US): "Tamber 4 Setup",
            (215, SPANISH_SPAIN): "Instalaci\u00f3n de Tamber 4",
            (217, SWEDISH): "Uppdateringen \u00e4r klar. Du m\u00e5ste starta om din dator "
                            "f\u00f6r att f\u00f6r\u00e4ndringarna ska fungera. Vill du starta "
                            "om datorn nu ?",
            (235, ENGLISH_US): 'The installer file for "%NAME%" was corrupted during the '
                               "download. Please run Setup again.",
            (226, ENGLISH_US): "The selected user does not have sufficient privileges to "
                               "complete the setup. Please choose Administrator from the Run "
                               "As\u2026 dialog.",
            (235, SPANISH_SPAIN): "El archivo de instalaci\u00f3n \u201c%NAME%\u201d se "
                                  "corrompi\u00f3 durante la descarga. Por favor comience la "
                                  "instalaci\u00f3n nuevamente.",
            (219, ENGLISH_US): "Downloading %FILENAME%...",
            (220, SPANISH_SPAIN): "%BYTES-TRANSFERRED% de %BYTES-TOTAL% MB",
        }
        self.assertEqual(found, {key: (0, text) for key, text in expected.items()})

    def test_every_mc_entry_in_every_block(self):
        requests = [(m.id, language) for m in self.messages for language, _ in m.texts]
        self.assertEqual(len(requests), 26 * 3)
        found = self.format(*requests)
        for message in self.messages:
            for language, stored in message.texts:
                with self.subTest(id=message.id, language=language):
                    self.assertEqual(found[(message.id, language)],
                                     (0, mcfile.format_stored_text(stored)))

    def test_missing_entries_are_not_found(self):
        found = self.format((216, ENGLISH), (214, SPANISH), (242, SWEDISH))
        self.assertEqual({error for error, _ in found.values()}, {ERROR_MR_MID_NOT_FOUND})


if __name__ == "__main__":
    wineharness.main()
