#!/usr/bin/env bash
# Builds everything warning-free (Linux and both Windows DLLs) and runs every test, the editor
# tests in private X servers (Xvfb) and under wine64 among them, checks the Windows DLLs
# (scripts/test-windows.sh), then runs the tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)

echo "== Windows builds (warnings are errors); the editor tests run their DLL under wine"
STELLIX_JOBS=$jobs bash scripts/build-windows.sh -DSTELLIX_WERROR=ON

echo "== Release build (warnings are errors)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSTELLIX_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== Windows builds, DLL checks and the session under wine"
STELLIX_JOBS=$jobs bash scripts/test-windows.sh

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSTELLIX_SANITIZE=ON -DSTELLIX_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
# The wine tests ran above; their Windows programs are not sanitizer builds.
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs" -E wine)

echo "== Fuzzing the chunk, file and stored-default readers for 60 s"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Release -DSTELLIX_FUZZ=ON \
  -DSTELLIX_TESTS=OFF -DSTELLIX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target preset_fuzzer
# New inputs go to a scratch folder; the seed corpus in fuzz/corpus stays as committed.
rm -rf build-fuzz/corpus build-fuzz/artifacts
mkdir -p build-fuzz/corpus build-fuzz/artifacts
build-fuzz/fuzz/preset_fuzzer -max_total_time=60 -timeout=10 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus fuzz/corpus
