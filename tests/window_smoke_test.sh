#!/usr/bin/env bash
# Starts the real window program under Xvfb, waits for its window, closes it with Ctrl+Q and
# expects exit code 0. Skipped (77) where Xvfb or xdotool is missing.
set -u
program=$1
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "xvfb-run or xdotool missing"; exit 77; }
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
export QT_QPA_PLATFORM=xcb # the real platform, whatever the test run set
exec timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$1" & pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "이미지에서" | head -n 1)
  [ -n "$window" ] || { echo "no window appeared"; kill $pid; exit 1; }
  xdotool windowfocus --sync "$window" && xdotool key --clearmodifiers ctrl+q
  wait $pid; code=$?
  echo "exit code $code"
  exit $code' smoke "$program"
