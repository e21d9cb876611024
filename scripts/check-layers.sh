#!/usr/bin/env bash
# Checks every include line of src/ and tools/ against the layers of docs/design.md. The CMake
# link arrows stop a library from linking across a wrong arrow, but not a header-only include,
# so the include lines themselves are read here:
#   - a folder includes only its own headers and those of the folders below it (quoted includes
#     are written from src/, "folder/file.h"; a bare "file.h" is a header of the same folder);
#   - only platform/qt/ and app/ (not app/resources/) include Qt headers.
# Prints every offending line and fails when there is one. A folder the table below does not
# know yet is named with a warning: give it its place here and in docs/design.md. Since every
# known folder lists what it may include, none of them may include the new one meanwhile.
set -euo pipefail
cd "$(dirname "$0")/.."

# The folders a folder may include, itself first.
allowed_folders() {
    case "$1" in
    buffer) echo "buffer" ;;
    syntax) echo "syntax" ;;
    platform) echo "platform" ;;
    platform/headless) echo "platform/headless platform" ;;
    platform/qt) echo "platform/qt platform" ;;
    z80) echo "z80 buffer syntax" ;;
    view) echo "view buffer syntax platform" ;;
    edit) echo "edit view buffer syntax platform" ;;
    app/resources) echo "app/resources edit view z80 buffer syntax platform" ;;
    app) echo "app app/resources edit view z80 buffer syntax platform platform/qt" ;;
    # Build-time tool: draws the installed icons from the application's pixel art through Qt.
    tools/velmora-icons) echo "$1 app app/resources platform" ;;
    tools/*) echo "$1 app/resources buffer syntax" ;;
    *) echo "" ;;
    esac
}

may_include_qt() {
    [[ "$1" == "app" || "$1" == "platform/qt" || "$1" == "tools/velmora-icons" ]]
}

# <QWidget>, <QtCore/QObject>, <qglobal.h> and the like.
qt_header='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Qt[A-Za-z]*/|Q[A-Z][A-Za-z0-9]*>|q[a-z0-9_]+\.h>)'
quoted='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"'

failures=0
unknown=()
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

while IFS= read -r file; do
    case "$file" in
    src/*) folder="${file#src/}" ;;
    *) folder="$file" ;;
    esac
    folder="${folder%/*}"
    allowed="$(allowed_folders "$folder")"
    if [[ -z "$allowed" ]]; then
        if [[ " ${unknown[*]} " != *" $folder "* ]]; then
            unknown+=("$folder")
            echo "warning: $folder/ has no place in the layers yet (scripts/check-layers.sh)" >&2
        fi
        continue
    fi
    lineno=0
    while IFS= read -r line; do
        lineno=$((lineno + 1))
        if [[ "$line" =~ $qt_header ]] && ! may_include_qt "$folder"; then
            fail "$file:$lineno: $folder/ may not include Qt: $line"
        elif [[ "$line" =~ $quoted ]]; then
            target="${BASH_REMATCH[1]}"
            if [[ "$target" == */* ]]; then
                target_folder="${target%/*}"
            else
                target_folder="$folder"
            fi
            if [[ "$target" == *..* ]] || ! [[ " $allowed " == *" $target_folder "* ]]; then
                fail "$file:$lineno: $folder/ may not include $target"
            fi
        fi
    done <"$file"
done < <(git ls-files 'src/**.h' 'src/**.cpp' 'tools/**.h' 'tools/**.cpp')

if ((failures > 0)); then
    echo "layers: $failures include(s) across the layers" >&2
    exit 1
fi
echo "layers: every include stays within its layer"
