#!/usr/bin/env bash
# Makes the README's screenshot with the program itself: writes a short stereo sound (three
# plucked notes), opens it, moves the play position into the second note and grabs the view
# with the script line `grab`. Offscreen, null audio backend.
#
#   bash scripts/screenshot.sh [path/to/quorbel] [output.png]
#
# Defaults: build/release/quorbel and docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/release/quorbel}
output=${2:-docs/screenshot.png}
[[ -x $program ]] || { echo "no program at $program (bash scripts/run.sh builds it)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quorbel-shot.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"

# 1.5 s, 22050 Hz, 16-bit stereo: A3, C#4, E4 plucked one after the other, the right channel
# a little later and softer than the left.
perl -e '
    my ($rate, $frames) = (22050, 33075);
    my @notes = ([0.0, 220.0], [0.5, 277.18], [1.0, 329.63]);
    my $data = "";
    for my $i (0 .. $frames - 1) {
        my $t = $i / $rate;
        my @lr = (0, 0);
        for my $c (0, 1) {
            my $tc = $t - 0.012 * $c;
            for my $n (@notes) {
                my $u = $tc - $n->[0];
                next if $u < 0;
                my $env = (1 - exp(-$u * 300)) * exp(-$u * 4.5);
                my $w = 6.2831853 * $n->[1] * $u;
                $lr[$c] += $env * (sin($w) + 0.45 * sin(2 * $w) + 0.2 * sin(3 * $w));
            }
            $lr[$c] *= $c ? 7000 : 9000;
        }
        $data .= pack("s<s<", @lr);
    }
    print "RIFF", pack("V", 36 + length $data), "WAVEfmt ", pack("VvvVVvv", 16, 1, 2, $rate,
        $rate * 4, 4, 16), "data", pack("V", length $data), $data;
' >"$work/three-notes.wav"

mkdir -p "$(dirname "$output")"
printf 'slider 8800\ngrab %s\n' "$(realpath -m "$output")" >"$work/script.txt"
QT_QPA_PLATFORM=offscreen QUORBEL_AUDIO=null XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work \
    "$program" --no-settings --script "$work/script.txt" "$work/three-notes.wav" 2> >(grep -v propagateSizeHints >&2)
echo "wrote $output"
