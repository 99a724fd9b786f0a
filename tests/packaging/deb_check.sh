#!/bin/sh
# The Debian package as a new user meets it: lintian, its dependencies resolvable, installed with
# dpkg into a scratch root, then for a fresh user (a scratch HOME): the plug-in loaded through our
# host before and after the first-login setup, tovin-render from the package rendering with a
# preset of the user's directory, nothing written under /usr, the user's own presets kept by a
# second setup, and removal leaving the user's directory alone.
# Usage: tests/packaging/deb_check.sh DEB OUT_DIR LOAD_CHECK DEMO
set -eu
deb=$(readlink -f "$1")
out=$2
load_check=$(readlink -f "$3")
demo=$(readlink -f "$4")
rm -rf "$out"
mkdir -p "$out/root/var/lib/dpkg/info" "$out/root/var/lib/dpkg/updates" "$out/home"
out=$(cd "$out" && pwd)
root="$out/root"
touch "$root/var/lib/dpkg/status"
fail() { echo "deb_check: FAILED: $*" >&2; exit 1; }
step() { echo "deb_check: $*"; }

if command -v lintian >/dev/null; then
  # Errors and warnings fail; the remaining information tags are listed.
  lintian --fail-on error,warning "$deb" > "$out/lintian.txt" 2>&1 ||
    { cat "$out/lintian.txt"; fail "lintian"; }
  step "lintian: no errors or warnings"
fi
if command -v apt-get >/dev/null; then
  apt-get -s -q install "$deb" > "$out/apt.txt" 2>&1 || { cat "$out/apt.txt"; fail "dependencies do not resolve"; }
  step "apt-get resolves the dependencies"
fi

dpkg --root="$root" --force-depends --force-not-root --log=/dev/null -i "$deb" > "$out/dpkg.txt" 2>&1 ||
  { cat "$out/dpkg.txt"; fail "dpkg -i"; }
[ -f "$root/usr/lib/vst/Tovin.so" ] || fail "no /usr/lib/vst/Tovin.so"
[ "$(ls "$root"/usr/share/tovin/preset*.inf | wc -l)" -ge 1 ] || fail "no factory bank in /usr/share/tovin"
step "installed into $root"
touch "$out/installed.mark"

# A fresh user: only HOME, no installation directory anywhere.
env -i PATH="$PATH" HOME="$out/home" "$load_check" "$root/usr/lib/vst/Tovin.so" > "$out/before.txt" 2>&1 ||
  { cat "$out/before.txt"; fail "the plug-in does not load"; }
grep -q "Wrong install's directory" "$out/before.txt" || fail "without setup the effect should miss its directory"

env -i PATH="$PATH" HOME="$out/home" "$root/usr/bin/tovin-user-setup" > "$out/setup.txt" 2>&1 ||
  { cat "$out/setup.txt"; fail "tovin-user-setup"; }
config="$out/home/.config/Corvane/Tovin/InstallDirectory"
directory="$out/home/.local/share/Corvane/Tovin"
[ "$(head -n 1 "$config")" = "$directory/" ] || fail "InstallDirectory holds '$(cat "$config")'"
[ -f "$directory/InitSettings" ] && [ -f "$directory/options" ] && [ -f "$directory/preset0000.prt" ] ||
  fail "the user's directory lacks the factory bank"
step "first-login setup: $(ls "$directory" | wc -l) files in $directory"

env -i PATH="$PATH" HOME="$out/home" "$load_check" "$root/usr/lib/vst/Tovin.so" > "$out/after.txt" 2>&1 ||
  { cat "$out/after.txt"; fail "the plug-in does not load after setup"; }
if grep -q "Alert\|Wrong" "$out/after.txt"; then cat "$out/after.txt"; fail "the effect still misses its directory"; fi
grep -q "slot B preset: Vocal Clarity" "$out/after.txt" || { cat "$out/after.txt"; fail "the store was not found"; }
step "the plug-in loads through our host and finds its presets: $(grep 'slot B' "$out/after.txt")"

# tovin-render from the package: the package's plug-in, a preset found in the user's directory.
"$demo" --flat --install-dir "$out/demo-install" --output "$out/signal.wav" > /dev/null
env -i PATH="$PATH" HOME="$out/home" "$root/usr/bin/tovin-render" --preset "Kick Punch" \
  "$out/signal.wav" "$out/rendered.wav" > "$out/render.txt" 2>&1 || { cat "$out/render.txt"; fail "tovin-render"; }
grep -q "Plug-in      $root/usr/lib/vst/Tovin.so" "$out/render.txt" || { cat "$out/render.txt"; fail "not the package's plug-in"; }
[ -s "$out/rendered.wav" ] || fail "no rendered file"
step "tovin-render: $(grep Rendered "$out/render.txt")"

# A user preset of their own survives a second setup, also a forced one.
cp "$directory/preset0000.prt" "$directory/preset0501.prt"
sed 's/Vocal Clarity/My Own/' "$directory/preset0000.inf" > "$directory/preset0501.inf"
echo "!INCR_WHEEL#1#" > "$directory/options"
env -i PATH="$PATH" HOME="$out/home" "$root/usr/bin/tovin-user-setup" --force --quiet
grep -q "My Own" "$directory/preset0501.inf" && [ "$(cat "$directory/options")" = "!INCR_WHEEL#1#" ] ||
  fail "a second setup changed the user's files"

# Nothing was written under the package's folders.
changed=$(find "$root/usr" "$root/etc" -newer "$out/installed.mark" | head -n 5)
[ -z "$changed" ] || fail "written under the package: $changed"
dpkg --root="$root" --verify tovin > "$out/verify.txt" 2>&1 || { cat "$out/verify.txt"; fail "dpkg --verify"; }

dpkg --root="$root" --force-not-root --log=/dev/null -r tovin > "$out/remove.txt" 2>&1 || { cat "$out/remove.txt"; fail "dpkg -r"; }
[ ! -e "$root/usr/lib/vst/Tovin.so" ] || fail "Tovin.so left after removal"
[ -f "$directory/preset0501.inf" ] || fail "removal touched the user's directory"
step "removed; the user's directory stays"
echo "deb_check: passed"
