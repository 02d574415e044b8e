#!/usr/bin/env bash
# The real window program under Xvfb, driven by real key presses: a search changes what the
# window shows, a zoom changes it again and Ctrl+0 brings the search's view back, Esc brings
# back the view at start, pixel for pixel; Ctrl+Q ends it with exit code 0. Skipped (77) where
# Xvfb, xdotool or ImageMagick is missing.
set -u
program=$1
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && [ -x /usr/bin/import ] && [ -x /usr/bin/compare ] ||
  { echo "xvfb-run, xdotool or ImageMagick missing"; exit 77; }
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
export QT_QPA_PLATFORM=xcb # the real platform, whatever the test run set
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
exec timeout 90 xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  shots=$2
  "$1" & pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "이미지에서" | head -n 1)
  [ -n "$window" ] || { echo "no window appeared"; kill $pid; exit 1; }
  xdotool mousemove 1200 780                    # the pointer away from the picture
  press() { xdotool windowfocus --sync "$window" key --clearmodifiers "$1"; sleep 1; }
  # The picture and the status line, below the panel, whose buttons show focus and presses.
  shoot() { /usr/bin/import -window "$window" -crop 649x400+0+46 +repage "$shots/$1.png"; }
  differ() { [ "$(/usr/bin/compare -metric AE "$shots/$1.png" "$shots/$2.png" null: 2>&1)" != 0 ]; }
  sleep 1; shoot start
  press ctrl+f; shoot searched
  press ctrl+equal; shoot zoomed
  press ctrl+0; shoot unzoomed
  press Escape; shoot cleared
  press ctrl+q
  wait $pid; code=$?
  echo "exit code $code"
  differ start searched || { echo "the search showed no frames"; exit 1; }
  differ searched zoomed || { echo "the zoom changed nothing"; exit 1; }
  differ searched unzoomed && { echo "Ctrl+0 did not bring the view back"; exit 1; }
  differ start cleared && { echo "Esc did not bring the picture back"; exit 1; }
  exit $code' smoke "$program" "$shots"
