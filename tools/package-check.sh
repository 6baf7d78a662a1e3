#!/usr/bin/env bash
# Makes the Debian package from build/ (after tools/build.sh), checks its desktop entry and
# metainfo, unpacks it into a throwaway root and starts the installed program there: offscreen,
# once with --folder, once as an installed program keeps its files (in the user's data
# folder); each time SIGTERM must end it with status 0 and its settings written.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KOLVANE_BUILD_DIR:-$top/build}
work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cmake --build "$build" -j"$(nproc)" --target kolvane icons >/dev/null
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -f "$deb" Depends | sed 's/^/  Depends: /'
dpkg-deb -f "$deb" Recommends | sed 's/^/  Recommends: /'

root=$work/root
dpkg -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml >"$work/as.log" ||
    { cat "$work/as.log"; exit 1; }
for f in usr/bin/kolvane usr/libexec/kolvane/kolvane-access-reader \
    usr/share/icons/hicolor/scalable/apps/io.kolvane.Kolvane.svg \
    usr/share/icons/hicolor/48x48/apps/io.kolvane.Kolvane.png; do
    [ -e "$root/$f" ] || { echo "package-check: $f missing" >&2; exit 1; }
done
# The installed Access reader reads an Access file (the program finds it in libexec/kolvane).
"$root/usr/libexec/kolvane/kolvane-access-reader" tables "$top/tests/fixtures/nwind.mdb" \
    >"$work/tables.out" && [ -s "$work/tables.out" ] ||
    { echo "package-check: the installed Access reader does not read an Access file" >&2; exit 1; }
echo "installed Access reader: reads tests/fixtures/nwind.mdb"

# Starts the installed program with the given arguments until it has made its call database in
# the folder $1, then asks it to close.
start_and_stop() {
    local folder=$1
    shift
    env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" \
        XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
        "$root/usr/bin/kolvane" "$@" >"$work/out.log" 2>&1 &
    pid=$!
    for _ in $(seq 200); do
        [ -e "$folder/Kolvane.mdb" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    sleep 0.5
    kill -TERM "$pid" 2>/dev/null || true
    local status=0
    wait "$pid" || status=$?
    pid=""
    if [ "$status" -ne 0 ] || [ ! -s "$folder/Kolvane.ini" ]; then
        echo "package-check: the installed program ended with status $status," \
            "files in $folder: $(ls "$folder" 2>/dev/null | tr '\n' ' ')" >&2
        cat "$work/out.log" >&2
        exit 1
    fi
}
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
start_and_stop "$work/folder" --folder "$work/folder"
echo "installed program with --folder: started, closed on SIGTERM with status 0"
start_and_stop "$work/home/.local/share/kolvane"
echo "installed program without --folder: its files in \$XDG_DATA_HOME/kolvane, status 0"
