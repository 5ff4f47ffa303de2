# Sourced by the bench scripts: gives the window an X server as a user's desktop would, the
# display you have or an Xvfb server started for the run (ended when the script exits).
tamrix_install_missing xvfb
unset QT_QPA_PLATFORM
if [ -z "${DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb=$!
  trap 'kill "$xvfb" 2>/dev/null || true' EXIT
  export DISPLAY=$display
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
fi
