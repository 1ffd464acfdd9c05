#!/usr/bin/env python3
"""Windows Installer with the real Tamber4Setup.exe under Wine and real packages built by
wixl: "if-not-installed" enters and "install" installs (the copy in Installers\\, msi-result
0, the installer log of "enable-msi-log"), a second run skips the block, "if-installed"
against a lower and a higher version, "uninstall" removes the product (with the transform a
line asks for), an install inside an elevated section runs in the elevated instance, a
Spanish run passes the embedded transform, and a package that is not an installer database
fails with the installer's code and, with "abort-on-failure", ends the run with 2."""


import spinescenario
import wineharness
import wixlpackage

UPGRADE = "{A1A1A1A1-0000-4000-8000-00000000000A}"
PRODUCT = "{A1000001-0000-4000-8000-0000000000A1}"
VERSION = "4.2.0.15"
MARKS = "Software\\Tamber4Test\\Marks"

def build_package(target):
    """Builds the test package with wixl into `target` (a Unix path)."""
    wixlpackage.build_package(target, product=PRODUCT, upgrade=UPGRADE, version=VERSION,
                              name="Tamber Test", folder="TamberTest",
                              component="{C0C0C0C0-0000-4000-8000-0000000000A1}")


def mark(name):
    """A line that leaves a trace in the working copy: it runs only inside an entered block."""
    return f"write-registry-dword|registry-path={MARKS}|registry-value-name={name}|registry-value-data=1"


class Installer(spinescenario.SpineTestCase):
    scenario_name = "installer"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        build_package(cls.scenario.unix_path(spinescenario.EXE_FOLDER + "\\tamber-test.msi"))

    def run_script(self, name, lines, *switches):
        self.scenario.put_utf16_file(self.beside_exe(name), "".join(l + "\r\n" for l in lines))
        code = self.scenario.run_setup(*switches, spinescenario.EXE_FOLDER + "\\" + name).returncode
        return code, [spinescenario.parse_line(line) for line in self.working_copy_lines(name)]

    def messages(self):
        return [message for _, _, message in self.log_messages()]

    def installers_copy(self, name):
        return self.scenario.working_copy_dir / "Installers" / name

    def installed_file(self):
        """The package's one file where Windows Installer puts it (wixl builds 32-bit
        packages, so "Program Files (x86)")."""
        return self.scenario.drive_c / "Program Files (x86)" / "TamberTest" / "readme.txt"

    def test_install_detect_and_uninstall(self):
        detect = f"upgrade-code={UPGRADE}"
        install = [
            "enable-msi-log|log-mode=4095|file-path=tamber-msi.log",
            f"if-not-installed|{detect}|version={VERSION}",
            "install|package=tamber-test.msi|name=Tamber Test|ui-level=full",
            "end-if",
            f"if-installed|{detect}|version=4.2.0.9",
            mark("Lower"),
            "end-if",
            f"if-installed|{detect}|version=4.3",
            mark("Higher"),
            "end-if"]
        package = "C:\\users\\" + self.scenario.user + \
            "\\AppData\\Local\\Tamber4\\Install\\Installers\\tamber-test.msi"

        # First run, quiet: the block is entered and the package installed from its copy.
        code, lines = self.run_script("install.crvdat", install, "/quiet")
        self.assertEqual(code, 0)
        self.assertEqual([line.get("result") for line in lines], ["success"] * 10)
        self.assertEqual(lines[2].get("msi-result"), "0")
        messages = self.messages()
        self.assertIn("Overriding Windows Installer UI level, setting to basic (-quiet command line "
                      "switch specified).", messages)
        self.assertIn("Copying source installer file from 'C:\\Tamber4Test\\tamber-test.msi' to "
                      f"'{package}'.", messages)
        # Wine's signature check says "not signed" for wixl's unsigned packages.
        self.assertIn(f"Installer file is not digitally signed, could not verify file hash: '{package}'.",
                      messages)
        self.assertIn(f"Installing package '{package}' with command line '', UI level '3'.", messages)
        self.assertIn("MsiInstallProductW returned 0: success", messages)
        self.assertIn(f"Found installed msi with Product Code '{PRODUCT}'.", messages)
        self.assertEqual(messages.count("Product is installed."), 1)   # the lower version
        self.assertEqual(messages.count("Product is not installed."), 2)  # before, and 4.3
        self.assertEqual(self.installers_copy("tamber-test.msi").read_bytes(),
                         self.beside_exe("tamber-test.msi").read_bytes())
        self.assertTrue(self.installed_file().is_file())
        self.assertGreater((self.scenario.log_dir / "tamber-msi.log").stat().st_size, 0)
        marks = self.scenario.registry_values("HKEY_CURRENT_USER\\" + MARKS)
        self.assertEqual(sorted(marks), ["Lower"])

        # Second run: the product is there, so the install block is skipped.
        code, lines = self.run_script("install.crvdat", install)
        self.assertEqual(code, 0)
        self.assertNotIn("msi-result", lines[2])
        messages = self.messages()
        self.assertFalse([m for m in messages if m.startswith("Installing package")], messages)
        self.assertEqual(messages.count("Skipping if block."), 2)

        # The package already in Installers\ is not copied onto itself.
        code, lines = self.run_script("again.crvdat", [
            "install|package=%LocalAppDataFolder%\\Tamber4\\Install\\Installers\\tamber-test.msi"])
        self.assertEqual((code, lines[0].get("result"), lines[0].get("msi-result")), (0, "success", "0"))
        self.assertFalse([m for m in self.messages() if m.startswith("Copying source")])

        # Uninstall, with the transform the line asks for (Wine ignores a missing one).
        code, lines = self.run_script("uninstall.crvdat", [
            f"uninstall|product={PRODUCT}|transform-langid=3082",
            f"if-not-installed|{detect}|version=1.0",
            mark("Gone"),
            "end-if"])
        self.assertEqual(code, 0)
        self.assertEqual([line.get("result") for line in lines], ["success"] * 4)
        self.assertEqual(lines[0].get("msi-result"), "0")
        messages = self.messages()
        self.assertIn("Using transform file 'es-es.mst' specified by the 'transform-langid' parameter's "
                      "0x0c0a value.", messages)
        self.assertIn(f"Uninstalling product '{PRODUCT}' with command line ' TRANSFORMS=:es-es.mst'.",
                      messages)
        self.assertIn("MsiEnumRelatedProductsW reports not installed (returned ERROR_NO_MORE_ITEMS).",
                      messages)
        self.assertFalse(self.installed_file().exists())

    def test_a_package_that_is_no_installer_database_fails_and_aborts(self):
        self.scenario.put_file(self.beside_exe("broken.msi"), b"not an installer database")
        code, lines = self.run_script("broken.crvdat", [
            "install|package=broken.msi|abort-on-failure=yes",
            "abort",
            mark("After")])
        self.assertEqual(code, 2)
        self.assertEqual([line.get("result") for line in lines], ["failure", "success", None])
        # Wine's own codes (measured): Windows gives 1620 for such a file, Wine 1627; its
        # signature check answers 0x800B0003 (TRUST_E_SUBJECT_FORM_UNKNOWN).
        msi_result = lines[0].get("msi-result")
        self.assertIn(msi_result, ("1620", "1627"))
        messages = self.messages()
        self.assertIn(f"MsiInstallProductW returned {msi_result}: failure", messages)
        self.assertIn("The Windows Installer return code must be ERROR_SUCCESS (0) to succeed. "
                      "Flagging for abort.", messages)
        self.assertIn("Aborting", messages)

    def test_install_inside_an_elevated_section_runs_in_the_elevated_instance(self):
        code, lines = self.run_script("section.crvdat", [
            "requires-elevation|title=Setup|message=Rights needed.",
            "enable-msi-log|log-mode=4095|file-path=section-msi.log",
            "install|package=tamber-test.msi",
            "end-elevation",
            f"uninstall|product={PRODUCT}"])
        self.assertEqual(code, 0)
        # The parent marks the section's lines done; the installer's code is in the elevated
        # instance's own working copy.
        self.assertEqual([line.get("result") for line in lines], ["success"] * 5)
        self.assertNotIn("msi-result", lines[2])
        self.assertEqual(lines[4].get("msi-result"), "0")
        spawned = [spinescenario.parse_line(line)
                   for line in self.working_copy_lines("sectionSpawned1.crvdat")]
        self.assertEqual((spawned[2].get("result"), spawned[2].get("msi-result")), ("success", "0"))
        messages = self.messages()
        # enable-msi-log left without a result runs again in the elevated instance.
        self.assertEqual(messages.count("MsiEnableLogW succeeded."), 2)
        self.assertEqual(messages.count("MsiInstallProductW returned 0: success"), 1)
        self.assertLess(messages.index("Running elevated."),
                        messages.index("MsiInstallProductW returned 0: success"))
        self.assertFalse(self.installed_file().exists())

    def test_spanish_run_passes_the_embedded_transform(self):
        self.scenario.reg_add("HKCU\\Software\\Tamber4", "UserInterfaceLanguage", "es")
        try:
            code, lines = self.run_script("spanish.crvdat", [
                "install|package=tamber-test.msi",
                f"uninstall|product={PRODUCT}"])
        finally:
            self.scenario.run_wine_tool("reg", "delete", "HKCU\\Software\\Tamber4", "/v",
                                        "UserInterfaceLanguage", "/f")
        # Wine installs even though the package embeds no es-es.mst (Windows: 1624).
        self.assertEqual(code, 0)
        self.assertEqual([(l.get("result"), l.get("msi-result")) for l in lines],
                         [("success", "0"), ("success", "0")])
        messages = self.messages()
        self.assertTrue([m for m in messages if m.startswith("Installing package '")
                         and m.endswith("' with command line ' TRANSFORMS=:es-es.mst', UI level '3'.")],
                        messages)
        self.assertIn(f"Uninstalling product '{PRODUCT}' with command line ' TRANSFORMS=:es-es.mst'.",
                      messages)

if __name__ == "__main__":
    wixlpackage.skip_unless_wixl()
    wineharness.main()
