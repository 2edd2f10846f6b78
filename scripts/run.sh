#!/usr/bin/env bash
# Builds Navora and opens the bundled demo disc in the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DNAVORA_TESTS=OFF -DNAVORA_BENCH=OFF >/dev/null
cmake --build build --target navora navora-cli
demo=$(build/src/cli/navora-cli make-demo build/demo)

# The desktop entry and the icon in the user's XDG data folder, so that the
# desktop's menus and task bar show Navora with its icon.
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
mkdir -p "$data_home/applications" "$data_home/icons/hicolor/256x256/apps" "$data_home/icons/hicolor/scalable/apps"
install -m 644 data/navora.png "$data_home/icons/hicolor/256x256/apps/navora.png"
install -m 644 data/navora.svg "$data_home/icons/hicolor/scalable/apps/navora.svg"
sed "s|^Exec=navora|Exec=\"$PWD/build/src/ui/navora\"|" data/navora.desktop >"$data_home/applications/navora.desktop"
command -v update-desktop-database >/dev/null && update-desktop-database -q "$data_home/applications" || true
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
