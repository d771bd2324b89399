#!/usr/bin/env bash
# Rewrites the committed reference pictures of the render tests (every test whose name holds
# "Render") from the current code. Look at every picture it changes before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
STELLIX_UPDATE_GOLDEN=1 ctest --test-dir build -R Render --output-on-failure
git status --short -- '*.png'
