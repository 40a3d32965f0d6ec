#!/usr/bin/env bash
# Installs the build into a temporary prefix, makes it read-only and starts the
# installed program twice with a fresh home: the first start (Connect against
# the installed simulator) must save the settings in the user's folder, the
# second must read them back (it connects to the address saved there).
set -euo pipefail
umask 022 # the unprivileged user must read the installed tree
build=$(cd "$1" && pwd)

work=$(mktemp -d /tmp/tessel-install.XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls (never sleeps on a guess) until the command succeeds, 60 s at most.
wait_for() {
  local what=$1; shift
  for _ in $(seq 600); do
    "$@" && return 0
    sleep 0.1
  done
  fail "$what"
}

prefix_rel=opt/tessel
DESTDIR="$work/root" cmake --install "$build" --prefix "/$prefix_rel" >"$work/install.log"
prefix=$work/root/$prefix_rel
for f in bin/tessel bin/tessel-sim \
         share/applications/org.tessel.Tessel.desktop \
         share/metainfo/org.tessel.Tessel.metainfo.xml \
         share/icons/hicolor/scalable/apps/tessel.svg \
         share/icons/hicolor/48x48/apps/tessel.png \
         share/icons/hicolor/256x256/apps/tessel.png \
         share/tessel/image/wait.gif share/doc/tessel/copyright; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
chmod -R a-w "$work/root"

# Root writes through any permission: the program then runs as nobody.
home=$work/home
mkdir "$home"
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown 65534:65534 "$home"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
settings=$home/.config/tessel/ini/info.ini

# A simulated device on a free port, logging every frame it receives.
start_sim() {
  local n=$1
  "$prefix/bin/tessel-sim" --tcp-port 0 --log "$work/frames$n.log" >"$work/sim$n.out" 2>&1 &
  pids+=($!)
  wait_for "simulator $n did not start" grep -qs '^tcp ' "$work/sim$n.out"
  sim_port=$(sed -n 's/^tcp [0-9.]*:\([0-9]*\)$/\1/p' "$work/sim$n.out")
}

start_tessel() {
  local n=$1; shift
  "${as_user[@]}" env -u TESSEL_APP_DIR -u XDG_CONFIG_HOME HOME="$home" \
    QT_QPA_PLATFORM=offscreen "$prefix/bin/tessel" "$@" >"$work/tessel$n.out" 2>&1 &
  tessel_pid=$!
  pids+=("$tessel_pid")
}

stop_tessel() {
  kill "$tessel_pid" 2>/dev/null || true
  wait "$tessel_pid" 2>/dev/null || true
}

alive() { kill -0 "$tessel_pid" 2>/dev/null || fail "tessel exited: $(cat "$work/tessel$1.out")"; }
saved() { alive "$1" && grep -qx 'IP=127.0.0.1' "$settings" 2>/dev/null; }
reached_device() { alive "$1" && [ -s "$work/frames$1.log" ]; }

# First start: the address from the command line, Connect, settings saved.
start_sim 1
start_tessel 1 --port "$sim_port" --address 127.0.0.1 --connect
wait_for "first start saved no settings in $settings" saved 1
stop_tessel
[ -z "$(find "$work/root" -name info.ini)" ] || fail "settings written into the prefix"

# Second start, against a new device: only the saved file names its address.
start_sim 2
start_tessel 2 --port "$sim_port" --connect
wait_for "second start did not connect to the saved address" reached_device 2
stop_tessel
grep -qx 'SeralFlag=false' "$settings" || fail "link kind not kept: $(cat "$settings")"
echo "settings in $settings, read back by the second start"
