#!/usr/bin/env bash
# The test command: installs what is needed, builds both targets, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --preset host --output-on-failure -j2 "$@"
# The unit suite again under AddressSanitizer and UndefinedBehaviorSanitizer (leaks included).
cmake --preset host-asan >/dev/null
cmake --build --preset host-asan
ctest --preset host-asan -j2 "$@"
# A short run of each fuzz target (clang, libFuzzer with the same sanitizers).
cmake --preset host-fuzz >/dev/null
cmake --build --preset host-fuzz
ctest --preset host-fuzz -j2 "$@"
