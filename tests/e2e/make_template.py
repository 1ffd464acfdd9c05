#!/usr/bin/env python3
"""Makes the Wine template prefix that every end-to-end scenario copies (the CTest fixture
that runs once before them). Skips, saying why, where Wine is not installed."""

import wineharness


def main():
    wineharness.skip_unless_wine()
    seconds = wineharness.make_template()
    print(f"template prefix made in {seconds:.1f} s: {wineharness.TEMPLATE_DIR}")


if __name__ == "__main__":
    main()
