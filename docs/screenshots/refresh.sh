#!/usr/bin/env bash
# Refreshes the screenshots of the Windows program kept here for the README:
# runs the window test of a Windows build tree under Wine and Xvfb (it draws
# both windows with sample content) and the end-to-end test of the shipped
# program (its real summary box and error box), then stores their pictures
# here, packed smaller than the tests write them.
#
#   docs/screenshots/refresh.sh [build tree]        (default: build/win64)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
tree="${1:-$root/build/win64}"
cmake --build "$tree" --target quorvel_win32_window_test quorvel_e2e_win32_test >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$tree" -R 'quorvel_win32_window_test|quorvel_e2e_win32' \
    --output-on-failure >/dev/null
for picture in ui/win32/screenshots/main-window ui/win32/screenshots/about-window \
               e2e/win32/screenshots/summary-box e2e/win32/screenshots/error-box; do
    name=$(basename "$picture")
    python3 - "$tree/tests/$picture.png" "$root/docs/screenshots/$name.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
chunks, pos = [], 8
while pos < len(data):
    size, kind = struct.unpack(">I4s", data[pos:pos + 8])
    chunks.append((kind, data[pos + 8:pos + 8 + size]))
    pos += 12 + size
pixels = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
header = next(body for kind, body in chunks if kind == b"IHDR")
with open(sys.argv[2], "wb") as out:
    out.write(data[:8] + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))
PY
done
echo "screenshots refreshed from $tree"
