#!/usr/bin/env bash
# The 32-bit half of Wine, for running the i686 (release) build under WOW64 in
# a 64-bit prefix. Debian's libwine and wine32 for i386, at exactly the version
# of the installed wine64, and the 32-bit libraries they load are downloaded
# with apt-get (kept in FOLDER/debs, so a second run downloads nothing) and
# unpacked into FOLDER/root. Nothing is installed on the system apart from
# the amd64 package libc6-i386 (the 32-bit C library and /lib/ld-linux.so.2)
# when it is missing.
#
#   wine32.sh probe           exit 0 when this machine executes 32-bit x86
#                             code; otherwise print why and exit 1
#   wine32.sh setup FOLDER    make FOLDER/root (again when wine64 changed)
#
# VELLO_WINE32_EMULATOR=qemu: setup also unpacks Debian's qemu-user-static
# and starts every 32-bit Wine process under qemu-i386, for machines whose
# kernel does not execute 32-bit code (slow, for checking by hand).
#
# FOLDER/root/usr/lib/wine holds a copy of the system's wine64 with the
# 32-bit loader "wine" beside it: wine64 looks for the loader of 32-bit
# programs in its own folder.
set -euo pipefail
cmd=${1:?probe or setup}

# A 96-byte static 32-bit ELF program that exits with 42 through int 0x80.
write_probe_elf() {
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
    printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
    printf '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00'
    printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
}

probe() {
    if [ "$(uname -m)" != x86_64 ]; then
        echo "this is not an x86_64 machine ($(uname -m))"
        return 1
    fi
    local dir status
    dir=$(mktemp -d)
    write_probe_elf >"$dir/probe32"
    chmod +x "$dir/probe32"
    status=0
    "$dir/probe32" >/dev/null 2>&1 || status=$?
    rm -rf "$dir"
    [ $status -eq 42 ] && return 0
    if [ $status -eq 126 ]; then
        echo "the kernel does not execute 32-bit x86 programs (Exec format error)"
    else
        echo "a 32-bit x86 test program ended with status $status instead of 42"
    fi
    return 1
}

# The 32-bit libraries the Wine modules in use need: X11 with the shape and
# render extensions, freetype and fontconfig for text, ALSA for the sound
# devices, and what those link against.
LIBRARIES=(
    libx11-6 libxcb1 libxau6 libxdmcp6 libbsd0 libmd0 libxext6 libxrender1
    libfreetype6 libpng16-16 zlib1g libbrotli1 libfontconfig1 libexpat1 libuuid1
    libasound2
)

installed_version() {
    dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true
}

# apt-get with package lists of its own in FOLDER/apt that also cover i386:
# the system's architectures and lists stay as they are.
private_apt() {
    local tool=$1
    shift
    "$tool" -q -o Dir::State::Lists="$folder/apt/lists" -o Dir::Cache="$folder/apt/cache" \
        -o APT::Architectures::=i386 -o Acquire::Languages=none -o Debug::NoLocking=1 \
        -o APT::Sandbox::User=root "$@"
}

# Downloads the packages not in FOLDER/debs yet (a package counts as there
# when a file of its name and architecture is).
download() {
    local arch=$1
    shift
    local wanted=()
    for wanted_pkg in "$@"; do
        local name=${wanted_pkg%%=*}
        compgen -G "$folder/debs/${name}_*_${arch}.deb" >/dev/null || wanted+=("$name:$arch${wanted_pkg#"$name"}")
    done
    [ ${#wanted[@]} -eq 0 ] && return 0
    mkdir -p "$folder/apt/lists/partial" "$folder/apt/cache/archives/partial"
    if ! compgen -G "$folder/apt/lists/*_Packages*" >/dev/null; then
        private_apt apt-get update >/dev/null
    fi
    # Lists kept from an earlier run may name versions the archive no longer has.
    (cd "$folder/debs" && private_apt apt-get download "${wanted[@]}" >/dev/null 2>&1) && return 0
    private_apt apt-get update >/dev/null
    (cd "$folder/debs" && private_apt apt-get download "${wanted[@]}" >/dev/null)
}

# libwine's install step turns libz-mingw-w64's zlib1.dll into a Wine builtin
# DLL; without it user32.dll does not load.
make_builtin_zlib() {
    local in=/usr/i686-w64-mingw32/lib/zlib1.dll
    local out=$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
    if [ ! -f "$in" ]; then
        echo "wine32: $in is missing (package libz-mingw-w64)" >&2
        return 1
    fi
    {
        head -c 64 "$in"
        printf 'Wine builtin DLL'
        printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
        tail -c +97 "$in"
    } >"$out"
}

ensure_host_packages() {
    [ -e /lib/ld-linux.so.2 ] && return 0
    echo "== installing libc6-i386 (the 32-bit C library)"
    local sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends libc6-i386 >/dev/null
}

# qemu-i386 from Debian's qemu-user-static, unpacked beside the packages. A
# guest address space of 2 GB and 16 MB puts the stack just above the 2 GB a
# 32-bit Windows program has: Wine then reserves little above it, which
# qemu does slowly.
emulator_wrapper() {
    download amd64 qemu-user-static
    mkdir -p "$folder/qemu"
    dpkg-deb --fsys-tarfile "$(compgen -G "$folder/debs/qemu-user-static_*_amd64.deb" | head -n 1)" |
        tar -x -C "$folder/qemu" ./usr/bin/qemu-i386-static
    mv "$bin/wine" "$bin/wine.i386"
    cat >"$bin/wine" <<EOF
#!/bin/sh
exec "$folder/qemu/usr/bin/qemu-i386-static" -R 0x81000000 -0 "\$0" "$bin/wine.i386" "\$@"
EOF
    chmod +x "$bin/wine"
}

setup() {
    folder=${1:?folder}
    mkdir -p "$folder/debs"
    folder=$(cd "$folder" && pwd)
    root=$folder/root
    bin=$root/usr/lib/wine
    local version
    version=$(installed_version wine64)
    if [ -z "$version" ]; then
        echo "wine32: wine64 is not installed" >&2
        return 1
    fi
    local stamp="wine64 $version; ${LIBRARIES[*]}; emulator ${VELLO_WINE32_EMULATOR:-none}"
    if [ -f "$folder/ready" ] && [ "$(cat "$folder/ready")" = "$stamp" ]; then
        echo "$bin/wine64"
        return 0
    fi
    ensure_host_packages
    rm -f "$folder/ready"
    # A different wine64 needs the matching 32-bit packages.
    for deb in "$folder"/debs/libwine_*_i386.deb "$folder"/debs/wine32_*_i386.deb; do
        [ -f "$deb" ] || continue
        [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || rm -f "$deb"
    done
    download i386 "libwine=$version" "wine32=$version" "${LIBRARIES[@]}"
    rm -rf "$root" "$folder/qemu"
    for name in libwine wine32 "${LIBRARIES[@]}"; do
        dpkg-deb -x "$(compgen -G "$folder/debs/${name}_*_i386.deb" | head -n 1)" "$root"
    done
    make_builtin_zlib
    # Both loaders in one folder, with the system's 64-bit Wine libraries and
    # server: a 32-bit wineserver must never serve the 64-bit prefix.
    rm -f "$bin/wineserver" "$bin/wineserver32"
    cp /usr/lib/wine/wine64 "$bin/wine64"
    ln -s /usr/lib/wine/wineserver64 "$bin/wineserver"
    mkdir -p "$root/usr/lib/x86_64-linux-gnu"
    ln -s /usr/lib/x86_64-linux-gnu/wine "$root/usr/lib/x86_64-linux-gnu/wine"
    [ "${VELLO_WINE32_EMULATOR:-}" = qemu ] && emulator_wrapper
    echo "$stamp" >"$folder/ready"
    echo "$bin/wine64"
}

case "$cmd" in
    probe) probe ;;
    setup) setup "${2:-}" ;;
    *) echo "usage: wine32.sh probe | setup FOLDER" >&2; exit 2 ;;
esac
