#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that everything is where a
# desktop expects it, valid by the desktop's own validators.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
id=example.goalvanta.Goalvanta
for f in lib/goalvanta/goalvanta lib/goalvanta/goalvanta_help.html \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg \
         share/icons/hicolor/16x16/apps/$id.png share/icons/hicolor/256x256/apps/$id.png; do
    [ -e "$prefix/$f" ] || fail "missing $f"
done
[ -L "$prefix/bin/goalvanta" ] || fail "bin/goalvanta is not a link"
[ "$(readlink -f "$prefix/bin/goalvanta")" = "$(readlink -f "$prefix/lib/goalvanta/goalvanta")" ] ||
    fail "bin/goalvanta does not lead to the program"
# The help page must stay beside the program the link leads to.
"$prefix/bin/goalvanta" --version | grep -qx "Goalvanta 1.00" || fail "--version"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
grep -q '^Exec=goalvanta %f$' "$prefix/share/applications/$id.desktop" || fail "Exec line"
grep -q '^MimeType=application/x-goalvanta-save;$' "$prefix/share/applications/$id.desktop" ||
    fail "MimeType line"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "metainfo"
update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "mime database"
echo "install tree: all present and valid"
