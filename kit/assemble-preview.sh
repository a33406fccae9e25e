#!/usr/bin/env bash
# Writes preview pictures of an assembled kit into a build folder:
# kit-preview.png (first skin, equaliser page) and kit-preview-pages.png
# (every page of both skins).
#   kit/assemble-preview.sh KIT_FOLDER BUILD_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=${KIT_PYTHON:-/usr/bin/python3}
[ -x "$python" ] || python=python3
"$python" "$here/tools/preview.py" "$1" "$2/kit-preview.png" --skin Graphite --pages 1
"$python" "$here/tools/preview.py" "$1" "$2/kit-preview-pages.png" --skin Graphite --pages 1,2,3,4,6,7,8
"$python" "$here/tools/preview.py" "$1" "$2/kit-preview-amber.png" --skin Amber --lang Russian --pages 1,2,3,4
