#!/usr/bin/env bash
# Configures and builds everything in Release into ./build (plug-in formats, tests, benchmarks, tools).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
