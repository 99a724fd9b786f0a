#!/bin/sh
# Compares Tovin's processing cost with a peer equalizer's (LSP Parametric Equalizer x16 Stereo,
# Debian package lsp-plugins-vst): four settings at blocks of 32 to 1024 frames, in one alternating run.
#
#   bench/peer_compare.sh [build-directory] [options for tovin_peer_compare]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/bench"}
[ $# -gt 0 ] && shift
peer=/usr/lib/vst/lsp-plugins/para-equalizer-x16-stereo.so

if [ ! -f "$peer" ]; then
    echo "installing lsp-plugins-vst"
    if [ "$(id -u)" -eq 0 ]; then apt-get install -y lsp-plugins-vst; else sudo apt-get install -y lsp-plugins-vst; fi
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVIN_BUILD_TESTS=OFF
fi
cmake --build "$build" --target tovin_peer_compare Tovin
exec "$build/bench/tovin_peer_compare" --peer "$peer" "$@"
