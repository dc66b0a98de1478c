#!/usr/bin/env bash
# Sets everything up on a Debian 12 machine, builds the Windows programs and starts Moravel on
# a seeded demo.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
ensure_packages
ensure_locale

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

cat <<'MSG'

Built. Moravel's main window does not exist yet: this stage holds the settings store, the
movie catalogue and the scan driver, which tools/test.sh exercises under Wine. Once the main
window is built, this command seeds a demo Wine prefix with sample movies and starts Moravel.
MSG
