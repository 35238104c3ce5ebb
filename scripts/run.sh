#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Fieldlink and runs the main job: the ASCII report of a
# bundled sample trace, written with fieldlink-cli and shown on the terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
mkdir -p out
build/cli/fieldlink-cli export-ascii tests/data/samples/SPECTRUM.qtr -o out/SPECTRUM.TXT
echo "Wrote out/SPECTRUM.TXT:"
head -n 60 out/SPECTRUM.TXT
