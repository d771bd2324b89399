#!/usr/bin/env bash
# Builds the plug-in and renders the built-in demo material through it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
mkdir -p out
build/tools/render/stellix-render --demo out/demo-out.wav --force
