#!/usr/bin/env bash
# Builds the Debian package as the README says (`tools/setup.sh package`) and checks it as a
# user meets it: the program, its desktop entry, metainfo and icons are in it; its dependencies,
# computed from the libraries, name Qt, libjpeg, libexif, libheif and lcms2 and resolve against the archive;
# the desktop entry and metainfo pass their validators; and the program, unpacked into a
# scratch root, answers --version and starts, and `mallet` beside it corrects a photo.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
id=io.github.tintelo.PhotoMallet
fail() {
    echo "package check: $*" >&2
    exit 1
}

mkdir -p "$top/build-package"
log=$top/build-package/package.log
bash "$top/tools/setup.sh" package >"$log" 2>&1 || {
    tail -n 40 "$log"
    fail "the package did not build (whole log in $log)"
}
debs=("$top"/build-package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in build-package/, found: ${debs[*]}"
deb=${debs[0]}
echo "== $(basename "$deb")"

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
wanted=(./usr/bin/tn_photo_mallet ./usr/bin/mallet ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml)
for size in 16 22 24 32 48 64 128 256 512; do
    wanted+=("./usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for path in "${wanted[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dependency in libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo libexif12 libheif1 liblcms2-2 fonts-dejavu-core xfonts-base; do
    grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends does not name $dependency"
done
# A dry run: apt must find every dependency, installed or in the archive.
apt-get install --simulate --quiet "$deb" >/dev/null || fail "apt cannot satisfy the package's dependencies"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "the desktop entry is not valid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo is not valid"

program=$root/usr/bin/tn_photo_mallet
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version) || fail "--version failed"
[ "$version" = "tn_photo_mallet $(dpkg-deb -f "$deb" Version)" ] || fail "--version printed '$version'"
# The splash, the main window and the event loop: still running when the time is up.
status=0
QT_QPA_PLATFORM=offscreen timeout 8 "$program" >"$root/run.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended with status $status: $(cat "$root/run.log")"
# The batch corrector, installed beside it, corrects a photo.
cp "$top/tests/data/truncated_in_image_data.jpg" "$root/photo.jpg"
"$root/usr/bin/mallet" correct --quiet "$root/photo.jpg" || fail "the installed mallet did not correct a photo"
[ -s "$root/photo_corrected.jpg" ] || fail "the installed mallet wrote no photo_corrected.jpg"
echo "The package holds a working program and batch corrector."
