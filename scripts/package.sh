#!/usr/bin/env bash
# Builds the Debian package of Fieldlink (build-package/package/fieldlink_<version>_amd64.deb) on a Debian
# 12 machine, installing what the build needs first. Only what ships is built: no tests, benchmarks or
# fuzzers, and no debug information (the package's programs are stripped). Install it with:
#   sudo apt install ./build-package/package/fieldlink_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DFIELDLINK_TESTS=OFF -DFIELDLINK_BENCH=OFF -DFIELDLINK_FUZZ=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
rm -f build-package/package/*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/package/*.deb
