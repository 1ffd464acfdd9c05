#!/usr/bin/env bash
# The main job: installs what is needed, builds both targets, and runs an install script with
# tamber4sim and, when Wine is present, with the real exe under Wine, printing the outcome.
# With no argument it runs the product example: a web script served from loopback that
# downloads a package built with wixl and installs it in an elevated section. With a script
# file as argument it runs that script.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
TAMBER4_SKIP_X86=1 scripts/build.sh >/dev/null

if [ $# -gt 0 ]; then
  script=$1
else
  # The site is served until this script ends.
  rm -rf build/example-site
  coproc site { exec python3 examples/product/product_site.py build/example-site; }
  read -r script <&"${site[0]}"
  echo "Serving examples/product on loopback: $script"
fi

show_utf16() { iconv -f UTF-16 -t UTF-8 "$1" | sed 's/\r$//; s/^/    /'; }

echo "== tamber4sim $script"
machine=build/example-machine
rm -rf "$machine" "$machine.state"
set +e
[ -f "$script" ] && build/host/tamber4sim check "$script"
build/host/tamber4sim run "$script" --machine "$machine"
status=$?
set -e
echo "tamber4sim exit code: $status"
copy=$(find "$machine.state" -path '*Tamber4/Install/*.crvdat' ! -name '*Spawned*' -type f | head -n 1)
if [ -n "$copy" ]; then echo "working copy ($copy):"; show_utf16 "$copy"; fi
grep -h '^installed-product' "$machine.state/machine.txt" | sed 's/^/    /' || true

if ! command -v wine >/dev/null; then
  echo "Wine is not installed: the real exe was not run."
  exit 0
fi
echo
echo "== Tamber4Setup.exe $script under Wine"
prefix=$root/build/example-prefix
rm -rf "$prefix"
mkdir -p "$prefix/home"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME=$prefix/home
unset DISPLAY
# Each step in a Wine session of its own, as the end-to-end harness does: the services
# wineboot installs (BITS among them) are registered only once its session has ended.
wineboot -i >/dev/null 2>&1
wineserver -w
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
user_dir=$(find "$prefix/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
for d in Desktop Documents Downloads Music Pictures Videos; do
  rm -f "$user_dir/$d"; mkdir -p "$user_dir/$d"
done
mkdir -p "$prefix/drive_c/Tamber4Example"
cp build/mingw-x64/Tamber4Setup.exe "$prefix/drive_c/Tamber4Example/"
argument=$script
if [ -f "$script" ]; then
  cp "$script" "$prefix/drive_c/Tamber4Example/"
  argument="C:\\Tamber4Example\\$(basename "$script")"
fi
set +e
wine 'C:\Tamber4Example\Tamber4Setup.exe' "$argument"
status=$?
set -e
wineserver -w
echo "Tamber4Setup.exe exit code: $status"
copy=$(find "$user_dir" -path '*Tamber4/Install/*.crvdat' ! -name '*Spawned*' -type f | head -n 1)
if [ -n "$copy" ]; then echo "working copy ($copy):"; show_utf16 "$copy"; fi
find "$prefix/drive_c" -path '*Tamber4Sample/readme.txt' -printf '    installed: %P\n'
log=$(find "$user_dir" -path '*Tamber Log Files/*.log' -type f | head -n 1)
if [ -n "$log" ]; then echo "log ($log):"; sed 's/^/    /' "$log"; fi
