#!/usr/bin/env bash
# Builds Navora and opens the bundled demo disc in the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DNAVORA_TESTS=OFF -DNAVORA_BENCH=OFF >/dev/null
cmake --build build --target navora navora-cli
demo=$(build/src/cli/navora-cli make-demo build/demo)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
Navora is built, but no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set).
Start it from a desktop session with:
  build/src/ui/navora $demo/index.bdmv
or on a virtual display (apt-get install xvfb):
  xvfb-run -a build/src/ui/navora $demo/index.bdmv
MSG
  exit 1
fi
exec build/src/ui/navora "$demo/index.bdmv"
