"""A one-file Windows Installer package built with wixl, for the tests that install one."""

import pathlib
import shutil
import subprocess
import tempfile

WXS = """<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
 <Product Id="{product}" Name="{name}" Language="1033" Version="{version}"
          Manufacturer="Tamber" UpgradeCode="{upgrade}">
  <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
  <Media Id="1" Cabinet="p.cab" EmbedCab="yes"/>
  <Directory Id="TARGETDIR" Name="SourceDir"><Directory Id="ProgramFilesFolder">
   <Directory Id="INSTALLDIR" Name="{folder}">
    <Component Id="Main" Guid="{component}">
     <File Id="Readme" Name="readme.txt" Source="readme.txt"/>
    </Component>
   </Directory></Directory></Directory>
  <Feature Id="Complete" Level="1"><ComponentRef Id="Main"/></Feature>
 </Product>
</Wix>
"""

SKIP_RETURN_CODE = 77  # CTest's SKIP_RETURN_CODE for the end-to-end tests


def skip_unless_wixl():
    """Ends the process with CTest's skip code, saying why, when wixl is absent."""
    if shutil.which("wixl") is None:
        print("SKIP: wixl (Debian package wixl, named in scripts/install-deps.sh) is not "
              "installed; no test package can be built.")
        raise SystemExit(SKIP_RETURN_CODE)


def build_package(target, *, product, upgrade, version, name, folder, component):
    """Builds the package into `target` (a Unix path): one readme.txt in Program Files\\folder."""
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        (work / "readme.txt").write_text(f"{name} package\n")
        (work / "p.wxs").write_text(WXS.format(product=product, upgrade=upgrade, version=version,
                                               name=name, folder=folder, component=component))
        # wixl finds the payload relative to its current folder only.
        subprocess.run(["wixl", "-o", "p.msi", "p.wxs"], cwd=work, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        pathlib.Path(target).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(work / "p.msi", target)
