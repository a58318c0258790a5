#!/usr/bin/env bash
# Start-up benchmark of the Windows program under Wine, run by hand:
#
#   bench/win32/startup.sh [build tree] [runs]      (defaults: build/win64, 10)
#
# Builds Quorvel.exe in the tree if needed, compiles the one-file measuring
# program with the tree's MinGW compiler, and runs both in the tree's own Wine
# prefix under a private X display. It prints the median time from process
# creation to the main window shown and to the end of the start-up sequence,
# with their targets and ratios. Each run starts and closes the program as a
# user would, so it leaves a log and settings behind in that prefix.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
tree="${1:-$root/build/win64}"
runs="${2:-10}"
[ -f "$tree/CMakeCache.txt" ] || { echo "no build tree at $tree (cmake --preset win64 first)" >&2; exit 2; }
cmake --build "$tree" --target Quorvel >/dev/null
compiler="$(sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$tree"/CMakeFiles/*/CMakeCXXCompiler.cmake | head -n 1)"
bench="$tree/bench-win32"
mkdir -p "$bench"
"$compiler" -std=c++20 -O2 -Wall -Wextra -Werror -static -I"$root/tests/ui/win32" \
    -o "$bench/StartupBench.exe" "$root/bench/win32/StartupBench.cpp"
# The tree's own Wine prefix and runner, as its tests use them, all under one
# private display: a Wine session started without it could not show windows.
export WINEPREFIX="$tree/wineprefix"
trap 'wineserver -k 2>/dev/null || true' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    set -e
    [ -f "$WINEPREFIX/system.reg" ] || "$1/wine-init.sh" >/dev/null
    # Wine draws and activates its own windows when no window manager runs.
    "$1/wine-run.sh" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$1/wine-run.sh" "$2" "$3" "$4"' sh "$tree" "$bench/StartupBench.exe" "Z:$tree/bin/Quorvel.exe" "$runs"
