#!/bin/bash
# xwindow_test.sh: the desktop build in a real X window (Xvfb, 1366 x 768),
# driven by real key presses (xdotool), twice: at TOMO_SCALE=1, and at the
# scale it chooses itself for that screen (2). Its screenshots must show,
# pixel for pixel in RGB 5-6-5, each pixel of the frames that the console
# stand-in saves for the same keys as a block of the scale's size; in the
# second window keys are pressed for over 10 seconds while the status tick
# draws and presents from its own thread; each window is closed at the end.
# Usage: xwindow_test.sh TOMO-DESKTOP STANDIN.so FONT RGB565CMP XCLOSE [PICTURES-DIR]
# With PICTURES-DIR, the list, a page, a Russian page, a page of a Windows
# text, a novel's first page in the plain view and in the book view and the
# help line of the second window are saved there, as a reader sees them.
set -euo pipefail
tomo=$1 standin=$2 font=$3 cmp=$4 xclose=$5 pictures=${6:-}

work=$(mktemp -d)
tomo_pid="" xvfb_pid=""
cleanup() {
    if [ -n "$tomo_pid" ]; then kill "$tomo_pid" 2> /dev/null || true; fi
    # wait for the server to go: a dying one removes its socket late, and
    # would take it from a new server given the same display number
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2> /dev/null && wait "$xvfb_pid" 2> /dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "xwindow_test: $*" >&2; exit 1; }

tree=$work/tree frames=$work/frames shots=$work/shots
mkdir -p "$tree/books/old" "$frames" "$shots"
# the chosen view is kept here, not in the state folder of whoever runs this
export XDG_STATE_HOME=$work/state
cp "$font" "$tree/simplefont.tga"
printf 'Buy milk.\nCall the shop about the lamp.\n' > "$tree/books/notes.txt"
printf 'An older draft.\n' > "$tree/books/ALPHA.TXT"
# Tolstoy in Russian (UTF-8), and in Constance Garnett's English as it is
# commonly found: Windows-1252, its apostrophes and dashes in 0x91..0x97
printf '%s\n\n' "Анна Каренина" "Мне отмщение, и аз воздам." \
    "Все счастливые семьи похожи друг на друга, каждая несчастливая семья несчастлива по-своему." \
    "Всё смешалось в доме Облонских. Жена узнала, что муж был в связи с бывшею в их доме француженкою-гувернанткой, и объявила мужу, что не может жить с ним в одном доме." \
    > "$tree/books/Анна Каренина.txt"
printf '%b' 'Stepan Arkadyevitch sighed, wiped his face, and with\na subdued tread walked out of the room. "Matvey says\nshe will come round; but how? I don\x92t see the least\nchance of it. Ah, oh, how horrible it is! And how\nvulgarly she shouted," he said to himself,\nremembering her shriek and the words\x97"scoundrel"\nand "mistress."\n\nStepan Arkadyevitch was fond of a joke: "And maybe\nshe will come round! That\x92s a good expression,\n\x91_come round,_\x92" he thought. "I must repeat that."\n\n"You won\x92t dine at home?" said Matvey, seeing him\noff. "That\x92s as it happens. But here\x92s for the\nhousekeeping," he said. "That\x92ll be enough."\n' \
    > "$tree/books/anna-karenina.txt"
# A novel's narration as it is commonly found, hard-wrapped at 70 columns
# by an editor: a line takes words while they fit.
awk 'BEGIN {
    p[0] = "The morning came slowly over the roofs of the small town, and by the time the baker had opened his shutters the whole street smelled of bread and wet stone. Nobody in the house across the square had slept well; the letter that had arrived the evening before lay unopened on the table in the hall, and everybody who passed it looked at it and went on."
    p[1] = "She came down at eight, dressed as if for a journey, and asked the maid whether the carriage had been ordered. The maid said that it had not, that nobody had said anything about a carriage, and that the master was still asleep. She stood for a long moment at the window, then took the letter, turned it over twice, and put it into her pocket without a word."
    p[2] = "It was only in the afternoon, when the rain had stopped and the light had gone yellow and thin, that her brother found her in the garden, sitting on the bench under the old pear tree with her hands in her lap, and understood from her face that she had read it."
    for (i = 0; i < 3; i++) {
        n = split(p[i], w, " ")
        line = w[1]
        for (j = 2; j <= n; j++) {
            if (length(line) + 1 + length(w[j]) > 70) { print line; line = w[j] }
            else line = line " " w[j]
        }
        printf "%s\n\n", line } }' > "$tree/books/tale.txt"
awk 'BEGIN {
    s[0] = "The lamp burned low while the rain kept on at the window."
    s[1] = "Nobody in the house had slept since the letter came,"
    s[2] = "and the clock in the hall went on counting as if nothing had happened."
    s[3] = "In the morning the road was white with frost."
    for (i = 1; i <= 60; i++) {
        printf "%d. ", i
        for (j = 0; j < 6; j++) printf "%s ", s[(i + j) % 4]
        printf "\n\n" } }' > "$tree/books/story.txt"

# key name for xdotool, key name for the stand-in, picture after it; the
# folder books/ lists "..", ALPHA.TXT, anna-karenina.txt, notes.txt, old,
# story.txt, tale.txt, "Анна Каренина.txt". The tale's first page is shown
# in the plain view, then in the book view (Tab) and back.
steps=(
    "Down Down -"
    "Return Return -"
    "Down Down -"
    "Down Down list"
    "Return Return windows"
    "Escape Escape -"
    "End End -"
    "Return Return russian"
    "Escape Escape -"
    "End End -"
    "Up Up -"
    "Return Return plainview"
    "Tab Tab bookview"
    "Tab Tab -"
    "Escape Escape -"
    "End End -"
    "Up Up -"
    "Up Up -"
    "Return Return page"
    "Next PageDown page2"
    "End End end"
    "Home Home home"
)

# --- the stand-in's frames for the same keys --------------------------------
script=$work/script
for step in "${steps[@]}"; do
    read -r _ key shot <<< "$step"
    printf 'keydown %s\nkeyup %s\n' "$key" "$key" >> "$script"
    [ "$shot" != - ] && printf 'shot %s.bmp\n' "$shot" >> "$script"
done
printf 'wait 10500\nshot help.bmp\nquit\n' >> "$script"
(cd "$tree" && env LD_PRELOAD="$standin" SDL_VIDEODRIVER=dummy TOMO_SCALE=1 TOMO_STANDIN_SCRIPT="$script" \
    TOMO_STANDIN_OUT="$frames" TOMO_STANDIN_LOG="$work/standin.log" "$tomo" > /dev/null) \
    || fail "the stand-in session failed"
rm -f "$tree"/books/.*.tomo "$tree"/books/.*.tomo-book "$XDG_STATE_HOME/tomo/view"
for f in "$frames"/*.bmp; do convert "$f" -depth 8 "rgb:${f%.bmp}.rgb"; done

# --- the real window ---------------------------------------------------------
# A display number of its own, away from the low ones that servers of
# other runs take. -noreset: the server would otherwise reset whenever its
# last client left (the readiness probe, the first window) and refuse
# connections meanwhile.
n=$(( 100 + $$ % 800 ))
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1366x768x24 -nolisten tcp -noreset 2> "$work/xvfb.log" &
xvfb_pid=$!
export DISPLAY=":$n"
for _ in $(seq 100); do
    xdotool getdisplaygeometry > /dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2> /dev/null || fail "Xvfb did not start on $DISPLAY: $(tail -n 3 "$work/xvfb.log")"
    sleep 0.1
done
xdotool getdisplaygeometry > /dev/null 2>&1 || fail "Xvfb on $DISPLAY takes no connection"

alive() { kill -0 "$tomo_pid" 2> /dev/null || fail "tomo died: $(cat "$work/tomo.err")"; }
elapsed_ms() { echo $(( ($(date +%s%N) - started) / 1000000 )); }
shoot() { xwd -id "$window" -silent > "$shots/$1.xwd" && convert "$shots/$1.xwd" -depth 8 "rgb:$shots/$1.rgb"; }

# Starts tomo in a real window (whatever driver the calling environment
# chose), with TOMO_SCALE set to $1 or unset for "", and checks that the
# window is `scale` times the screen.
open_window() {
    (cd "$tree" && unset SDL_VIDEODRIVER && if [ -n "$1" ]; then export TOMO_SCALE=$1; else unset TOMO_SCALE; fi \
        && exec "$tomo" > "$work/tomo.out" 2> "$work/tomo.err") &
    tomo_pid=$!
    started=$(date +%s%N)
    window=""
    for _ in $(seq 300); do
        window=$(xdotool search --name "gp2x_tomo - Text Viewer v0.2" 2> /dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        how=running
        if ! kill -0 "$tomo_pid" 2> /dev/null; then
            how=0
            wait "$tomo_pid" || how=$?
            how="exited with $how"
        fi
        tomo_pid=""
        fail "no window appeared on $DISPLAY (tomo $how: $(cat "$work/tomo.err"); Xvfb: $(tail -n 3 "$work/xvfb.log"))"
    fi
    xdotool windowfocus --sync "$window"
    local size
    size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
    [ "$size" = "$((320 * scale))x$((240 * scale))" ] || fail "the window is $size at scale $scale"
}

# The window must come to show the stand-in's frame: whole, while no status
# tick can have changed it (the first, at 5 s, draws nothing new in these
# frames; the second, at 10 s, draws the help line), later everything above
# the status line. Retried for a while, as a loaded machine may lag.
compare() {
    local name=$1 frame=$2 rows=""
    [ "$(elapsed_ms)" -lt 9500 ] || rows="0 224"
    for _ in $(seq 20); do
        shoot "$name"
        # shellcheck disable=SC2086
        "$cmp" "$shots/$name.rgb" "$frames/$frame.rgb" "$scale" $rows 2> "$work/cmp.err" && return 0
        sleep 0.2
    done
    fail "$name differs from the stand-in's frame at scale $scale${rows:+ above the status line}: $(cat "$work/cmp.err")"
}

play_steps() {
    for step in "${steps[@]}"; do
        read -r key _ shot <<< "$step"
        xdotool key "$key"
        sleep 0.1
        alive
        [ "$shot" = - ] || compare "$shot" "$shot"
    done
    echo "scale $scale: frames identical to the stand-in's; $(elapsed_ms) ms in"
}

close_window() {
    "$xclose" "$window"
    for _ in $(seq 100); do kill -0 "$tomo_pid" 2> /dev/null || break; sleep 0.1; done
    kill -0 "$tomo_pid" 2> /dev/null && fail "closing the window did not end tomo"
    status=0
    wait "$tomo_pid" || status=$?
    tomo_pid=""
    [ "$status" = 0 ] || fail "tomo exited with $status after the window was closed"
    echo "scale $scale: window closed, tomo exited 0"
    rm -f "$tree"/books/.*.tomo "$tree"/books/.*.tomo-book "$XDG_STATE_HOME/tomo/view"
}

# --- scale 1, asked for --------------------------------------------------------
scale=1
open_window 1
play_steps
close_window

# --- the scale chosen for 1366 x 768: 2 ---------------------------------------
scale=2
open_window ""
play_steps

# Keys for over 10 seconds while the status tick draws and presents.
keys=(Down Down Next Up Prior End Home Down Next Next Up)
until [ "$(elapsed_ms)" -gt 16000 ]; do
    for key in "${keys[@]}"; do xdotool key "$key"; sleep 0.04; done
    alive
done
xdotool key Home
alive
compare after home
echo "survived the key storm with an intact picture"

# The help line comes with a later tick: wait for the whole frame.
matched=""
for _ in $(seq 160); do
    shoot help
    if "$cmp" "$shots/help.rgb" "$frames/help.rgb" "$scale" 2> /dev/null; then matched=1; break; fi
    sleep 0.25
done
[ -n "$matched" ] || fail "the help line never matched the stand-in's"
echo "help line frame identical"

if [ -n "$pictures" ]; then
    mkdir -p "$pictures"
    for name in list page russian windows plainview bookview help; do
        convert "$shots/$name.xwd" "$pictures/$name.png"
    done
fi
close_window
