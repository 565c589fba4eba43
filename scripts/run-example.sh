#!/usr/bin/env bash
# Builds the library and the Java host, then lets the host load the bundled
# example model and print what it received.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target example
