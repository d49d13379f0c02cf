#!/usr/bin/env bash
# Builds the soundboard and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target zirpomat
exec ./build/soundboard/zirpomat "$@"
