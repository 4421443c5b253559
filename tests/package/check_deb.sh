#!/usr/bin/env bash
# Builds the .deb, installs it on this machine, and checks the installed game the
# way a player meets it: started with a save file, then handed one by a second
# start. Needs root and a fresh-enough machine; run by CI.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/default

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/goalvanta_*.deb)
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
dpkg-deb -f "$deb" Section | grep -qx games
echo "package: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)," \
     "depends on: $(dpkg-deb -f "$deb" Depends)"
[ -x /usr/bin/goalvanta ] && [ -f /usr/lib/goalvanta/goalvanta_help.html ]

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
# A saved game: the header, a fresh main player, 10000 empty opponent records.
save=$work/game
{
    printf 'Tovrin'; head -c 14 /dev/zero
    printf 'Goalvanta'; head -c 91 /dev/zero
    printf '1.00'; head -c 2 /dev/zero
    printf '\xa0\x86\x01\x00\xa0\x86\x01\x00\x39\x30\x00\x00\x00\x00\x00\x00\x00\x01\x00'
    head -c 8 /dev/zero
    head -c 60000 /dev/zero
} > "$save"
[ "$(stat -c %s "$save")" = 60153 ]

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_LOGGING_RULES="goalvanta.instance.info=true"
xvfb-run -a goalvanta "$save" > "$work/first.log" 2>&1 &
for _ in $(seq 100); do grep -q "listening at" "$work/first.log" && break; sleep 0.2; done
grep -q "hand-over of \"$save\" loaded" "$work/first.log" || { cat "$work/first.log"; exit 1; }
goalvanta "$save"   # a second start: hands the file over and ends with 0
for _ in $(seq 50); do [ "$(grep -c "hand-over of \"$save\" loaded" "$work/first.log")" = 2 ] && break; sleep 0.2; done
[ "$(grep -c "hand-over of \"$save\" loaded" "$work/first.log")" = 2 ] || { cat "$work/first.log"; exit 1; }
echo "installed game: opened the file given to it and the one a second start handed over"
