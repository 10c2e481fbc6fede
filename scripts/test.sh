#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" --tests
bash "$root/scripts/build.sh" -DTOOLKIT_BUILD_TESTS=ON
cd "$root/build"
ctest --output-on-failure -j2
