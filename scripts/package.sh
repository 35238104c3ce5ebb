#!/usr/bin/env bash
# Builds the Debian package of Fieldlink (build/package/fieldlink_<version>_amd64.deb) on a Debian 12
# machine, installing what the build needs first. Install it with: sudo apt install ./<the .deb>
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
rm -f build/package/*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/package/*.deb
