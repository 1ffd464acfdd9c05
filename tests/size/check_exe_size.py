"""Fails when the Windows build's Tamber4Setup.exe is larger than its allowed size, so that
a change that pulls a large part of a library into the executable is noticed; skipped (77)
when the Windows build has not been made. bench/size_report.py shows where the bytes go."""

import os
import sys


def main():
    exe, limit = sys.argv[1], int(sys.argv[2])
    if not os.path.exists(exe):
        print(f"{exe} is not built: skipped")
        return 77
    size = os.path.getsize(exe)
    print(f"{exe}: {size:,} bytes, allowed {limit:,}")
    if size > limit:
        print("too large: see bench/size_report.py for what each part costs")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
