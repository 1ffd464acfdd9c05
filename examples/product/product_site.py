"""The product example's web site: product.crvdat and the sample product's package, built with
wixl. Run as a program, it builds the site into a folder and serves it on loopback, printing
the script's address on its first line, until stdin closes or it is killed:

    python3 examples/product/product_site.py build/example-site
"""

import pathlib
import shutil
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / "tests" / "e2e"))
import loopserver  # noqa: E402  (the loopback server of the end-to-end tests)
import wixlpackage  # noqa: E402

UPGRADE = "{5A3D6E1C-2B4F-4C8A-9E71-0D2C3B4A5F60}"
PRODUCT = "{5A3D6E1C-2B4F-4C8A-9E71-0D2C3B4A5F61}"
VERSION = "4.2.0.15"


def build_package(target):
    """The sample product's package, built with wixl."""
    wixlpackage.build_package(target, product=PRODUCT, upgrade=UPGRADE, version=VERSION,
                              name="Tamber 4 Sample", folder="Tamber4Sample",
                              component="{C0C0C0C0-0000-4000-8000-0000000000B1}")


def build_site(site):
    site = pathlib.Path(site)
    site.mkdir(parents=True, exist_ok=True)
    shutil.copy2(HERE / "product.crvdat", site / "product.crvdat")
    build_package(site / "product.msi")


if __name__ == "__main__":
    build_site(sys.argv[1])
    with loopserver.LoopServer(sys.argv[1]) as server:
        print(server.url("product.crvdat"), flush=True)
        sys.stdin.read()
