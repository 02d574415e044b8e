#!/usr/bin/env bash
# The real window program under Xvfb, driven by real key presses: a search changes what the
# window shows, a zoom changes it again and Ctrl+0 brings the search's view back, Esc brings
# back the view at start, pixel for pixel; a PNG with transparency opened through the file
# dialog and searched under "투명"; a region chosen in the list, deleted and brought back with
# Ctrl+Z; its icons and atlas saved through the dialogs by keys alone, as find-icons writes
# them; Ctrl+Q ends it with exit code 0. Skipped (77) where Xvfb, xdotool or ImageMagick is
# missing.
set -u
program=$1 find_icons=$2
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && [ -x /usr/bin/import ] && [ -x /usr/bin/compare ] &&
  [ -x /usr/bin/convert ] || { echo "xvfb-run, xdotool or ImageMagick missing"; exit 77; }
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
export QT_QPA_PLATFORM=xcb # the real platform, whatever the test run set
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
# Two sprites on transparency.
/usr/bin/convert -size 160x120 xc:none -fill '#d02020' -draw 'rectangle 10,10 50,40' -fill '#2040d0' -draw 'circle 110,70 130,90' \
  "png32:$shots/sprites.png" || exit 1
mkdir "$shots/icons"
"$find_icons" "$shots/sprites.png" -b transparent --crop "$shots/cli-icons" --atlas "$shots/cli.json" || exit 1
exec timeout 150 xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  shots=$2
  "$1" & pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "이미지에서" | head -n 1)
  [ -n "$window" ] || { echo "no window appeared"; kill $pid; exit 1; }
  xdotool mousemove 1200 780                    # the pointer away from the picture
  press() { xdotool windowfocus --sync "$window" key --clearmodifiers "$@"; sleep 1; }
  # The picture and the list, below the buttons, which show focus and presses.
  shoot() { /usr/bin/import -window "$window" -crop 649x350+0+70 +repage "$shots/$1.png"; }
  differ() { [ "$(/usr/bin/compare -metric AE "$shots/$1.png" "$shots/$2.png" null: 2>&1)" != 0 ]; }
  sleep 1; shoot start
  press ctrl+f; shoot searched
  press ctrl+equal; shoot zoomed
  press ctrl+0; shoot unzoomed
  press Escape; shoot cleared

  # Open the PNG: the file dialog takes the path typed into its name field.
  xdotool windowfocus --sync "$window" key --clearmodifiers ctrl+o
  dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "열기|Open" | head -n 1)
  [ -n "$dialog" ] || { echo "no file dialog appeared"; kill $pid; exit 1; }
  sleep 1
  xdotool type --delay 20 "$shots/sprites.png"; xdotool key Return; sleep 2
  shoot opened
  # "투명" is the colour box'"'"'s entry after the named colours: focus it, first entry, 45 down.
  press Tab Home $(printf "Down %.0s" $(seq 45))
  press ctrl+f; shoot transparent
  # Tab past 아이콘 찾기, the four settings enabled without a grid, About and the picture into
  # the list; End and Home choose its first row, Delete takes it away, Ctrl+Z brings it back.
  press $(printf "Tab %.0s" $(seq 8)) End Home; shoot chosen
  press Delete; shoot deleted
  press ctrl+z; shoot undone
  # Saved by keys alone: each dialog takes the path typed into its name field.
  intoDialog() {
    xdotool windowfocus --sync "$window" key --clearmodifiers "$1"
    for _ in $(seq 40); do [ "$(xdotool getactivewindow)" != "$window" ] && break; sleep 0.25; done
    sleep 1; xdotool type --delay 20 "$2"; xdotool key Return; sleep 2
  }
  intoDialog ctrl+shift+s "$shots/icons"
  intoDialog ctrl+e "$shots/window.json"
  press ctrl+q
  wait $pid; code=$?
  echo "exit code $code"
  differ start searched || { echo "the search showed no frames"; exit 1; }
  differ searched zoomed || { echo "the zoom changed nothing"; exit 1; }
  differ searched unzoomed && { echo "Ctrl+0 did not bring the view back"; exit 1; }
  differ start cleared && { echo "Esc did not bring the picture back"; exit 1; }
  differ cleared opened || { echo "the PNG did not open"; exit 1; }
  differ opened transparent || { echo "the search under 투명 showed no frames"; exit 1; }
  differ transparent chosen || { echo "choosing a row marked nothing"; exit 1; }
  differ chosen deleted || { echo "Delete changed nothing"; exit 1; }
  differ chosen undone && { echo "Ctrl+Z did not bring the region back"; exit 1; }
  diff -r "$shots/icons" "$shots/cli-icons" || { echo "the icons saved are not those find-icons cuts"; exit 1; }
  cmp "$shots/window.json" "$shots/cli.json" || { echo "the atlas saved is not the one find-icons writes"; exit 1; }
  exit $code' smoke "$program" "$shots"
