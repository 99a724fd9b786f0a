#!/bin/sh
# Builds tovin_<version>_amd64.deb from a Linux build: the plug-in and its file dialog in
# /usr/lib/vst, tovin-render and tovin-user-setup in /usr/bin, the factory bank in /usr/share/tovin,
# and the login hooks that give each user a writable copy of it (see tovin-user-setup).
# Usage: packaging/debian/build-deb.sh BUILD_DIR VERSION [OUT_DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
version=$2
out=${3:-$build}
root="$build/deb-root"
deb="$out/tovin_${version}_amd64.deb"

rm -rf "$root"
mkdir -p "$root/DEBIAN" "$root/usr/lib/vst" "$root/usr/bin" "$root/usr/share/tovin" \
  "$root/usr/share/doc/tovin" "$root/usr/share/man/man1" "$root/etc/profile.d" "$root/etc/xdg/autostart"

# Binaries without their debugging sections, as Debian ships them.
strip_to() { strip --strip-unneeded --remove-section=.comment --remove-section=.note -o "$2" "$1"; }
strip_to "$build/Tovin.so" "$root/usr/lib/vst/Tovin.so"
strip_to "$build/Morvashel.so" "$root/usr/lib/vst/Morvashel.so"
strip_to "$build/tools/render/tovin-render" "$root/usr/bin/tovin-render"
chmod 0644 "$root/usr/lib/vst/"*.so
install -m 0755 "$here/tovin-user-setup" "$root/usr/bin/tovin-user-setup"

install -m 0644 "$top/presets/factory/InitSettings" "$top"/presets/factory/preset*.inf \
  "$top"/presets/factory/preset*.prt "$top/packaging/common/options" "$root/usr/share/tovin/"
install -m 0644 "$here/tovin-profile.sh" "$root/etc/profile.d/tovin.sh"
install -m 0644 "$here/tovin-user-setup.desktop" "$root/etc/xdg/autostart/"

install -m 0644 "$here/copyright" "$root/usr/share/doc/tovin/"
# The user guide with its pictures, and as HTML where Debian's python3-markdown is installed.
install -m 0644 "$top/docs/guide.md" "$top"/docs/*.png "$root/usr/share/doc/tovin/"
if /usr/bin/python3 -c 'import markdown' 2>/dev/null; then
  sh "$top/docs/render_guide.sh" "$root/usr/share/doc/tovin" > /dev/null
  install -D -m 0644 "$here/tovin-guide.doc-base" "$root/usr/share/doc-base/tovin-guide"
fi
sed "s/@VERSION@/$version/" "$here/changelog" | gzip -9n > "$root/usr/share/doc/tovin/changelog.gz"
for page in tovin-render tovin-user-setup; do
  sed "s/@VERSION@/$version/" "$here/$page.1" | gzip -9n > "$root/usr/share/man/man1/$page.1.gz"
done
chmod 0644 "$root/usr/share/doc/tovin/"* "$root/usr/share/man/man1/"*

# The libraries the binaries need, as Debian's own tool finds them.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/debian"
printf 'Source: tovin\n\nPackage: tovin\nArchitecture: amd64\n' > "$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O "$root/usr/lib/vst/Tovin.so" "$root/usr/lib/vst/Morvashel.so" \
  "$root/usr/bin/tovin-render" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" "$here/control.in" > "$root/DEBIAN/control"
install -m 0644 "$here/conffiles" "$root/DEBIAN/conffiles"
(cd "$root" && find usr etc -type f -exec md5sum {} + | sort -k2) > "$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -type d -exec chmod 0755 {} +

mkdir -p "$out"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
