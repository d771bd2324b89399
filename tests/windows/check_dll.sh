#!/usr/bin/env bash
# Static checks of a Windows plug-in DLL, from its PE headers (objdump -p) and code:
#   - the machine type is the expected one (x64 or i386);
#   - it exports exactly VSTPluginMain and main, undecorated, at the same address;
#   - it imports only from DLLs that every Windows installation has;
#   - no aligned AVX moves address the stack (objdump -d).
# Usage: check_dll.sh <dll> <x64|i386>
set -euo pipefail

dll=$1
arch=$2
case $arch in
  x64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 ;;
  i386) objdump=i686-w64-mingw32-objdump format=pei-i386 ;;
  *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac

fail() { echo "FAIL ($dll): $*" >&2; exit 1; }

[ -f "$dll" ] || fail "missing"
headers=$("$objdump" -p "$dll")
grep -q "file format $format\$" <<<"$headers" || fail "not a $format image"

# Exports: the name table lists "[ i] name"; the address table "[ i] +base[ n] rva Export RVA".
names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
[ "$names" = "VSTPluginMain main " ] || fail "exports are '$names', expected 'VSTPluginMain main'"
rvas=$(sed -n 's/^\s*\[ *[0-9]*\] +base\[ *[0-9]*\] *\([0-9a-f]*\) Export RVA$/\1/p' <<<"$headers" | sort -u)
[ "$(wc -l <<<"$rvas")" -eq 1 ] || fail "the two exports are different functions: $rvas"

# Imports: Windows' own DLLs only (case-insensitive); no MinGW runtime DLLs.
allowed='^(kernel32|user32|gdi32|gdiplus|advapi32|shell32|ole32|oleaut32|comdlg32|comctl32|shlwapi|winmm|msimg32|uxtheme|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no import table found"
while read -r name; do
  grep -qiE "$allowed" <<<"$name" || fail "imports $name, which is not part of Windows"
done <<<"$imports"

# mingw-w64 GCC does not align the stack to 32 bytes: an aligned AVX move of a spilled ymm
# register would fault on some calls. Only unaligned forms may touch the stack.
aligned=$("$objdump" -d --no-show-raw-insn "$dll" | grep -E 'vmov(aps|apd|dqa(32|64)?)\s.*ymm' |
  grep -E '\(%[er](sp|bp)' || true)
[ -z "$aligned" ] || fail "aligned 32-byte moves on the stack: $(head -3 <<<"$aligned")"

echo "ok: $dll ($format) exports VSTPluginMain and main; imports $(tr '\n' ' ' <<<"$imports")"
