#!/usr/bin/env bash
# Builds the .deb in a configured build folder (default build/package), checks it
# as Debian checks a package (lintian, the hardening of the executable, a true
# Installed-Size, its dependencies), installs it on this machine and checks the
# installed game the way a desktop and a player meet it: the manual page, the type
# of saved games, and the game started with a save file, then handed one by a
# second start. Needs root and a fresh-enough machine; run by CI.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/package}

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

rm -f "$build"/goalvanta_*.deb "$build"/goalvanta-dbgsym_*.ddeb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/goalvanta_*.deb)
ddeb=$(ls "$build"/goalvanta-dbgsym_*.ddeb)
field() { dpkg-deb -f "$deb" "$1"; }
echo "package: $(field Package) $(field Version), section $(field Section)"
echo "  depends on: $(field Depends)"
echo "  recommends: $(field Recommends)"
[ "$(field Section)" = games ] || fail "section"
# The icon theme the desktop entry's icon is found in; xdg-open for Help and
# OpenAppFolder; the toolkit's plugin for a native Wayland session.
grep -qE '(^|, )hicolor-icon-theme(,|$)' <<<"$(field Depends)" || fail "Depends"
for p in xdg-utils qt6-wayland; do
    grep -qE "(^|, )$p(,|$)" <<<"$(field Recommends)" || fail "Recommends lacks $p"
done

# lintian, as pedantic as it gets: nothing at error or warning level, and every
# tag left on purpose overridden with its reason.
lintian --pedantic --display-info --display-experimental --show-overrides "$deb" "$ddeb" \
    > "$work/lintian.log" 2> "$work/lintian.err" || true
grep -v 'running with root privileges' "$work/lintian.err" >> "$work/lintian.log" || true
echo "lintian --pedantic --display-info --display-experimental --show-overrides:"
sed 's/^/  /' "$work/lintian.log"
! grep -qE '^[EW]: ' "$work/lintian.log" || fail "lintian reports errors or warnings"
! grep -qE '^[IXP]: ' "$work/lintian.log" || fail "lintian tag without an override"

tree=$work/tree
dpkg-deb -x "$deb" "$tree"
program=$tree/usr/lib/goalvanta/goalvanta
file -b "$program" | grep -q ', stripped' || fail "the executable is not stripped"
# Debian 12's own C start files (crt1.o, crti.o of libc6-dev) carry no control-flow
# marker, so no program linked on it has one, whatever its own code; that code's
# protection shows in the endbr64 landing pads that -fcf-protection puts in.
echo "hardening-check:"
hardening-check --nocfprotection "$program" | sed "s|$tree||; s/^/  /" ||
    fail "hardening-check"
[ "$(objdump -d "$program" | grep -c endbr64)" -gt 100 ] || fail "no control-flow protection"

# dpkg's measure: every regular file in whole KiB, one KiB per folder and link.
measured=$(find "$tree" -mindepth 1 \( -type f -printf 'f %s\n' \) -o -printf 'o\n' |
    awk '$1 == "f" { kib += int(($2 + 1023) / 1024); next } { kib += 1 } END { print kib }')
echo "Installed-Size: $(field Installed-Size) KiB; dpkg's measure $measured KiB;" \
     "du -sk $(du -sk "$tree" | cut -f1) KiB; du --apparent-size" \
     "$(du -sk --apparent-size "$tree" | cut -f1) KiB"
[ "$(field Installed-Size)" = "$measured" ] || fail "Installed-Size is not the tree's size"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install"; }
[ -x /usr/games/goalvanta ] && [ -f /usr/lib/goalvanta/goalvanta_help.html ] &&
    [ ! -e /usr/bin/goalvanta ] || fail "installed files"
man -k goalvanta | tee "$work/apropos" | sed 's/^/man -k: /'
grep -q '^goalvanta (6)' "$work/apropos" || fail "man -k goalvanta"

# The system's types, as a file manager asks them, now that the package is in.
{
    printf 'Tovrin'; head -c 14 /dev/zero
    printf 'Goalvanta'; head -c 91 /dev/zero
    printf '1.00'; head -c 2 /dev/zero
    printf '\xa0\x86\x01\x00\xa0\x86\x01\x00\x39\x30\x00\x00\x00\x00\x00\x00\x00\x01\x00'
    head -c 8 /dev/zero
    head -c 60000 /dev/zero
} > "$work/game"
[ "$(stat -c %s "$work/game")" = 60153 ]
cp "$work/game" "$work/05savedata.sav"
cp "$work/game" "$work/mine.gvs"
for f in 05savedata.sav mine.gvs game; do
    type=$(gio info -a standard::content-type "$work/$f" | sed -n 's/.*content-type: //p')
    echo "gio info $f: $type"
    [ "$type" = application/x-goalvanta-save ] || fail "$f is typed $type"
done
gio mime application/x-goalvanta-save | tee "$work/handler" | sed 's/^/gio mime: /'
grep -q 'Default application for .*: example.goalvanta.Goalvanta.desktop' "$work/handler" ||
    fail "the game does not open its saves"

save=$work/game
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_LOGGING_RULES="goalvanta.instance.info=true"
: > "$work/first.log" # there before the loop below reads it
xvfb-run -a /usr/games/goalvanta "$save" > "$work/first.log" 2>&1 &
# The game listens before its window shows and opens its command line's file after:
# wait for the load itself, not only for the server.
for _ in $(seq 100); do grep -q "hand-over of \"$save\" loaded" "$work/first.log" && break; sleep 0.2; done
grep -q "hand-over of \"$save\" loaded" "$work/first.log" || { cat "$work/first.log"; exit 1; }
/usr/games/goalvanta "$save"   # a second start: hands the file over and ends with 0
for _ in $(seq 50); do [ "$(grep -c "hand-over of \"$save\" loaded" "$work/first.log")" = 2 ] && break; sleep 0.2; done
[ "$(grep -c "hand-over of \"$save\" loaded" "$work/first.log")" = 2 ] || { cat "$work/first.log"; exit 1; }
echo "installed game: opened the file given to it and the one a second start handed over"
