#!/usr/bin/env bash
# Rewrites the committed reference renders of the toolkit's test editor
# (tests/toolkit/editor/golden/*.png) from the current code. Look at every picture it changes
# before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target toolkit_editor_tests
STELLIX_UPDATE_GOLDEN=1 build/tests/toolkit/editor/toolkit_editor_tests --gtest_filter='*Render*'
git status --short -- tests/toolkit/editor/golden
