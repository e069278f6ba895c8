#!/usr/bin/env bash
# Checks that every source file includes only headers of its own layer or of a
# layer below it, and that the QtCore-only libraries include nothing of QtGui or
# QtWidgets. Prints each offending line and fails when there is one.
#
# The layers, from the bottom up (a folder may include the folders of a lower rank
# and its own):
#   0 foundation
#   1 engine
#   2 tools/<tool>, science/<area>   computing libraries (QtCore only); they may use
#                                     each other's computing code, never a window
#   3 drawkit, platform
#   4 controls
#   5 services
#   6 tools/<tool>/window, science/<area>/window
#   7 shell
# tests/, bench/ and data/ sit above everything and are not checked.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

# The rank of the library a path belongs to, and the library's name; nothing for a
# path outside the layered folders.
layer_of() {
    local p="$1"
    case "$p" in
        foundation/*) echo "0 foundation" ;;
        engine/*) echo "1 engine" ;;
        tools/*/window/* | science/*/window/*)
            local a="${p%%/window/*}"; echo "6 $a/window" ;;
        tools/*/* | science/*/*)
            local top="${p%%/*}" rest="${p#*/}"; echo "2 $top/${rest%%/*}" ;;
        drawkit/*) echo "3 drawkit" ;;
        platform/*) echo "3 platform" ;;
        controls/*) echo "4 controls" ;;
        services/*) echo "5 services" ;;
        shell/*) echo "7 shell" ;;
        *) echo "" ;;
    esac
}

# The header names of QtGui and QtWidgets (<QPainter>, <QtWidgets/QWidget>, ...).
qt_include=""
for d in /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6; do
    [ -d "$d/QtGui" ] && { qt_include="$d"; break; }
done
declare -A gui_header=()
if [ -n "$qt_include" ]; then
    for m in QtGui QtWidgets; do
        gui_header[$m]=1
        for h in "$qt_include/$m"/Q*; do
            n="$(basename "$h")"
            case "$n" in *.h) continue ;; esac
            gui_header[$n]=1
        done
    done
fi

bad=0
while IFS= read -r file; do
    read -r rank lib <<<"$(layer_of "$file")" || true
    [ -n "${rank:-}" ] || continue
    qtcore_only=0
    case "$rank" in 0 | 1 | 2) qtcore_only=1 ;; esac
    lineno=0
    while IFS= read -r line; do
        lineno=$((lineno + 1))
        case "$line" in
            '#include "'*)
                inc="${line#\#include \"}"; inc="${inc%%\"*}"
                case "$inc" in */*) ;; *) continue ;; esac
                read -r irank ilib <<<"$(layer_of "$inc")" || true
                [ -n "${irank:-}" ] || continue
                [ "$ilib" = "$lib" ] && continue
                ok=0
                if [ "$irank" -lt "$rank" ]; then ok=1; fi
                # Computing libraries may use each other.
                if [ "$irank" = 2 ] && [ "$rank" = 2 ]; then ok=1; fi
                # A window library may use the computing library of its own tool.
                if [ "$rank" = 6 ] && [ "$ilib" = "${lib%/window}" ]; then ok=1; fi
                if [ "$ok" = 0 ]; then
                    echo "$file:$lineno: $lib includes $inc, of the layer $ilib above it"
                    bad=1
                fi
                ;;
            '#include <'*)
                [ "$qtcore_only" = 1 ] || continue
                inc="${line#\#include <}"; inc="${inc%%>*}"
                first="${inc%%/*}"; last="${inc##*/}"
                if [ -n "${gui_header[$first]:-}" ] || { [ "$first" = "$inc" ] && [ -n "${gui_header[$last]:-}" ]; }; then
                    echo "$file:$lineno: $lib is QtCore only but includes <$inc>"
                    bad=1
                fi
                ;;
        esac
    done <"$file"
done < <(git ls-files -co --exclude-standard -- '*.h' '*.cpp' | grep -vE '^(tests|bench|data)/')

if [ "$bad" != 0 ]; then
    echo "layers: some includes point up (see above)" >&2
    exit 1
fi
echo "layers: every include points down"
