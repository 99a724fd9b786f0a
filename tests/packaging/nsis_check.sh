#!/bin/sh
# The Windows installer under Wine, silent, as a user's machine meets it: before it, the plug-in
# stops on its "Alert" box (which the check sees and closes); installed, our host loads the installed
# Tovin.dll with no box and finds the factory presets; a user preset, changed options and a deleted
# factory preset, then a re-install into another VST folder (the old copy goes): the user's files
# stay, the factory preset is back; the silent
# uninstall removes the plug-in, the adapter, the factory presets and the registry value and keeps
# the user's files; a second install and an uninstall with /PURGE leave nothing.
# Usage: tests/packaging/nsis_check.sh SETUP.exe PREFIX LOAD_CHECK.exe PLUGIN.dll
# PREFIX: a Wine prefix of its own (created on the first run), never the test suite's.
set -eu
setup=$(readlink -f "$1")
WINEPREFIX=$(mkdir -p "$2" && cd "$2" && pwd)
load_check=$(readlink -f "$3")
built_dll=$(readlink -f "$4")
WINEDEBUG=-all
WINEDLLOVERRIDES=mscoree,mshtml=
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
fail() { echo "nsis_check: FAILED: $*" >&2; wineserver -k >/dev/null 2>&1 || true; exit 1; }
step() { echo "nsis_check: $*"; }
work="$WINEPREFIX/check"
c="$WINEPREFIX/drive_c"
vst="$c/Program Files/VSTPlugins"
data="$c/ProgramData/Corvane/Tovin"
protools="$c/Program Files/Common Files/Digidesign/DAE/Plug-Ins"

if [ ! -f "$WINEPREFIX/installer-prefix.stamp" ]; then
  wineboot -i >/dev/null 2>&1 || wine wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/installer-prefix.stamp"
fi
wineserver -p10 </dev/null >/dev/null 2>&1 || true
# What an earlier run left.
wine reg delete 'HKLM\Software\Corvane' /f /reg:64 >/dev/null 2>&1 || true
rm -rf "$c/ProgramData/Corvane" "$vst" "$c/VST" "$c/Program Files/Common Files/Digidesign" "$work"
mkdir -p "$work"
regvalue() { wine reg query 'HKLM\Software\Corvane\Tovin' /v InstallDirectory /reg:64 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
load() { timeout 60 wine "$load_check" "$1" > "$work/load.txt" 2>&1; }

# Before: no registry value, so the effect shows its message; the check must see it.
if load "$built_dll"; then cat "$work/load.txt"; fail "the load check did not see the missing installation"; fi
grep -q "message box: Alert" "$work/load.txt" || { cat "$work/load.txt"; fail "no Alert box without an installation"; }
step "without an installation: $(grep 'message box' "$work/load.txt" | head -n 1)"

timeout 120 wine "$setup" /S /PROTOOLS || fail "silent install"
[ -f "$vst/Tovin.dll" ] && [ -f "$vst/Morvashel.dll" ] || fail "no Tovin.dll in $vst"
[ -f "$protools/Tovin.dpm" ] && [ -f "$data/Tovin.dll" ] && [ -f "$data/Morvashel.dll" ] || fail "the Pro Tools adapter is not installed"
[ -f "$data/InitSettings" ] && [ -f "$data/options" ] && [ -f "$data/preset0000.prt" ] || fail "no factory bank in $data"
[ "$(regvalue)" = 'C:\ProgramData\Corvane\Tovin\' ] || fail "InstallDirectory is '$(regvalue)'"
step "installed: $(ls "$data" | wc -l) files in C:\\ProgramData\\Corvane\\Tovin, InstallDirectory $(regvalue)"

load 'C:\Program Files\VSTPlugins\Tovin.dll' || { cat "$work/load.txt"; fail "the installed plug-in did not load cleanly"; }
grep -q "slot B preset: Vocal Clarity" "$work/load.txt" || { cat "$work/load.txt"; fail "the store was not found"; }
step "the installed plug-in loads through our host, no message box: $(grep 'slot B' "$work/load.txt" | tr -d '\r')"

# The user's own files, then a re-install over them.
cp "$data/preset0000.prt" "$data/preset0501.prt"
sed 's/Vocal Clarity/My Own/' "$data/preset0000.inf" > "$data/preset0501.inf"
printf '!INCR_WHEEL#1#\n' > "$data/options"
rm "$data/preset0003.inf"
timeout 120 wine "$setup" /S '/D=C:\VST' || fail "silent re-install"
[ -f "$c/VST/Tovin.dll" ] && [ ! -e "$vst/Tovin.dll" ] || fail "the re-install did not move the plug-in to C:\VST"
grep -q "My Own" "$data/preset0501.inf" || fail "the re-install lost the user's preset"
[ "$(cat "$data/options")" = '!INCR_WHEEL#1#' ] || fail "the re-install replaced the user's options"
[ -f "$data/preset0003.inf" ] || fail "the re-install did not restore a factory preset"
[ -f "$protools/Tovin.dpm" ] || fail "the re-install dropped the adapter"
step "re-installed into C:\\VST: the user's preset and options kept, the factory preset restored"

timeout 120 wine "$data/Uninstall.exe" /S '_?=C:\ProgramData\Corvane\Tovin' || fail "silent uninstall"
[ ! -e "$c/VST/Tovin.dll" ] && [ ! -e "$protools/Tovin.dpm" ] && [ ! -e "$data/Tovin.dll" ] && [ ! -e "$data/Morvashel.dll" ] || fail "binaries left"
[ ! -e "$data/preset0000.inf" ] || fail "factory presets left"
[ -z "$(regvalue)" ] || fail "the registry value is left"
grep -q "My Own" "$data/preset0501.inf" && [ -f "$data/options" ] || fail "the uninstall removed the user's files"
step "uninstalled: plug-in, adapter, factory presets and registry value gone; left: $(ls "$data" | tr '\n' ' ')"

timeout 120 wine "$setup" /S || fail "install again"
grep -q "My Own" "$data/preset0501.inf" || fail "the user's preset is gone after installing again"
timeout 120 wine "$data/Uninstall.exe" /S /PURGE '_?=C:\ProgramData\Corvane\Tovin' || fail "uninstall /PURGE"
rm -f "$data/Uninstall.exe"  # run in place (_?=), it cannot delete itself
[ -z "$(ls -A "$data" 2>/dev/null)" ] || fail "/PURGE left $(ls "$data")"
step "uninstalled with /PURGE: nothing left"
wineserver -k >/dev/null 2>&1 || true
echo "nsis_check: passed"
