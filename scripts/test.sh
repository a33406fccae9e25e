#!/usr/bin/env bash
# Builds both architectures and runs every test under wine64.
# Exit status is non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" i686 x86_64
"$root/scripts/check-release.sh" "$root/build/i686"
cd "$root/build/x86_64"
ctest --output-on-failure --timeout 900 -j "$(nproc)"
"$root/scripts/wine/arch32-tests.sh" "$root/build/i686"
