#!/usr/bin/env bash
# Installs what is needed, builds, and starts Kolvane.
#
#   tools/run.sh                 the demo: a simulated TA sends a call every few seconds,
#                                with the program's files in demo/ (kept between runs)
#   tools/run.sh --folder DIR    the program with the files in DIR (e.g. a real TA set up in
#                                DIR/Kolvane.ini)
#
# Without a display it starts a virtual one (Xvfb) and says how to take a screenshot.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

folder=""
while [ $# -gt 0 ]; do
    case "$1" in
    --folder)
        [ $# -ge 2 ] || { echo "run.sh: --folder needs a folder" >&2; exit 2; }
        folder=$2
        shift 2
        ;;
    -h | --help)
        sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *)
        echo "run.sh: unknown argument: $1" >&2
        exit 2
        ;;
    esac
done

"$top/tools/install-deps.sh"
# Only what the demo needs: the program and the sample phonebook's maker, not the tests.
"$top/tools/build.sh" kolvane kolvane-sample-phonebook

app_pid=""
sim_pid=""
xvfb_pid=""
stop() {
    # Closing the program is a close request (it writes its settings), so it goes first.
    local pid
    for pid in "$app_pid" "$sim_pid" "$xvfb_pid"; do
        if [ -n "$pid" ]; then
            kill -TERM "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    app_pid="" sim_pid="" xvfb_pid=""
    return 0
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Runs the program until it ends; the script's own INT/TERM traps stay live meanwhile.
run_program() {
    "$top/build/kolvane" "$@" &
    app_pid=$!
    local status=0
    wait "$app_pid" || status=$?
    app_pid=""
    return $status
}

if [ -z "${DISPLAY:-}" ]; then
    display=99
    while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${display}" ] && break
        sleep 0.1
    done
    export DISPLAY=":$display"
    echo "No display: running on the virtual display $DISPLAY. A screenshot (x11-apps and"
    echo "imagemagick, installed by tools/install-deps.sh):"
    echo "  xwd -root -display $DISPLAY | convert xwd:- shot.png"
    echo "  (or: import -display $DISPLAY -window root shot.png)"
fi

if [ -n "$folder" ]; then
    status=0
    run_program --folder "$folder" || status=$?
    exit $status
fi

# --- the demo
demo="$top/demo"
mkdir -p "$demo"
rm -f "$demo/ta-sim.out"
"$top/tools/ta-sim" --demo --log "$demo/ta-sim.log" >"$demo/ta-sim.out" </dev/null &
sim_pid=$!
device=""
for _ in $(seq 100); do
    device=$(head -n 1 "$demo/ta-sim.out" 2>/dev/null || true)
    [ -n "$device" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$device" ]; then
    echo "run.sh: the simulated TA did not start" >&2
    exit 1
fi
echo "Simulated TA on $device (its log: demo/ta-sim.log)"

# The settings file: a fresh one the first time; later only the TA's device is replaced, so
# the settings chosen in earlier demo runs survive.
python3 - "$demo/Kolvane.ini" "$device" <<'EOF'
import os, sys
path, device = sys.argv[1], sys.argv[2]

def num(v):
    return (" %d " % v) if v >= 0 else ("%d " % v)

def quoted(t):
    return '"' + t + '"'

defaults = [
    num(0),  # ShowDate: 0 shows the running time
    num(0),  # AlwaysOnTop
    num(0),  # TrayMode
    num(20),  # TrayDelaySeconds
    quoted(""),  # RingFile
    num(0),  # RingOn
    num(1),  # PortNumber
    num(200),  # MainLeft (twips)
    num(200),  # MainTop
    num(0),  # PhonebookLeft
    num(0),  # PhonebookTop
    "#FALSE#",  # RefEnabled
    quoted(""), quoted(""), quoted(""), quoted(""), quoted(""), quoted(""),  # reference names
    quoted(device),  # PortName
    quoted("9600,n,8,1"),  # PortSettings
    num(0),  # PortHandshaking
]

lines = None
if os.path.exists(path):
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    if len(lines) < 18:
        lines = None  # damaged: start afresh
if lines is None:
    lines = [d.encode("ascii") for d in defaults]
else:
    while len(lines) < 21:
        lines.append(defaults[len(lines)].encode("ascii"))
    lines[18] = quoted(device).encode("ascii")

tmp = path + ".tmp"
with open(tmp, "wb") as f:
    f.write(b"".join(l + b"\r\n" for l in lines))
os.replace(tmp, path)
EOF

"$top/build/src/kolvane-sample-phonebook" "$demo"

status=0
run_program --folder "$demo" || status=$?
exit $status
