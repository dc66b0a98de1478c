#!/usr/bin/env bash
# Sets everything up on a Debian 12 machine and runs every test: the pure libraries natively
# under AddressSanitizer + UndefinedBehaviorSanitizer, then the Windows programs' tests under
# Wine (code page 936, pinned time zone, virtual display). Ends with one summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
ensure_packages
ensure_locale

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

trap 'stop_wine "$PWD/build/windows/wine"; stop_wine "$PWD/build/windows/wine-monitors"' EXIT

# One CTest run over both build trees, so the last line is CTest's own summary of all tests.
cat >build/CTestTestfile.cmake <<'CTEST'
# Written by tools/test.sh: runs the native and the Windows tests in one CTest run.
subdirs("native" "windows")
CTEST
ctest --test-dir build --output-on-failure
