#!/bin/sh
# Wine sessions for the Windows test programs.
#   wine-session.sh prepare PREFIX [PRESETS]  create the prefix once (null graphics driver) with an
#                                             installation directory C:\Tovin (factory presets from
#                                             PRESETS) recorded in the registry, as the installer does
#   wine-session.sh start PREFIX KEEPALIVE    start a persistent wineserver and a small resident program
#   wine-session.sh stop PREFIX               stop the wineserver and everything running in the prefix
set -eu
action=$1
WINEPREFIX=$2
case "$WINEPREFIX" in /*) ;; *) echo "wine-session: the prefix must be an absolute path" >&2; exit 2 ;; esac
WINEDEBUG=-all
WINEDLLOVERRIDES=mscoree,mshtml=
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

case "$action" in
prepare)
  stamp="$WINEPREFIX/tovin-prefix-2.stamp"
  [ -f "$stamp" ] && exit 0
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || wine wineboot -i >/dev/null 2>&1
  # Without a display the null driver still gives windows, classes and painting.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  # The plug-in reads its installation directory from the registry; without it, it would stop on a
  # message box that nobody can answer here.
  mkdir -p "$WINEPREFIX/drive_c/Tovin"
  if [ $# -ge 3 ] && [ -d "$3" ]; then cp "$3"/preset*.inf "$3"/preset*.prt "$3"/InitSettings "$WINEPREFIX/drive_c/Tovin/" 2>/dev/null || true; fi
  wine reg add 'HKLM\Software\Corvane\Tovin' /v InstallDirectory /d 'C:\Tovin' /f /reg:64 >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  touch "$stamp"
  ;;
start)
  keepalive=$3
  # Persistent until 60 s after its last client, so a run cut short leaves nothing behind for long.
  # A session that is already running (started before ctest's test discovery) is kept.
  wineserver -p60 </dev/null >/dev/null 2>&1 || true
  if ! pgrep -f -x "$keepalive" >/dev/null 2>&1 && ! pgrep -f "^$keepalive\$" >/dev/null 2>&1; then
    # Detached from ctest's pipes, or ctest would wait for it.
    setsid wine "$keepalive" </dev/null >/dev/null 2>&1 &
  fi
  # Returns once the session answers, so the first test does not pay for its start. The
  # installation's registry value is written again: a registry test cut short cannot leave it broken
  # (the effect would then stop on a message box).
  wine reg add 'HKLM\Software\Corvane\Tovin' /v InstallDirectory /d 'C:\Tovin' /f /reg:64 </dev/null >/dev/null 2>&1 || true
  ;;
stop)
  wineserver -k >/dev/null 2>&1 || true
  ;;
*)
  echo "usage: wine-session.sh prepare|start|stop PREFIX [KEEPALIVE]" >&2
  exit 2
  ;;
esac
