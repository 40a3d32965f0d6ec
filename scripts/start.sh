#!/usr/bin/env bash
# Builds Tessel, starts the simulated device on loopback and the program pointed at it.
# The simulator stops when the program exits.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build

tcp_port=7007
serial_link=/tmp/tessel-serial
appdir=$PWD/build/src

# First run: point the address editor at the simulator.
if [ ! -f "$appdir/ini/info.ini" ]; then
  mkdir -p "$appdir/ini"
  printf '[SerialPort]\nCOM=0\nSeralFlag=false\nIP=127.0.0.1\n' >"$appdir/ini/info.ini"
fi

build/sim/tessel-sim --tcp-port "$tcp_port" --serial-link "$serial_link" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
sleep 0.5

args=(--port "$tcp_port" --serial-port "$serial_link")
if [ -z "${DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "No display: running under Xvfb (set DISPLAY to see the window)."
  xvfb-run -a -s "-screen 0 1280x800x24" build/src/tessel "${args[@]}"
else
  build/src/tessel "${args[@]}"
fi
