#!/usr/bin/env bash
# The main job: installs what is needed, builds both targets, and runs the sample install
# script with tamber4sim and, when Wine is present, with the real exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
script=${1:-examples/sample.crvdat}
scripts/install-deps.sh
TAMBER4_SKIP_X86=1 scripts/build.sh

show_utf16() { iconv -f UTF-16 -t UTF-8 "$1" | sed 's/\r$//; s/^/    /'; }

echo "== tamber4sim $script"
machine=build/example-machine
rm -rf "$machine" "$machine.state"
set +e
build/host/tamber4sim check "$script"
build/host/tamber4sim run "$script" --machine "$machine"
status=$?
set -e
echo "tamber4sim exit code: $status"
copy=$(find "$machine.state" -path '*Tamber4/Install/*' -type f | head -n 1)
if [ -n "$copy" ]; then echo "working copy ($copy):"; show_utf16 "$copy"; fi

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
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
user_dir=$(find "$prefix/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
for d in Desktop Documents Downloads Music Pictures Videos; do
  rm -f "$user_dir/$d"; mkdir -p "$user_dir/$d"
done
mkdir -p "$prefix/drive_c/Tamber4Example"
cp build/mingw-x64/Tamber4Setup.exe "$prefix/drive_c/Tamber4Example/"
cp "$script" "$prefix/drive_c/Tamber4Example/"
set +e
wine 'C:\Tamber4Example\Tamber4Setup.exe' "C:\\Tamber4Example\\$(basename "$script")"
status=$?
set -e
wineserver -w
echo "Tamber4Setup.exe exit code: $status"
copy=$(find "$user_dir" -path '*Tamber4/Install/*' -type f | head -n 1)
if [ -n "$copy" ]; then echo "working copy ($copy):"; show_utf16 "$copy"; fi
log=$(find "$user_dir" -path '*Tamber Log Files/*.log' -type f | head -n 1)
if [ -n "$log" ]; then echo "log ($log):"; sed 's/^/    /' "$log"; fi
