#!/usr/bin/env bash
# Builds everything warning-free (Linux and both Windows DLLs) and runs every test, the editor
# tests in private X servers (Xvfb) and under wine64 among them, checks the Windows DLLs
# (scripts/test-windows.sh), then runs the tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, and fuzzes the readers.
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

# The test executables whose tests run code on several threads, each as target or
# target:gtest-filter (the filter picks the threaded tests out of an executable whose other
# tests are slow under ThreadSanitizer).
tsan_tests=(
  platform_tests
  threads_tests
  host_tests
  editor_tests
  toolkit_draw_tests
  toolkit_core_tests
  "engine_tests:RequantizedLimiterPath.NoiseShapeChangesWhileRunning"
  "ui_meters_tests:MeterReset.*"
  "presetbar_tests:PresetBarWindow.ReportsFromOtherThreadsWaitForTheIdle"
  "ui_editor_tests:EditorThreads.*"
  ui_stress_tests
)

echo "== ThreadSanitizer build of the threaded tests"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DSTELLIX_TSAN=ON -DSTELLIX_BENCH=OFF -DSTELLIX_WERROR=ON >/dev/null
cmake --build build-tsan -j"$jobs" --target "${tsan_tests[@]%%:*}"
for entry in "${tsan_tests[@]}"; do
  target=${entry%%:*}
  filter='*'
  [[ $entry == *:* ]] && filter=${entry#*:}
  exe=$(find build-tsan/tests -type f -name "$target" -perm -u+x | head -n 1)
  [[ -n $exe ]] || { echo "no test executable $target in build-tsan" >&2; exit 1; }
  echo "-- $target ($filter)"
  # The plug-in and the private user store the tests get under CTest.
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" STELLIX_PLUGIN="$PWD/build-tsan/KorvanStellix.so" \
    XDG_CONFIG_HOME="$PWD/build-tsan/test-config" "$exe" --gtest_filter="$filter" --gtest_brief=1
done

echo "== Fuzzing the chunk, file and stored-default readers for 60 s"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Release -DSTELLIX_FUZZ=ON \
  -DSTELLIX_TESTS=OFF -DSTELLIX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target preset_fuzzer
# New inputs go to a scratch folder; the seed corpus in fuzz/corpus stays as committed.
rm -rf build-fuzz/corpus build-fuzz/artifacts
mkdir -p build-fuzz/corpus build-fuzz/artifacts
build-fuzz/fuzz/preset_fuzzer -max_total_time=60 -timeout=10 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus fuzz/corpus
