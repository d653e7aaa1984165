#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --test
scripts/build.sh

xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir build --output-on-failure -j "$(nproc)"
