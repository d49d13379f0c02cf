#!/usr/bin/env bash
# Builds and runs every test: first under AddressSanitizer and
# UndefinedBehaviorSanitizer with the fuzz targets (clang), then the plain
# build, whose CTest summary closes the run.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_COMPILER=clang++ -DZPM_SANITIZE=ON -DZPM_FUZZ=ON -DZPM_BENCHMARKS=OFF >/dev/null
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize -j "$jobs"

cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs"
