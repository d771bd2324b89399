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
# The toolkit's test plug-in holds the whole GUI toolkit and the artwork: still Windows' own DLLs only.
bash tests/windows/check_dll.sh build-win64/KorvanToolkitTest.dll x64
bash tests/windows/check_dll.sh build-win32/KorvanToolkitTest.dll i386

jobs=${STELLIX_JOBS:-2}
linux=${STELLIX_LINUX_BUILD:-build}
out=build-win64/session
session=tools/session/stellix-session

echo "== The session against the Linux plug-in ($linux)"
[ -f "$linux/CMakeCache.txt" ] || cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$linux" -j"$jobs" --target KorvanStellix stellix-session >/dev/null
rm -rf "$out"
mkdir -p "$out"
XDG_CONFIG_HOME="$PWD/$out/linux-config" "$linux/$session" run "$linux/KorvanStellix.so" "$out/linux"

echo "== The session under wine64 (throw-away prefix in $out/wineprefix)"
export WINEPREFIX="$PWD/$out/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot -i >/dev/null 2>&1
(cd build-win64 && wine tests/windows/stellix-platform-check.exe)
# Windows need a display: the window layer's check runs in a virtual X display, with a
# wineserver of its own before and after it (the desktop process keeps the display it began with).
wineserver -k >/dev/null 2>&1 || true
wineserver -w
(cd build-win64 && xvfb-run -a -s "-screen 0 1024x768x24" wine tests/windows/stellix-toolkit-window-check.exe)
wineserver -k >/dev/null 2>&1 || true
wineserver -w
(cd build-win64 && wine "$session.exe" run "Korvan Stellix x64.dll" session/windows)

echo "== Linux and Windows sessions compared"
"$linux/$session" compare "$out/linux" "$out/windows"

echo "== Registry values written under wine"
# value <key under HKCU> <name> <kind> [data as reg query prints it]
value() {
  local line
  line=$(wine reg query "HKCU\\$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print $2, $3 }')
  [ "${line%% *}" = "$3" ] || { echo "FAIL: $1\\$2 is '${line%% *}', expected $3" >&2; exit 1; }
  if [ $# -ge 4 ] && [ "${line#* }" != "$4" ]; then
    echo "FAIL: $1\\$2 holds '${line#* }', expected '$4'" >&2
    exit 1
  fi
}
key='SOFTWARE\Korvan\Korvanstellix'
bank=$(tail -c +9 "$out/windows/edited.chunk" | od -An -v -tx1 | tr -d ' \n' | tr a-f A-F)
value "$key" DefaultBank REG_BINARY "$bank"
value "$key" DefaultPreset REG_BINARY
for name in CurrDir CurrBank CurrPreset; do value "$key" "$name" REG_SZ; done
for pref in Scale:0x2 Type:0x1 Zoom:0x1 AttShow:0x9 Recon:0x1 Post:0x0; do
  value "$key\\PREFS" "Metering_${pref%%:*}" REG_DWORD "${pref#*:}"
done
echo "ok: registry values have the expected names and kinds"
