#!/usr/bin/env bash
# Prints authenticated device-ID entries the way the maker writes them into
# AudioConfig.cfg: "<device ID>,<Base64 of the DES-CBC cipher text of the ID>"
# (key 50 65 6C 76 61 72 6E 6F, zero IV, PKCS#5 padding).
#   make-device-entry.sh 'USB\VID_2F7B&PID_731F' ...
set -euo pipefail
key=50656c7661726e6f
iv=0000000000000000
for id in "$@"; do
    cipher=$(printf '%s' "$id" | openssl enc -des-cbc -K "$key" -iv "$iv" \
        -provider legacy -provider default -a -A)
    printf '%s,%s\n' "$id" "$cipher"
done
