#!/usr/bin/env bash
# Cross-builds the Windows plug-ins with mingw-w64:
#   build-win64/Korvan Stellix x64.dll   (with the Windows session and platform check programs)
#   build-win32/Korvan Stellix.dll
# Extra arguments go to both CMake configurations (for example -DSTELLIX_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${STELLIX_JOBS:-2}

for arch in x86_64:build-win64 i686:build-win32; do
  triplet=${arch%%:*}
  dir=${arch#*:}
  echo "== Windows build ($triplet) in $dir"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$triplet.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DSTELLIX_TESTS=OFF -DSTELLIX_BENCH=OFF "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
done
