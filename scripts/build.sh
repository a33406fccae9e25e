#!/usr/bin/env bash
# Configures and builds both architectures: build/i686 (the release, 32-bit)
# and build/x86_64 (the test build, run under wine64).
#   scripts/build.sh [i686|x86_64]...   (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
archs=("$@")
[ ${#archs[@]} -eq 0 ] && archs=(i686 x86_64)
jobs=$(nproc)
for arch in "${archs[@]}"; do
    dir="$root/build/$arch"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
    fi
    echo "== building $arch"
    cmake --build "$dir" -j "$jobs"
done
