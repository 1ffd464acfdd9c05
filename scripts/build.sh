#!/usr/bin/env bash
# Configures and builds the host tree and the Windows trees (x86_64, and i686 unless
# TAMBER4_SKIP_X86=1).
set -euo pipefail
cd "$(dirname "$0")/.."
# Checkouts side by side share the compiler cache: paths below their common parent are
# hashed as relative ones.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}"
presets=(host mingw-x64)
[ "${TAMBER4_SKIP_X86:-0}" = 1 ] || presets+=(mingw-x86)
for p in "${presets[@]}"; do
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p"
done
