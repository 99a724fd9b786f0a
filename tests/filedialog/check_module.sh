#!/bin/sh
# Checks the file-dialog module's symbol tables.
#   check_module.sh windows Morvashel.dll OBJDUMP   exports exactly DialogueFichier; imports only
#                                                   kernel32, user32, comdlg32 and the C runtime
#   check_module.sh linux Morvashel.so NM           dynamic exports: DialogueFichier, nothing else;
#                                                   needs no toolkit or display library
set -eu
platform=$1
module=$2
tool=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$module" ] || fail "$module not found"

if [ "$platform" = windows ]; then
  dump=$("$tool" -p "$module")
  names=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
          | sed -n 's/^[[:space:]]*\[ *[0-9]*\] \([^ ]*\)$/\1/p' | sort | tr '\n' ' ')
  [ "$names" = "DialogueFichier " ] || fail "exports are '$names', expected exactly 'DialogueFichier'"
  imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: \(.*\)$/\1/p')
  [ -n "$imports" ] || fail "no import table found"
  for dll in $imports; do
    lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
    case "$lower" in
      kernel32.dll|user32.dll|comdlg32.dll|msvcrt.dll|api-ms-win-crt-*) ;;
      *) fail "imports $dll; only kernel32, user32, comdlg32 and the C runtime are expected" ;;
    esac
  done
  printf '%s\n' "$imports" | grep -qi '^comdlg32\.dll$' || fail "does not import comdlg32.dll"
  echo "exports: $names"
  echo "imports:" $imports
else
  symbols=$("$tool" -D --defined-only "$module")
  exported=$(printf '%s\n' "$symbols" | awk 'NF == 3 && $2 != "A" && $3 !~ /^(_init|_fini|_edata|_end|__bss_start)$/ {print $3}' \
             | sort | tr '\n' ' ')
  [ "$exported" = "DialogueFichier " ] || fail "dynamic exports are '$exported', expected exactly 'DialogueFichier'"
  needed=$(LC_ALL=C objdump -p "$module" | sed -n 's/^[[:space:]]*NEEDED[[:space:]]*\(.*\)$/\1/p')
  for library in $needed; do
    case "$library" in
      libc.so.*|libstdc++.so.*|libgcc_s.so.*|libm.so.*|ld-linux*) ;;
      libasan.so.*|libubsan.so.*|libtsan.so.*) ;;  # sanitizer builds
      *) fail "needs $library; the dialog tools are run, never linked" ;;
    esac
  done
  echo "exports: $exported"
  echo "needs:" $needed
fi
echo "PASS"
