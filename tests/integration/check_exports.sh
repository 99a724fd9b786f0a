#!/bin/sh
# Checks the plug-in module's symbol tables.
#   check_exports.sh windows Tovin.dll OBJDUMP   exactly VSTPluginMain and main, at the same address;
#                                                imports only from system DLLs
#   check_exports.sh windows-dpm Tovin.dpm OBJDUMP  exactly NewPlugIn, _PI_GetRoutineDescriptor,
#                                                WinPlugInOpen and WinPlugInClose; system imports only
#   check_exports.sh linux Tovin.so NM           dynamic exports: VSTPluginMain and main, same address,
#                                                nothing else
set -eu
platform=$1
module=$2
tool=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$module" ] || fail "$module not found"

if [ "$platform" = windows ] || [ "$platform" = windows-dpm ]; then
  dump=$("$tool" -p "$module")
  # Name table rows look like "[   0] VSTPluginMain"; the address table rows like
  # "[   0] +base[   1] 1530 Export RVA".
  names=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
          | sed -n 's/^[[:space:]]*\[ *[0-9]*\] \([^ ]*\)$/\1/p' | sort | tr '\n' ' ')
  addresses=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*\[ *[0-9]*\] +base\[ *[0-9]*\] \([0-9a-fA-F]*\) Export RVA.*/\1/p' \
              | sort -u | tr '\n' ' ')
  if [ "$platform" = windows-dpm ]; then
    # Both lists pass through the same sort.
    expected=$(printf '%s\n' NewPlugIn WinPlugInClose WinPlugInOpen _PI_GetRoutineDescriptor | sort | tr '\n' ' ')
    [ "$names" = "$expected" ] || fail "exports are '$names', expected exactly '$expected'"
  else
    [ "$names" = "VSTPluginMain main " ] || fail "exports are '$names', expected exactly 'VSTPluginMain main'"
    count=$(printf '%s' "$addresses" | wc -w)
    [ "$count" -eq 1 ] || fail "VSTPluginMain and main have different addresses: $addresses"
  fi
  imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: \(.*\)$/\1/p')
  [ -n "$imports" ] || fail "no import table found"
  for dll in $imports; do
    lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
    case "$lower" in
      kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|shell32.dll| \
      comdlg32.dll|comctl32.dll|msimg32.dll|winmm.dll|ws2_32.dll|shlwapi.dll|uxtheme.dll|api-ms-win-*) ;;
      *) fail "imports $dll, which is not a system DLL (link statically)" ;;
    esac
  done
  echo "exports: $names(RVA $addresses)"
  echo "imports:" $imports
else
  symbols=$("$tool" -D --defined-only "$module")
  # Lines look like "0000000000012340 T VSTPluginMain". Symbols the toolchain itself must leave in the
  # dynamic table (section and version markers) carry no code and are ignored.
  exported=$(printf '%s\n' "$symbols" | awk 'NF == 3 && $2 != "A" && $3 !~ /^(_init|_fini|_edata|_end|__bss_start)$/ {print $3}' \
             | sort | tr '\n' ' ')
  [ "$exported" = "VSTPluginMain main " ] || fail "dynamic exports are '$exported', expected exactly 'VSTPluginMain main'"
  addresses=$(printf '%s\n' "$symbols" | awk 'NF == 3 && ($3 == "VSTPluginMain" || $3 == "main") {print $1}' | sort -u | wc -l)
  [ "$addresses" -eq 1 ] || fail "VSTPluginMain and main have different addresses"
  printf '%s\n' "$symbols"
fi
echo "PASS"
