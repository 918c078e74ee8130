#!/usr/bin/env bash
# Idle cost of the real window: the processor time the running program takes
# while nobody touches it, as a share of one core, read from /proc/PID/stat
# (user + system time) over a measuring span (20 s unless given).
#
#   bash bench/idle_cost.sh [SECONDS] [ROUNDS]     (QUILLMOOR_BIN=… measures another build)
#
# Prints one line per state and round: the overview, the space page, and the
# tray icon alone (the window closed), each with the share of a core and the
# resident memory (VmRSS, and its anonymous part), then how long the window
# took to come back from the tray (from the click on "Open Quillmoor" in the
# tray panel to the window mapped, and to its first frame as the program's
# log has it); then the lowest of each over the rounds.
# Other work on the machine raises the figures: compare lowest with lowest.
#
# Runs ./build/quillmoor (build it first) on a temporary home, under its own
# Xvfb display with a tray host, so the window and the tray icon exist as on a
# desktop. Needs these Debian packages, which the README's commands do not
# install (this script is not part of them):
#   xvfb          the X server without a screen
#   trayer        a tray host, so the program finds a system tray
#   python3-xlib  to click in the window and close it, as a person would
# With IDLE_SHOTS=FOLDER it also keeps a picture of the screen in each state
# (ImageMagick's import), to check that each state is the one measured.
set -euo pipefail

span=${1:-20}
rounds=${2:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
program="${QUILLMOOR_BIN:-$root/build/quillmoor}"  # another build to compare with
python=/usr/bin/python3  # the system's, which has python3-xlib

for tool in Xvfb trayer; do
    command -v "$tool" >/dev/null || { echo "idle_cost: $tool is missing (apt-get install ${tool,,})" >&2; exit 1; }
done
"$python" -c 'import Xlib.ext.xtest' 2>/dev/null || { echo "idle_cost: python3-xlib is missing" >&2; exit 1; }
[ -x "$program" ] || { echo "idle_cost: build first ($program is missing)" >&2; exit 1; }

work=$(mktemp -d /tmp/quillmoor-idle.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=97
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >"$work/trayer.log" 2>&1 &
pids+=($!)
sleep 1

# Drives the window through the X server: find it, click at a point of it, close it.
x11() {
    "$python" - "$@" <<'EOF'
import sys, time
from Xlib import X, display, protocol
from Xlib.ext import xtest

d = display.Display()
def windows(w):
    yield w
    for child in w.query_tree().children:
        yield from windows(child)
def viewable(test):  # the first shown window that passes test
    for w in windows(d.screen().root):
        try:
            if w.get_attributes().map_state == X.IsViewable and test(w):
                return w
        except Exception:
            pass
    return None
def main_window():
    return viewable(lambda w: w.get_wm_name() == "Quillmoor")
def ours(w):
    cls = w.get_wm_class()
    return cls is not None and cls[0] == "quillmoor"
def press(w, x, y):  # a click at x y inside window w; returns when the button went down
    at = w.translate_coords(d.screen().root, 0, 0)
    xtest.fake_input(d, X.MotionNotify, x=x - at.x, y=y - at.y)
    d.sync()
    time.sleep(0.1)
    start = time.monotonic()
    xtest.fake_input(d, X.ButtonPress, 1)
    xtest.fake_input(d, X.ButtonRelease, 1)
    d.sync()
    return start
command = sys.argv[1]
if command == "wait":
    for _ in range(300):
        if main_window():
            sys.exit(0)
        time.sleep(0.1)
    sys.exit(1)
if command == "tray":  # a click on the program's tray icon
    icon = viewable(lambda w: ours(w) and w.get_geometry().width <= 64)
    if icon is None:
        sys.exit(1)
    press(icon, icon.get_geometry().width // 2, icon.get_geometry().height // 2)
    sys.exit(0)
if command == "reopen":  # "Open Quillmoor" in the open tray panel; prints the ms until the window is mapped
    panel = viewable(lambda w: ours(w) and w.get_geometry().width == 320)
    if panel is None:
        sys.exit(1)
    start = press(panel, 95, panel.get_geometry().height - 33)
    while time.monotonic() - start < 10:
        if main_window():
            print("%.0f" % ((time.monotonic() - start) * 1000))
            sys.exit(0)
        time.sleep(0.002)
    sys.exit(1)
w = main_window()
if w is None:
    sys.exit(1)
if command == "click":  # x y inside the window
    press(w, int(sys.argv[2]), int(sys.argv[3]))
elif command == "close":  # as a window manager's close button does
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=w, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    w.send_event(event)
    d.sync()
EOF
}

# A picture of the whole screen as FOLDER/NAME.png, when asked for.
shot() { if [ -n "${IDLE_SHOTS:-}" ]; then mkdir -p "$IDLE_SHOTS"; import -window root "$IDLE_SHOTS/$1.png"; fi; }

# Processor time of PID in clock ticks (user + system, fields 14 and 15 of its stat).
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# A field of PID's status in MB (VmRSS: all it holds in memory; RssAnon: the
# part not mapped from files).
resident() { awk -v field="$2:" '$1 == field { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# The share of one core PID used over the span, in per cent, then its
# resident and anonymous memory in MB at the span's end.
measure() {
    local pid=$1 before after
    before=$(ticks "$pid")
    sleep "$span"
    after=$(ticks "$pid")
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$span" 'BEGIN { printf "%.1f", t / hz / s * 100 }'
    printf ' %s %s' "$(resident "$1" VmRSS)" "$(resident "$1" RssAnon)"
}

declare -A lowest least
reopens=()
for round in $(seq "$rounds"); do
    home="$work/home-$round"
    mkdir -p "$home/.config" "$home/.local/share" "$home/.cache"
    # A home with a dozen folders and files of different sizes, so that the
    # space page turns a full map of twelve planets.
    size=3000000
    for name in Documents Music Pictures Videos Downloads Projects Desktop Books Games; do
        mkdir -p "$home/$name"
        head -c "$size" /dev/zero >"$home/$name/data"
        size=$((size * 4 / 5))
    done
    for name in disk.iso backup.zip clip.mov; do
        head -c "$size" /dev/zero >"$home/$name"
        size=$((size * 4 / 5))
    done
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
        QT_QPA_PLATFORM=xcb "$program" >"$work/quillmoor-$round.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    x11 wait || { echo "idle_cost: the window did not appear (see $work)" >&2; cat "$work/quillmoor-$round.log" >&2; exit 1; }
    sleep 5  # the start and the first measuring have settled

    figures=()
    shot "overview-$round"
    figures+=("overview $(measure "$pid")")
    # "Espaço" in the sidebar (the seventh row) opens the space page.
    x11 click 80 314
    sleep 5
    shot "space-$round"
    figures+=("space $(measure "$pid")")
    x11 close
    sleep 3
    kill -0 "$pid" 2>/dev/null || { echo "idle_cost: the program quit when its window closed (no tray?)" >&2; exit 1; }
    shot "tray-only-$round"
    figures+=("tray-only $(measure "$pid")")
    # Back through the tray: its icon opens the panel, whose "Open Quillmoor" opens the window.
    x11 tray || { echo "idle_cost: no tray icon to click" >&2; exit 1; }
    sleep 1.5
    mapped=$(x11 reopen) || { echo "idle_cost: the window did not come back from the tray" >&2; exit 1; }
    sleep 2
    shot "reopened-$round"
    drawn=$(grep -o 'first frame in [0-9]* ms' "$home/.local/state/Quillmoor/runtime.log" | tail -1 | grep -o '[0-9]\+' || echo '?')
    reopens+=("$mapped $drawn")
    printf 'round %d  window back from the tray: mapped in %s ms, first frame in %s ms\n' "$round" "$mapped" "$drawn"
    kill "$pid"
    wait "$pid" 2>/dev/null || true

    for figure in "${figures[@]}"; do
        read -r state value rss anon <<<"$figure"
        printf 'round %d  %-10s %5s %% of a core, %6s MB (anonymous %s MB)\n' "$round" "$state" "$value" "$rss" "$anon"
        if [ -z "${lowest[$state]:-}" ] || awk -v a="$value" -v b="${lowest[$state]}" 'BEGIN { exit !(a < b) }'; then
            lowest[$state]=$value
        fi
        if [ -z "${least[$state]:-}" ] || awk -v a="$rss" -v b="${least[$state]%% *}" 'BEGIN { exit !(a < b) }'; then
            least[$state]="$rss $anon"
        fi
    done
done
slowest=$(printf '%s\n' "${reopens[@]}" | sort -n | tail -1)
printf 'slowest  window back from the tray: mapped in %s ms, first frame in %s ms\n' ${slowest}
for state in overview space tray-only; do
    read -r rss anon <<<"${least[$state]}"
    printf 'lowest   %-10s %5s %% of a core, %6s MB (anonymous %s MB) (over %d s, %d rounds)\n' \
        "$state" "${lowest[$state]}" "$rss" "$anon" "$span" "$rounds"
done
