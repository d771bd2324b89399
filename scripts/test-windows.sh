#!/usr/bin/env bash
# The Windows stage of the tests: builds both DLLs warning-free with mingw-w64, checks their
# exports and imports, then (when the Linux build in build/ exists) runs the scripted session
# under wine64 against the 64-bit DLL and compares it with the same session against the Linux
# plug-in. The 32-bit DLL is checked statically only: wine64 here cannot run 32-bit code.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh -DSTELLIX_WERROR=ON

echo "== Windows DLL exports and imports"
bash tests/windows/check_dll.sh "build-win64/Korvan Stellix x64.dll" x64
bash tests/windows/check_dll.sh "build-win32/Korvan Stellix.dll" i386
