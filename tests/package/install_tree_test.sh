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
save=application-x-goalvanta-save
for f in lib/goalvanta/goalvanta lib/goalvanta/goalvanta_help.html \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg \
         share/icons/hicolor/16x16/apps/$id.png share/icons/hicolor/256x256/apps/$id.png \
         share/icons/hicolor/scalable/mimetypes/$save.svg \
         share/icons/hicolor/16x16/mimetypes/$save.png \
         share/icons/hicolor/256x256/mimetypes/$save.png \
         share/man/man6/goalvanta.6.gz share/doc/goalvanta/copyright \
         share/doc/goalvanta/changelog.gz share/lintian/overrides/goalvanta; do
    [ -e "$prefix/$f" ] || fail "missing $f"
done
# A game's command lives on the games PATH; nothing goes in bin.
[ ! -e "$prefix/bin" ] || fail "bin/ is installed"
[ -L "$prefix/games/goalvanta" ] || fail "games/goalvanta is not a link"
[ "$(readlink -f "$prefix/games/goalvanta")" = "$(readlink -f "$prefix/lib/goalvanta/goalvanta")" ] ||
    fail "games/goalvanta does not lead to the program"
# The help page must stay beside the program the link leads to.
"$prefix/games/goalvanta" --version | grep -qx "Goalvanta 1.00" || fail "--version"

# The manual page: well-formed, and naming every option --help lists.
zcat "$prefix/share/man/man6/goalvanta.6.gz" > "$prefix/goalvanta.6"
warnings=$(groff -man -ww -z -Tutf8 "$prefix/goalvanta.6" 2>&1) || fail "man page does not format"
[ -z "$warnings" ] || fail "man page: $warnings"
help=$("$prefix/games/goalvanta" --help)
for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -qF -- "${option//-/\\-}" "$prefix/goalvanta.6" || fail "man page lacks $option"
done
zcat "$prefix/share/doc/goalvanta/changelog.gz" | dpkg-parsechangelog -l - -S Version |
    grep -qx 1.00 || fail "changelog version"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
grep -qxF "Exec=$prefix/games/goalvanta %f" "$prefix/share/applications/$id.desktop" ||
    fail "Exec line"
grep -q '^MimeType=application/x-goalvanta-save;$' "$prefix/share/applications/$id.desktop" ||
    fail "MimeType line"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "metainfo"
update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "mime database"
echo "install tree: all present and valid"
