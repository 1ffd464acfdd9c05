#!/usr/bin/env python3
"""The build's .mc reader and the host table generator, on inputs the product's own table
does not exercise: implicit and relative ids, multi-line texts, characters above U+FFFF,
escapes next to hex digits, and the errors they report. Needs neither Windows nor Wine."""

import sys
import unittest

import wineharness

sys.path.insert(0, str(wineharness.SOURCE_DIR / "resources" / "tools"))
import generate_message_table  # noqa: E402
import mcfile  # noqa: E402

HEADER = "LanguageNames=(English=0x0409:MSG00409)\nLanguageNames=(Spanish=0x0C0A:MSG00C0A)\n"


class McReader(unittest.TestCase):
    def test_ids_languages_and_multi_line_texts(self):
        languages, messages = mcfile.parse(
            HEADER + "; comment\nMessageId=0x10\nSymbolicName=A\nLanguage=English\none%0\n.\n"
            "Language=Spanish\nuno\ndos\n.\nMessageId=\nLanguage=English\nnext\n.\n"
            "MessageId=+3\nLanguage=English\n.starts with a dot\n.\n")
        self.assertEqual(languages, {"English": 0x0409, "Spanish": 0x0C0A})
        self.assertEqual([(m.id, m.symbolic_name, m.texts) for m in messages], [
            (16, "A", [(9, "one%0\r\n"), (10, "uno\r\ndos\r\n")]),
            (17, "", [(9, "next\r\n")]),
            (21, "", [(9, ".starts with a dot\r\n")]),
        ])

    def test_errors_name_the_line(self):
        cases = {
            "MessageId=1\nLanguage=German\nx\n.\n": ":4: undeclared language",
            "MessageId=1\nLanguage=English\nnever ended\n": ":5: message text not ended",
            "Language=English\nx\n.\n": ":3: Language before any MessageId",
            "MessageId=one\n": ":3: not a number",
            "Colour=red\n": ":3: unknown statement",
        }
        for text, error in cases.items():
            with self.subTest(text=text):
                with self.assertRaisesRegex(mcfile.McError, error):
                    mcfile.parse(HEADER + text, "t.mc")

    def test_formatting_of_stored_texts(self):
        self.assertEqual(mcfile.format_stored_text("100%% done%0\r\n"), "100% done")
        self.assertEqual(mcfile.format_stored_text("no end\r\n"), "no end\r\n")
        with self.assertRaises(mcfile.McError):
            mcfile.format_stored_text("insert %1%0")


class HostTableGenerator(unittest.TestCase):
    def test_wide_literals_keep_every_code_unit(self):
        literal = generate_message_table.wide_literal
        # A hex escape would swallow a following hex digit, so it ends its literal piece.
        self.assertEqual(literal("\u00bfDesea"), 'L"\\x00BF" L"Desea"')
        self.assertEqual(literal("a\U0001F600b"), 'L"a\\xD83D" L"\\xDE00" L"b"')
        self.assertEqual(literal('say "\\"%0\r\n'), 'L"say \\"\\\\\\"%0\\r\\n"')
        self.assertEqual(literal("\u2026"), 'L"\\x2026"')

    def test_rendered_source_lists_entries_in_file_order(self):
        _, messages = mcfile.parse(HEADER + "MessageId=5\nLanguage=Spanish\nb\n.\n"
                                            "Language=English\na\n.\n")
        source = generate_message_table.render(messages, "t.mc")
        self.assertIn('    {5, 10, L"b\\r\\n"},\n    {5, 9, L"a\\r\\n"},\n', source)


if __name__ == "__main__":
    wineharness.main(needs_wine=False)
