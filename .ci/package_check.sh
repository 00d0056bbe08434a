#!/usr/bin/env bash
# The Debian package as a user meets it: unpacked into a scratch root, its
# desktop entry and MIME type validated, its program started from there by a
# user with a fresh home. The store must appear in that user's data folder,
# not beside the program, and the installed program's report of the worked
# example must be the one the build's program writes.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
fail() { echo "package check: $*" >&2; exit 1; }

shopt -s nullglob
debs=("$build"/tarnvel_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one tarnvel_*.deb in $build, found ${#debs[@]} (run make package)"
deb=${debs[0]}

scratch=$(mktemp -d)
window=""
cleanup() {
    [ -n "$window" ] && kill "$window" 2>/dev/null || true
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

root=$scratch/root
dpkg-deb -x "$deb" "$root"
echo "package check: $(basename "$deb") unpacked"

# What the package holds and what it asks for.
for file in usr/bin/tarnvel usr/share/tarnvel/examples/reducer_shaft.tvd usr/share/applications/tarnvel.desktop \
    usr/share/icons/hicolor/scalable/apps/tarnvel.svg usr/share/icons/hicolor/48x48/apps/tarnvel.png \
    usr/share/mime/packages/tarnvel.xml usr/share/doc/tarnvel/copyright; do
    [ -f "$root/$file" ] || fail "the package has no /$file"
done
[ -x "$root/usr/bin/tarnvel" ] || fail "/usr/bin/tarnvel is not executable"
file "$root/usr/share/icons/hicolor/48x48/apps/tarnvel.png" | grep -q 'PNG image data, 48 x 48' \
    || fail "the hicolor 48x48 icon is not a 48 px PNG"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libsqlite3-0 libc6 fonts-dejavu-core; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# The menu entry and the scenario files' type, by their own tools.
desktop=$root/usr/share/applications/tarnvel.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
grep -qx 'Exec=tarnvel %f' "$desktop" || fail "the desktop entry does not start tarnvel with the file"
grep -qx 'MimeType=application/x-tarnvel-scenario;' "$desktop" || fail "the desktop entry does not open scenarios"
for key in 'Name=' 'Name\[ru\]=' 'Comment=' 'Comment\[ru\]='; do
    grep -q "^$key" "$desktop" || fail "the desktop entry has no $key"
done
mime=$root/usr/share/mime/packages/tarnvel.xml
xmllint --noout "$mime" || fail "the MIME file is not well-formed XML"
mkdir -p "$scratch/mime/packages"
cp "$mime" "$scratch/mime/packages/"
XDG_DATA_HOME=$scratch update-mime-database "$scratch/mime" || fail "update-mime-database refuses the MIME file"
grep -q ':application/x-tarnvel-scenario:\*\.tvd' "$scratch/mime/globs2" || fail "*.tvd is not a Tarnvel scenario"
grep -q 'xml:lang="ru">Сценарий расчёта вала' "$scratch/mime/application/x-tarnvel-scenario.xml" \
    || fail "the MIME type has no Russian comment"
echo "package check: desktop entry and MIME type valid"

# The installed program, run by a user with a fresh home and no
# XDG_DATA_HOME: its data folder is ~/.local/share/Tarnvel/Tarnvel.
home=$scratch/home
mkdir -p "$home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
user_env=(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$home"
    XDG_RUNTIME_DIR="$scratch/runtime" LANG=C.UTF-8 LC_ALL=C.UTF-8)
as_user() { "${user_env[@]}" "$@"; }
program=$root/usr/bin/tarnvel
example=$root/usr/share/tarnvel/examples/reducer_shaft.tvd
store=$home/.local/share/Tarnvel/Tarnvel/TarnvelN.mdb

# The window with the example given as a file manager gives it. The example
# has three loading points (helical wheel, sprocket, bevel pinion): once the
# user's store holds them and the opening's compaction is over, the example is
# open.
# Started without a shell function in between, so that $! is the window
# itself and the kill below ends it rather than a subshell.
"${user_env[@]}" QT_QPA_PLATFORM=offscreen "$program" "$example" >"$scratch/window.log" 2>&1 &
window=$!
points=""
for _ in $(seq 1 120); do
    if [ -f "$store" ] && [ ! -e "${store%.mdb}.tmp" ]; then
        points=$(sqlite3 "file:$store?mode=ro" 'SELECT COUNT(*) FROM Points' 2>/dev/null || true)
        [ "$points" = 3 ] && break
    fi
    kill -0 "$window" 2>/dev/null || fail "the window ended: $(cat "$scratch/window.log")"
    sleep 0.5
done
[ "$points" = 3 ] || fail "the window did not open the example into $store (points: ${points:-none})"
kill "$window"
wait "$window" 2>/dev/null || true
window=""
[ -z "$(find "$root" -name 'TarnvelN*')" ] || fail "a store was made beside the installed program: $(find "$root" -name 'TarnvelN*')"
echo "package check: the window opened the example with the store in ~/.local/share/Tarnvel/Tarnvel"

# The batch report of the installed example, against the build's program on
# the same example (a copy alone in a folder, so it uses the built-in
# catalogue, as the user's new store does).
mkdir -p "$scratch/installed" "$scratch/built/bin"
as_user "$program" --report "$example" "$scratch/installed/reducer_shaft.htm" >/dev/null \
    || fail "the installed program's batch report failed"
cp "$build/tarnvel" "$scratch/built/bin/tarnvel"
as_user "$scratch/built/bin/tarnvel" --report "$build/examples/reducer_shaft.tvd" "$scratch/built/reducer_shaft.htm" \
    >/dev/null || fail "the build's batch report failed"
[ -z "$(find "$root" -name 'TarnvelN*')" ] || fail "the batch report made a store beside the installed program"
# The page's first line carries the time it was written.
page() { iconv -f WINDOWS-1251 -t UTF-8 "$1" | grep -v "^<u><font size='5'>Расчёт подшипников"; }
diff <(page "$scratch/built/reducer_shaft.htm") <(page "$scratch/installed/reducer_shaft.htm") \
    || fail "the installed program's report differs from the build's"
# Pictures are named after their bytes, so equal pages name equal pictures;
# each one must be there in both folders, byte for byte.
pictures=("$scratch/built/reducer_shaft.files"/*.bmp)
[ ${#pictures[@]} -eq 8 ] || fail "the build's report has ${#pictures[@]} pictures, not the 3 moment diagrams and 5 of the shaft"
for built in "${pictures[@]}"; do
    picture=$(basename "$built")
    cmp -s "$built" "$scratch/installed/reducer_shaft.files/$picture" \
        || fail "the installed program's $picture differs from the build's"
done
echo "package check: the installed program's report is the build's"
echo "package check: passed"
