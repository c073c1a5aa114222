# A virtual X desktop for demonstrations and measurements, sourced by scripts/run and the
# scripted benchmarks: Xorg with the dummy video driver (outputs DUMMY0 to DUMMY15, switched on and
# off with xrandr the way monitors are plugged and unplugged), openbox and the trayer system tray.
# Everything it starts is stopped by vd_cleanup, which the caller runs on exit.
#
# Needs: $root (the repository), and root privileges for Xorg with the repository's configuration.

vd_work=""
vd_pids=()

# Waits up to $1 seconds for the command that follows to succeed.
vd_wait_for() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@" > /dev/null 2>&1; do
    if [ $SECONDS -ge $end ]; then
      return 1
    fi
    sleep 0.2
  done
}

# Remembers a process to stop at cleanup.
vd_track() { vd_pids+=("$1"); }

vd_cleanup() {
  for ((i = ${#vd_pids[@]} - 1; i >= 0; i--)); do
    kill "${vd_pids[$i]}" 2> /dev/null || true
    wait "${vd_pids[$i]}" 2> /dev/null || true
  done
  vd_pids=()
  if [ -n "$vd_work" ]; then
    rm -rf "$vd_work"
  fi
}

# Starts the desktop with DUMMY0 and DUMMY1 side by side, 1024x768 each, and exports DISPLAY and
# private XDG folders, so that programs started afterwards see only this desktop.
vd_start() {
  if [ ! -f "$root/tests/x11/xorg-dummy.conf" ]; then
    echo "The X test bench's Xorg configuration (tests/x11/xorg-dummy.conf) is missing." >&2
    return 1
  fi
  vd_work=$(mktemp -d /tmp/plimsett-desktop.XXXXXX)
  # No session bus (a tray icon could wander off to the real desktop's tray), no Wayland.
  unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER
  mkdir -p "$vd_work"/{conf.d,config,data,runtime}
  chmod 700 "$vd_work/runtime"
  export XDG_CONFIG_HOME="$vd_work/config" XDG_DATA_HOME="$vd_work/data"
  export XDG_RUNTIME_DIR="$vd_work/runtime" QT_QPA_PLATFORM=xcb

  # Xorg ignores an empty configuration folder and would fall back to the system's.
  echo "# nothing" > "$vd_work/conf.d/00-none.conf"
  Xorg -displayfd 3 -config "$root/tests/x11/xorg-dummy.conf" -configdir "$vd_work/conf.d" \
    -logfile "$vd_work/Xorg.log" -seat seat-plimsett-desktop -noreset -nolisten tcp -novtswitch \
    3> "$vd_work/display" > "$vd_work/Xorg.out" 2>&1 &
  vd_track $!
  if ! vd_wait_for 30 test -s "$vd_work/display"; then
    echo "Xorg did not start (it needs to run as root with this configuration):" >&2
    tail -n 20 "$vd_work/Xorg.out" "$vd_work/Xorg.log" >&2 || true
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$vd_work/display")"
  xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary
  xrandr --addmode DUMMY1 1024x768
  xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0
  xsetroot -solid '#4d6580'

  openbox --config-file "$root/tests/x11/openbox-rc.xml" --sm-disable > "$vd_work/openbox.log" 2>&1 &
  vd_track $!
  vd_wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
  trayer --edge top --align right --widthtype request --height 26 --SetDockType true \
    --SetPartialStrut true --transparent false --tint 0x2b3a4d --monitor primary \
    > "$vd_work/trayer.log" 2>&1 &
  vd_track $!
  vd_wait_for 20 sh -c 'wmctrl -lx | grep -q trayer'
}

# Opens a window titled $1 with frame geometry $2 (WxH+X+Y) showing the text $3.
vd_open_window() {
  xmessage -name "$1" -title "$1" -geometry "$2" -buttons "" "$3" > /dev/null 2>&1 &
  vd_track $!
}

# Starts the built program ($1) on the desktop and waits until it is up and stable.
vd_start_plimsett() {
  "$1" > "$vd_work/plimsett.log" 2>&1 &
  vd_track $!
  vd_plimsett_pid=$!
  if ! vd_wait_for 20 "$1" status; then
    echo "Plimsett did not start:" >&2
    cat "$vd_work/plimsett.log" >&2
    return 1
  fi
  # Plimsett waits 2.5 seconds after the last display event before it adopts the displays.
  vd_wait_for 20 sh -c '"$0" status | grep -q "^Phase: *stable"' "$1"
}
