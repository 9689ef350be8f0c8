#!/usr/bin/env bash
# What the browser page costs while the scroller plays, against a <video>
# element playing the default capture of the same presentation, both in one
# headless chromium (tests/web/cpu.mjs). The capture is made once into
# build/capture/presentation.mp4 (about 100 s of CPU); a part from inside
# the scroller is cut from it without re-encoding. Needs build/ and
# build-web/ built and 80-web's chromium and puppeteer-core installed.
# Usage: tools/timing/webcpu.sh [seconds [rounds]]   (from the source tree)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-10}
rounds=${2:-2}
# The scroller plays from about 13 s to 135 s of the capture.
part_start=30
part_length=$((seconds + 15))

[ -x build/bin/qzcapture ] || { echo "build/bin/qzcapture is not built" >&2; exit 1; }
[ -f build-web/dist/quillwave.wasm ] || { echo "build-web/dist is not built (scripts/build-web)" >&2; exit 1; }
[ -d tests/web/node_modules/puppeteer-core ] || (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)

capture=build/capture/presentation.mp4
if [ ! -s "$capture" ] || [ "$capture" -ot build/dist/QZ_Quillwave2k.exe ]; then
  mkdir -p build/capture
  build/bin/qzcapture --out "$capture.part.mp4" >/dev/null
  mv "$capture.part.mp4" "$capture"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -loglevel error -ss "$part_start" -i "$capture" -t "$part_length" -c copy "$work/part.mp4"
node tests/web/cpu.mjs build-web/dist "$work/part.mp4" "$work" "$seconds" "$rounds"
