#!/usr/bin/env bash
# Builds the release programs and the Debian package build-rel/navora_<version>_amd64.deb.
#   scripts/package.sh [--verify CHROOT]
# With --verify (as root), the package is installed with apt into a Debian 12
# chroot at CHROOT (made with debootstrap when the folder does not exist yet),
# and the installed programs are run there.
set -euo pipefail
cd "$(dirname "$0")/.."
verify=""
if [ "${1:-}" = "--verify" ]; then
  verify="${2:?--verify needs a chroot folder}"
fi
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DNAVORA_TESTS=OFF -DNAVORA_BENCH=OFF >/dev/null
cmake --build build-rel --target navora navora-cli
(cd build-rel && cpack -G DEB >/dev/null)
deb=$(ls -t build-rel/navora_*_amd64.deb | head -1)
echo "$deb"
[ -n "$verify" ] || exit 0

if [ ! -d "$verify" ]; then
  command -v debootstrap >/dev/null || apt-get install -y debootstrap
  debootstrap --variant=minbase bookworm "$verify" http://deb.debian.org/debian
fi
cp /etc/resolv.conf "$verify/etc/resolv.conf"
cp "$deb" "$verify/tmp/navora.deb"
chroot "$verify" apt-get update -q
chroot "$verify" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall /tmp/navora.deb
chroot "$verify" sh -ec '
  navora-cli --version
  navora --version
  navora --help >/dev/null
  for f in /usr/share/applications/navora.desktop /usr/share/icons/hicolor/scalable/apps/navora.svg \
           /usr/share/mime/packages/navora-bdmv.xml /usr/share/mime/application/x-bdmv.xml; do
    test -f "$f" || { echo "missing $f" >&2; exit 1; }
  done
  navora-cli make-demo /tmp/navora-demo >/dev/null
  navora-cli check /tmp/navora-demo >/dev/null
  echo "installed and running"'
