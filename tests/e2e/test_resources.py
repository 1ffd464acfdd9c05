#!/usr/bin/env python3
"""The resources compiled into Tamber4Setup.exe, read back from the file: the progress
dialog, the web script address, the icon, the version block, the manifest and the message
table's language blocks and stored texts. Needs the Windows build, not Wine."""

import pathlib
import re
import sys
import unittest
import xml.etree.ElementTree as ElementTree

import resfile
import wineharness

sys.path.insert(0, str(wineharness.SOURCE_DIR / "resources" / "tools"))
import mcfile  # noqa: E402

NEUTRAL = 0
WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_SYSMENU, WS_BORDER = 0x00C00000, 0x00080000, 0x00800000
WS_GROUP, WS_TABSTOP = 0x00020000, 0x00010000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
BS_DEFPUSHBUTTON, SS_ENDELLIPSIS = 0x1, 0x4000
BUTTON, STATIC = 0x80, 0x82


class ExecutableResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.resources = resfile.read_resources(wineharness.windows_build_file("Tamber4Setup.exe"))

    def only_neutral(self, kind, name):
        found = resfile.find(self.resources, kind, name)
        self.assertEqual(list(found), [NEUTRAL], f"resource {kind}/{name} languages")
        return found[NEUTRAL]

    def test_progress_dialog(self):
        dialog = resfile.parse_dialog_ex(self.only_neutral(resfile.RT_DIALOG, 128))
        self.assertEqual(dialog.style,
                         DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU)
        self.assertEqual(dialog.rect, (0, 0, 260, 70))
        self.assertEqual(dialog.title, "Tamber 4 Setup")
        self.assertEqual((dialog.font[0], dialog.font[4]), (8, "MS Shell Dlg"))
        self.assertEqual((dialog.menu, dialog.window_class), ("", ""))
        child = WS_CHILD | WS_VISIBLE
        expected = [
            (1, BUTTON, "OK", WS_CHILD | WS_TABSTOP, (203, 49, 50, 14)),
            (2, BUTTON, "Cancel", child | WS_TABSTOP | BS_DEFPUSHBUTTON, (203, 49, 50, 14)),
            (1000, STATIC, "Downloading... ", child | WS_GROUP, (7, 7, 246, 14)),
            (1001, "msctls_progress32", "", child | WS_BORDER, (7, 26, 246, 14)),
            (1002, STATIC, "Progress...", child | WS_GROUP | SS_ENDELLIPSIS, (7, 43, 194, 10)),
            (1003, STATIC, "Progress...", child | WS_GROUP | SS_ENDELLIPSIS, (7, 53, 194, 10)),
        ]
        actual = [(item.id,
                   item.window_class.lower() if isinstance(item.window_class, str)
                   else item.window_class,
                   item.title, item.style, item.rect) for item in dialog.items]
        self.assertEqual(actual, expected)
        self.assertTrue(all(item.ex_style == 0 for item in dialog.items))

    def test_web_script_address(self):
        found = resfile.string_from_tables(self.resources, 131)
        self.assertEqual(list(found), [NEUTRAL])
        address = found[NEUTRAL]
        self.assertRegex(address, r"^https://[^\s/]+/\S+$")
        self.assertLess(len(address), 1024)

    def test_product_icon(self):
        entries = resfile.icon_group_entries(self.only_neutral(resfile.RT_GROUP_ICON, 129))
        sizes = {(width, bits) for width, height, bits, _ in entries if width == height}
        self.assertTrue({(16, 32), (32, 32), (48, 32)} <= sizes, entries)
        for _, _, _, icon_id in entries:
            self.assertIn(NEUTRAL, resfile.find(self.resources, resfile.RT_ICON, icon_id))

    def test_version_block(self):
        block = self.only_neutral(resfile.RT_VERSION, 1)
        file_version, product_version, file_type = resfile.fixed_file_version(block)
        expected = declared_version()
        self.assertEqual(file_version, expected)
        self.assertEqual(product_version, expected)
        self.assertEqual(file_type, 1)  # VFT_APP
        strings = resfile.version_strings(block)
        self.assertEqual(strings["FileVersion"], ".".join(map(str, expected)))
        self.assertEqual(strings["OriginalFilename"], "Tamber4Setup.exe")
        self.assertEqual(strings["ProductName"], "Tamber 4")

    def test_manifest_runs_as_invoker_on_declared_systems(self):
        manifest = ElementTree.fromstring(self.only_neutral(resfile.RT_MANIFEST, 1))
        levels = [e.attrib for e in manifest.iter() if e.tag.endswith("requestedExecutionLevel")]
        self.assertEqual(levels, [{"level": "asInvoker", "uiAccess": "false"}])
        systems = {e.attrib["Id"].lower() for e in manifest.iter() if e.tag.endswith("supportedOS")}
        self.assertEqual(systems, {
            "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
            "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
            "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
            "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
        })
        identity = next(e for e in manifest.iter() if e.tag.endswith("assemblyIdentity"))
        self.assertEqual(identity.attrib["version"], ".".join(map(str, declared_version())))

    def test_message_table_blocks_are_neutral_and_hold_the_mc_texts(self):
        blocks = resfile.find(self.resources, resfile.RT_MESSAGETABLE, 1)
        self.assertEqual(sorted(blocks), [0x0009, 0x000A, 0x001D])
        _, messages = mcfile.parse_file(wineharness.SOURCE_DIR / "resources" / "Messages.mc")
        for language, data in blocks.items():
            stored = resfile.message_table_entries(data)
            expected = {m.id: text for m in messages for lang, text in m.texts if lang == language}
            self.assertEqual(sorted(stored), sorted(expected))
            for message_id, (flags, text) in stored.items():
                self.assertEqual(flags, 1, f"message {message_id} is not stored as Unicode")
                # windmc ends each line with LF where the .mc reader writes CR LF.
                self.assertEqual(text.replace("\r\n", "\n"),
                                 expected[message_id].replace("\r\n", "\n"),
                                 f"message {message_id} in language {language:#x}")


def declared_version():
    """The version that resources/Version.h declares, as four numbers."""
    text = (wineharness.SOURCE_DIR / "resources" / "Version.h").read_text()
    parts = [re.search(rf"TAMBER4_VERSION_{name}\s+(\d+)", text).group(1)
             for name in ("MAJOR", "MINOR", "BUILD", "REVISION")]
    return tuple(int(p) for p in parts)


if __name__ == "__main__":
    wineharness.main(needs_wine=False)
