#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, checks the formatting, then builds and runs every test twice: in the
# normal build (Ninja) and in the AddressSanitizer + UndefinedBehaviorSanitizer build (Unix Makefiles, so
# both generators stay working), each with warnings as errors. The sanitizer build also replays the fuzz
# corpora.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# ccache hits across clones in other folders (CI builds a fresh clone each time).
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
export QT_QPA_PLATFORM=offscreen

echo "== format"
scripts/format-check.sh

echo "== normal build (Ninja)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIELDLINK_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --timeout 300

echo "== Debian package, checked unpacked"
rm -f build/package/*.deb
(cd build && cpack -G DEB >/dev/null)
scripts/package-check.sh build/package/*.deb

echo "== sanitizer build (ASan + UBSan, Unix Makefiles)"
cmake -S . -B build-sanitize -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Debug -DFIELDLINK_SANITIZE=ON \
  -DFIELDLINK_BENCH=OFF -DFIELDLINK_WERROR=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize -j "$jobs" --timeout 600
