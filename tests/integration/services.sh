#!/bin/bash
# Runs a command among private test services and stops exactly what it started:
#   services.sh command [args...]
# - Xvfb on a free display (1280x800) with openbox (EWMH: docks reserve space and
#   _NET_WORKAREA follows their struts) and trayer as a system tray host;
# - a PulseAudio server with a null sink, with ALSA's "default" routed to it;
# - dovecot POP3 on 127.0.0.1 (user u, password p, two messages waiting) on a free
#   port, or on $TARVIK_POP3_PORT when it is set (needs root; skipped otherwise).
# The command sees DISPLAY, XDG_RUNTIME_DIR, HOME (a fresh temporary home, so no
# settings leak in or out), PULSE_SERVER, TARVIK_POP3_PORT, TARVIK_SERVICES_DIR
# (logs) and TARVIK_TEST_SERVICES=1, which tells tests that the desktop, the sound
# server and the mail box are theirs to change; TARVIK_WM_PID, TARVIK_TRAY_PID and
# TARVIK_PULSE_PID name the window manager, the tray host and the sound server, for
# tests that stop or replace them. The command's exit status is ours.
# The home holds the program's settings with the automatic update check off and
# the server address on the loopback, so that nothing leaves the machine.
# A script given as the command may ask for another screen size with a line
# "# screen: WIDTHxHEIGHT".
# Packages: xvfb openbox trayer x11-utils x11-xserver-utils xdotool imagemagick fonts-dejavu-core
#           pulseaudio pulseaudio-utils libasound2-plugins dovecot-pop3d netcat-openbsd
set -euo pipefail
if (($# == 0)); then echo "usage: $0 command [args...]" >&2; exit 2; fi

W=$(mktemp -d /tmp/tarvik-services.XXXXXX)
mkdir -p "$W"/{run,home,dovecot/mail/u/Maildir/{new,cur,tmp}}
chmod 755 "$W" "$W/dovecot"   # dovecot's auth process runs as its own user and must reach the passwd file
chmod 700 "$W/run"
export XDG_RUNTIME_DIR=$W/run HOME=$W/home TARVIK_SERVICES_DIR=$W TARVIK_TEST_SERVICES=1
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER || true

# The screen size a test script asks for, else 1280x800.
SCREEN=1280x800
for a in "$@"; do
  if [[ $a == *.sh && -f $a ]]; then
    s=$(sed -n 's/^# screen: \([0-9]\+x[0-9]\+\)$/\1/p' "$a" | head -1)
    [[ -n $s ]] && SCREEN=$s
  fi
done

# No test run may reach outside: no automatic update check, and the update and
# report server on a loopback port where nothing listens.
mkdir -p "$XDG_CONFIG_HOME/tarvik"
printf '[Settings]\nmajAuto=0\nadresseServeur=http://127.0.0.1:9\n' >"$XDG_CONFIG_HOME/tarvik/tarvik.ini"

PIDS=()
status=1
# A pid is signalled only while it is still our child: a service that a test
# stopped itself (the window manager, the tray host, the sound server) was reaped
# by this shell, and its pid may belong to another process by now.
ours() { [[ $(ps -o ppid= -p "$1" 2>/dev/null | tr -d ' ') == "$$" ]]; }
stop_pid() { if ours "$1"; then kill "$1" 2>/dev/null || true; fi; wait "$1" 2>/dev/null || true; }
# The end of the services' logs, for a failure: a server that ended or a client
# that lost its connection says so there.
show_logs() {
  local f
  for f in "$W"/xvfb.log "$W"/openbox.log "$W"/trayer.log; do
    [[ -s $f ]] && { echo "services: end of $(basename "$f"):"; tail -n 5 "$f" | sed 's/^/  /'; }
  done >&2
  return 0
}
cleanup() {
  local i
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
    if ours "${PIDS[i]}"; then kill "${PIDS[i]}" 2>/dev/null || true; fi
  done
  for i in "${PIDS[@]}"; do wait "$i" 2>/dev/null || true; done
  if ((status == 0)) && [[ -z ${TARVIK_KEEP_SERVICES:-} ]]; then
    rm -rf "$W"
  else
    show_logs
    echo "services: logs kept in $W" >&2
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
wait_for() { for _ in $(seq 300); do eval "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done; echo "services: timeout: $1" >&2; return 1; }

# X server on a display it picks itself (-displayfd), with openbox. Another X server
# starting at the same moment can take the same number; then both are started again.
# -noreset: the probes below connect and leave before the window manager is up, and a
# server that resets when its last client leaves can drop the clients connecting then.
start_x() {
  : >"$W/display"
  exec 3>"$W/display"
  Xvfb -displayfd 3 -screen 0 "${SCREEN}x24" -nolisten tcp -noreset >>"$W/xvfb.log" 2>&1 & PIDS+=($!)
  local xpid=$!
  exec 3>&-
  wait_for "test -s '$W/display'" || return 1
  export DISPLAY=:$(head -1 "$W/display")
  wait_for "kill -0 $xpid && xdpyinfo" || return 1
  openbox --sm-disable >>"$W/openbox.log" 2>&1 & PIDS+=($!)
  local wmpid=$!
  export TARVIK_WM_PID=$wmpid
  wait_for "kill -0 $wmpid && kill -0 $xpid && xprop -root _NET_SUPPORTING_WM_CHECK | grep 'window id' >/dev/null" || return 1
  wait_for "xprop -root _NET_WORKAREA | grep ' = ' >/dev/null"
}
stop_started() { # stops every process started since index $1
  local i
  for ((i = ${#PIDS[@]} - 1; i >= $1; i--)); do
    stop_pid "${PIDS[i]}"; unset "PIDS[$i]"
  done
  PIDS=("${PIDS[@]}")
}
# A tray host at the bottom edge, so that QSystemTrayIcon::isSystemTrayAvailable() is true.
# A loaded machine can be slow to map it, so it gets 30 seconds.
start_tray() {
  trayer --edge bottom --align right --widthtype request --height 24 >>"$W/trayer.log" 2>&1 & PIDS+=($!)
  local tpid=$!
  for _ in $(seq 300); do
    # grep reads the whole listing: a `grep -q` would stop at the match while
    # xwininfo still writes (the tree is longer than its output buffer), and
    # under pipefail the writer's SIGPIPE fails the test although it matched.
    if xwininfo -root -tree 2>/dev/null | grep '"panel"' >/dev/null; then export TARVIK_TRAY_PID=$tpid; return 0; fi
    kill -0 "$tpid" 2>/dev/null || { echo "services: the tray host ended" >&2; return 1; }
    sleep 0.1
  done
  echo "services: the tray host showed no panel" >&2
  return 1
}
# The X server, its window manager and the tray host are started again together
# when one of them fails: a tray host that cannot start may be the sign of an X
# server that ended.
for attempt in 1 2 3; do
  first=${#PIDS[@]}
  start_x && start_tray && break
  show_logs
  stop_started "$first"
  ((attempt < 3)) || { echo "services: no X server with a window manager and a tray host" >&2; exit 1; }
  echo "services: desktop start failed, trying again" >&2
  : >"$W/xvfb.log"; : >"$W/openbox.log"; : >"$W/trayer.log"
done

# Sound server with a null sink. ALSA's "default" is pointed at it explicitly (the
# plugin's own hook only does so when the server already runs as ALSA reads its
# configuration): "Master" then has a 0..65536 volume and a playback switch.
cat >"$HOME/.asoundrc" <<'ASOUND'
pcm.!default { type pulse }
ctl.!default { type pulse }
ASOUND
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
pulseaudio --daemonize=no --system=false --exit-idle-time=-1 -n --disallow-exit \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native" \
  -L "module-null-sink sink_name=nullsink" \
  --log-target=file:"$W/pulse.log" >"$W/pulse.out" 2>&1 & PIDS+=($!)
export TARVIK_PULSE_PID=$!
wait_for "pactl info"
pactl set-default-sink nullsink

# POP3 server on 127.0.0.1: user u, password p, two messages of a few hundred bytes.
start_pop3() {
  local D=$W/dovecot port=$1
  echo 'u:{PLAIN}p' >"$D/passwd"
  local i
  for i in 1 2; do
    {
      printf 'From: Tester <tester@example.invalid>\r\nTo: u@example.invalid\r\n'
      printf 'Subject: Test message %d\r\nDate: Mon, 1 Jan 2024 10:0%d:00 +0000\r\n' "$i" "$i"
      printf 'Message-ID: <%d@example.invalid>\r\n\r\n' "$i"
      for _ in 1 2 3 4 5 6; do printf 'This is line of test message %d, written to give it some weight.\r\n' "$i"; done
    } >"$D/mail/u/Maildir/new/$i.M${i}P1.test"
  done
  chown -R nobody:nogroup "$D/mail"
  cat >"$D/dovecot.conf" <<CONF
base_dir = $D/run
state_dir = $D/state
log_path = $D/dovecot.log
listen = 127.0.0.1
protocols = pop3
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain apop
auth_failure_delay = 0
first_valid_uid = 1
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $D/passwd
}
userdb {
  driver = static
  args = uid=nobody gid=nogroup home=$D/mail/%u
}
mail_location = maildir:~/Maildir
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $port
  }
  inet_listener pop3s {
    port = 0
  }
}
service imap-login {
  inet_listener imap {
    port = 0
  }
  inet_listener imaps {
    port = 0
  }
}
CONF
  dovecot -F -c "$D/dovecot.conf" >>"$D/dovecot.out" 2>&1 & PIDS+=($!)
  local pid=$!
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || return 1
    if printf 'QUIT\r\n' | nc -q 1 127.0.0.1 "$port" 2>/dev/null | grep '^+OK' >/dev/null; then return 0; fi
    sleep 0.1
  done
  return 1
}
if [[ $(id -u) != 0 ]]; then
  echo "services: not root, so no POP3 server (TARVIK_POP3_PORT unset)" >&2
  unset TARVIK_POP3_PORT
elif [[ -n ${TARVIK_POP3_PORT:-} ]]; then
  start_pop3 "$TARVIK_POP3_PORT" || { echo "services: POP3 server failed on port $TARVIK_POP3_PORT" >&2; exit 1; }
else
  started=
  for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    nc -z 127.0.0.1 "$port" 2>/dev/null && continue
    if start_pop3 "$port"; then started=$port; break; fi
    stop_started $((${#PIDS[@]} - 1))
  done
  [[ -n $started ]] || { echo "services: POP3 server failed to start" >&2; exit 1; }
  export TARVIK_POP3_PORT=$started
fi

echo "services: up after ${SECONDS}s (DISPLAY=$DISPLAY, POP3 port ${TARVIK_POP3_PORT:-none}, logs $W)" >&2
set +e
"$@"
status=$?
exit $status
