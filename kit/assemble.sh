#!/usr/bin/env bash
# Assembles the sample maker kit into a folder (the layout of VelloSetup's own
# folder): settings, languages, skins per resolution class, pictures,
# profiles, sound, icons, manual and plug-in folders.
#   kit/assemble.sh FOLDER [--variants FOLDER] [--design FOLDER]
# Needs Debian's python3 with python3-pil, fonts-dejavu-core and openssl
# (scripts/install-deps.sh installs them). Same input, same bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=${KIT_PYTHON:-/usr/bin/python3}
[ -x "$python" ] || python=python3
exec "$python" "$here/tools/make_kit.py" "$@"
