#!/usr/bin/env bash
# Checks an assembled kit for consistency (see kit/tools/check_kit.py).
#   kit/check.sh KIT_FOLDER [--variants FOLDER]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=${KIT_PYTHON:-/usr/bin/python3}
[ -x "$python" ] || python=python3
exec "$python" "$here/tools/check_kit.py" "$@"
