#!/usr/bin/env bash
# The program's start: --help, --version and bad options answer without a window;
# the window opens on every display the toolkit reaches; and with no display at all
# the program says so in one line and ends with status 1, without a core dump. A
# picture named on the command line is on the board; a bad one is told, and the
# game starts with the built-in picture.
# Usage: startup_test.sh KALVERO SCREENCHECK PICTURE VERSION
set -uo pipefail
kalvero=$1 screencheck=$2 picture=$3 version=$4
scratch=$(mktemp -d)
xvfb=
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
cd "$scratch"
mkdir -m 700 runtime && export XDG_RUNTIME_DIR=$scratch/runtime
ulimit -c unlimited 2>/dev/null || true   # an abort would leave a core file here

fail() { echo "FAIL: $*"; [ -n "${err:-}" ] && echo "stderr: $err"; exit 1; }
# run CMD...: runs without any display in the environment; sets status, out and err.
run() {
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" 2>"$scratch/stderr")
    status=$?
    err=$(<"$scratch/stderr")
}
no_core() { ! ls "$scratch" | grep -q core || fail "$1 left a core file"; }

echo "== --help and --version, with no display"
run timeout 10 "$kalvero" --help
[ "$status" -eq 0 ] || fail "--help ended with $status"
grep -q -- "--version" <<<"$out" && grep -q "^Употреба: kalvero \[опции\] \[ФАЙЛ\]" <<<"$out" \
    && ! grep -q -- "--decode" <<<"$out" || fail "--help printed: $out"
run timeout 10 "$kalvero" --version
[ "$status" -eq 0 ] && [ "$out" = "Kalvero $version" ] || fail "--version ended with $status and printed '$out'"
run timeout 10 "$kalvero" -platform offscreen --help-all
[ "$status" -eq 0 ] && grep -q -- "-platform" <<<"$out" || fail "--help-all ended with $status"

echo "== unknown options, and more than one picture, told in Bulgarian"
for bad in "--no-such-option:непозната опция „no-such-option“" "-x:непозната опция „x“" \
           "one.png two.png:една картина наведнъж: „two.png“ е в повече"; do
    run env QT_QPA_PLATFORM=offscreen timeout 10 "$kalvero" ${bad%%:*}
    [ "$status" -eq 2 ] || fail "'${bad%%:*}' ended with $status"
    [ -z "$out" ] && [ "$(head -1 <<<"$err")" = "kalvero: ${bad#*:}" ] && grep -q "^Опциите: kalvero --help$" <<<"$err" \
        || fail "'${bad%%:*}' printed '$out'"
done

echo "== a zoom the window has no proportions for"
run env QT_QPA_PLATFORM=offscreen timeout 10 "$kalvero" --zoom 3
[ "$status" -eq 2 ] && [ "$(head -1 <<<"$err")" = "kalvero: мащабът „3“ не е 1, 1.5 или 2" ] || fail "--zoom 3 ended with $status: $err"
run env QT_QPA_PLATFORM=offscreen timeout 10 "$kalvero" --zoom
[ "$status" -eq 2 ] && [ "$(head -1 <<<"$err")" = "kalvero: опцията „--zoom“ иска стойност" ] || fail "--zoom alone: $err"

echo "== no display"
for display in "" :97; do
    run env ${display:+DISPLAY=$display} timeout 10 "$kalvero"
    [ "$status" -eq 1 ] || fail "DISPLAY='$display' ended with $status"
    [ "$(wc -l <<<"$err")" -eq 1 ] && grep -q "^kalvero: няма екран.*xvfb-run -a kalvero$" <<<"$err" || fail "DISPLAY='$display' said: $err"
    no_core "DISPLAY='$display'"
done

echo "== -platform offscreen with no DISPLAY"
run timeout 3 "$kalvero" -platform offscreen
[ "$status" -eq 124 ] || fail "it ended with $status instead of running until stopped"

echo "== a plain start loads the JPEG image plugin and no other"
run env QT_DEBUG_PLUGINS=1 timeout 2 "$kalvero" -platform offscreen
loaded=$(grep -o 'imageformats/[a-z]*\.so" loaded library' <<<"$err" | sort -u | tr '\n' ' ')
[ "$loaded" = 'imageformats/libqjpeg.so" loaded library ' ] || fail "the start loaded: $loaded"

echo "== a bad picture on the command line: told, and the game runs"
mkfifo "$scratch/pipe.png"
fsi=$'\xE2\x81\xA8' pdi=$'\xE2\x81\xA9'   # around a name, so that it turns nothing in the line around
printf 'Нощна стража\n' >"$scratch/-reverse"
for file in "missing.png:няма такъв файл" "pipe.png:това не е обикновен файл"; do
    run timeout 3 "$kalvero" -platform offscreen "$scratch/${file%%:*}"
    [ "$status" -eq 124 ] || fail "with ${file%%:*} it ended with $status"
    grep -q "^kalvero: „$fsi${file%%:*}$pdi“ не може да се отвори: ${file#*:}.$" <<<"$err" || fail "${file%%:*} was not told"
done
# After "--" a name is the player's, though Qt would take it for its own option.
run timeout 3 "$kalvero" -platform offscreen -- -reverse   # in $scratch
grep -q "^kalvero: „$fsi-reverse$pdi“ не може да се отвори: това не е изображение" <<<"$err" || fail "'-- -reverse' was not read: $err"
# Control characters in a name reach the terminal as pictures, not as commands to it.
run timeout 3 "$kalvero" -platform offscreen "$scratch/"$'\e]0;pwned\a\e[2J'".png"
grep -qF "kalvero: „$fsi␛]0;pwned␇␛[2J.png$pdi“ не може да се отвори: няма такъв файл." <<<"$err" \
    && ! grep -q $'\e' <<<"$err" || fail "a name's control characters reached the terminal: $(cat -v <<<"$err")"

echo "== an X server on its abstract socket only"
Xvfb -displayfd 3 -nolisten unix -nolisten tcp -noreset -screen 0 640x480x24 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=:$(<"$scratch/display")
[ "$display" != : ] || fail "Xvfb did not start: $(<"$scratch/xvfb.log")"
[ ! -e "/tmp/.X11-unix/X${display#:}" ] || fail "Xvfb made a socket file after all"
# shows PICTURE [ARGS...]: starts the program on that display and waits until the
# screen shows PICTURE, unscaled.
shows() {
    local picture=$1
    shift
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY="$display" "$kalvero" "$@" 2>"$scratch/stderr" &
    local program=$! found=0
    DISPLAY="$display" QT_QPA_PLATFORM=xcb "$screencheck" "$picture" 20 || found=$?
    kill $program 2>/dev/null
    wait $program 2>/dev/null
    err=$(<"$scratch/stderr")
    return $found
}
shows "$picture" || fail "the window did not show the picture on $display"

echo "== zoomed, on a projector's screen of 1024 x 768"
Xvfb -displayfd 4 -nolisten tcp -noreset -screen 0 1024x768x24 4>"$scratch/projector" 2>/dev/null &
projector=$!
for _ in $(seq 50); do [ -s "$scratch/projector" ] && break; sleep 0.1; done
big=:$(<"$scratch/projector")
convert "$picture" -scale 200% "$scratch/picture-2x.png"
env -u QT_QPA_PLATFORM DISPLAY="$big" "$kalvero" --zoom 2 2>/dev/null &
program=$!
DISPLAY="$big" QT_QPA_PLATFORM=xcb "$screencheck" "$scratch/picture-2x.png" 20 || { kill $program $projector; fail "--zoom 2 did not show every pixel as a sharp 2 x 2 block"; }
kill $program; wait $program 2>/dev/null
# --projector takes the largest zoom that fits: there 1.5, for 2 is too tall.
env -u QT_QPA_PLATFORM DISPLAY="$big" "$kalvero" --projector 2>/dev/null &
program=$!
size=
for _ in $(seq 50); do
    size=$(DISPLAY="$big" xdotool search --name "пъзел" getwindowgeometry 2>/dev/null | sed -n 's/.*Geometry: //p')
    [ -n "$size" ] && break
    sleep 0.1
done
kill $program $projector 2>/dev/null
wait $program $projector 2>/dev/null
[ "$size" = 699x636 ] || fail "on a 1024 x 768 screen --projector made the window '$size', not 699 x 636 (zoom 1.5)"

echo "== a picture of one's own from the command line, its name not valid text"
convert -size 300x250 gradient:'#1030a0-#f0d040' -fill '#c02020' -draw 'circle 150,125 150,60' \
        -fill '#20a040' -draw 'rectangle 20,20 90,230' "$scratch/own.png"
own=$scratch/$'\xff'own.png
cp "$scratch/own.png" "$own"
shows "$scratch/own.png" "$own" || fail "the window did not show the picture named on the command line"
echo "all start-up cases passed"
