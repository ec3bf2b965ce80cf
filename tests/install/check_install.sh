#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks what a desktop gets: the program runs
# from bin/, the launcher passes desktop-file-validate and names the window's class, the
# running window has that class (under Xvfb, where it can be had), the AppStream metainfo
# passes appstreamcli (offline), every icon is a PNG of its folder's size, the manual page
# formats without warnings, and the README, licence and changelog are there.
#
#   check_install.sh BUILD_DIR APP_ID
set -uo pipefail

build=$1
id=$2
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

dest=$(mktemp -d "${TMPDIR:-/tmp}/quorbel-install.XXXXXX")
trap 'rm -rf "$dest"' EXIT
if ! DESTDIR="$dest" cmake --install "$build" --prefix /usr >"$dest.log" 2>&1; then
    cat "$dest.log" >&2
    rm -f "$dest.log"
    echo "FAIL: cmake --install" >&2
    exit 1
fi
rm -f "$dest.log"
root=$dest/usr
echo "installed:"
(cd "$dest" && find . -type f | sort | sed 's/^\./  /')

# The program, where the launcher's Exec finds it.
[[ -x $root/bin/quorbel ]] || fail "no executable bin/quorbel"
version=$("$root/bin/quorbel" --version 2>/dev/null) || fail "the installed program does not run"
[[ $version == Quorbel\ * ]] || fail "bin/quorbel --version said: $version"

# The launcher.
desktop=$root/share/applications/$id.desktop
if [[ -f $desktop ]]; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [[ -z $out ]] || fail "desktop-file-validate had remarks: $out"
    grep -qx 'Exec=quorbel %F' "$desktop" || fail "the launcher's Exec line"
    grep -qx "Icon=$id" "$desktop" || fail "the launcher's Icon line"
    grep -qx 'MimeType=audio/x-wav;audio/wav;audio/vnd.wave;' "$desktop" || fail "MimeType"
    grep -qx 'Categories=AudioVideo;Audio;AudioVideoEditing;' "$desktop" || fail "Categories"
    # Docks tie a window to its launcher by this class.
    grep -qx "StartupWMClass=$id" "$desktop" || fail "StartupWMClass is not $id"
else
    fail "no $desktop"
fi

# The window's class, as the X server has it, is the launcher's name.
if command -v xvfb-run >/dev/null && command -v xwininfo >/dev/null; then
    mkdir -p "$dest/home" "$dest/runtime"
    chmod 700 "$dest/runtime"
    printf 'wait 60000\n' >"$dest/wait.txt"
    # On the X server, whatever platform the caller chose (the test command picks offscreen).
    window=$(HOME=$dest/home XDG_CONFIG_HOME=$dest/home/.config XDG_RUNTIME_DIR=$dest/runtime \
        QUORBEL_AUDIO=null QT_QPA_PLATFORM=xcb xvfb-run -a bash -c '
            "$1" --no-settings --script "$2" >/dev/null 2>&1 &
            program=$!
            for _ in $(seq 150); do
                line=$(xwininfo -root -tree 2>/dev/null | grep -m1 "\"Quorbel[^\"]*\": (\"")
                [[ -n $line ]] && break
                sleep 0.2
            done
            kill "$program" 2>/dev/null
            wait "$program" 2>/dev/null
            echo "$line"' _ "$root/bin/quorbel" "$dest/wait.txt" 2>/dev/null)
    # xwininfo: 0x400009 "Quorbel - Wave1": ("quorbel" "org.quorbel.Quorbel")  400x546+0+0 ...
    class=$(sed -n 's/.*: ("[^"]*" "\([^"]*\)").*/\1/p' <<<"$window")
    [[ $class == "$id" ]] || fail "the running window's class is '$class', not $id ($window)"
else
    echo "skipped: the running window's class (no xvfb-run or xwininfo)"
fi

# The AppStream metainfo, checked without the network.
metainfo=$root/share/metainfo/$id.metainfo.xml
if [[ -f $metainfo ]]; then
    out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not name the launcher"
else
    fail "no $metainfo"
fi

# The icons: PNG files whose width and height match their folder.
for size in 16 22 24 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/$id.png
    if [[ ! -f $icon ]]; then
        fail "no ${size}x${size} icon"
        continue
    fi
    header=$(od -An -tx1 -N24 "$icon" | tr -d ' \n')
    [[ ${header:0:16} == 89504e470d0a1a0a ]] || fail "$icon is no PNG"
    width=$((16#${header:32:8}))
    height=$((16#${header:40:8}))
    [[ $width == "$size" && $height == "$size" ]] || fail "$icon is ${width}x${height}"
done

# The manual page: compressed, and formatted without a warning.
man=$root/share/man/man1/quorbel.1.gz
if [[ -f $man ]]; then
    if command -v man >/dev/null; then
        out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null)
        [[ -z $out ]] || fail "man --warnings: $out"
        text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$man" 2>/dev/null)
        for word in --list-devices --output-device --input-device --script --no-settings \
            QUORBEL_OUTPUT_DEVICE "SCRIPT LANGUAGE" "print recent" ID_FILE_MRU_FILE1 \
            XDG_CONFIG_HOME share/doc/quorbel/README.md; do
            [[ $text == *"$word"* ]] || fail "the manual page does not mention $word"
        done
    fi
else
    fail "no $man"
fi

# Licence and changelog where Debian looks for them, and the README that --help names.
grep -q '^License: Expat' "$root/share/doc/quorbel/copyright" 2>/dev/null || fail "copyright"
gzip -t "$root/share/doc/quorbel/changelog.gz" 2>/dev/null || fail "changelog.gz"
readme=$root/share/doc/quorbel/README.md
grep -q '`print recent`' "$readme" 2>/dev/null || fail "no README with the script language"
"$root/bin/quorbel" --help 2>/dev/null | grep -qF "$readme" || fail "--help does not name $readme"

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all install checks passed"
