#!/usr/bin/env bash
# The Wayland window follows the scale of its output as it changes while the viewer runs, on sway
# (headless, drawing in software): from 1 to 2 and back to 1, the window's picture is each time a
# stored frame of the new zoom, pixel for pixel against the viewer's own export of that zoom, as
# the compositor shows it. sway will not run as root: run by root, it runs as the user nobody.
#   sway_live_zoom.sh VIEWER
set -euo pipefail
viewer=$(realpath "$1")
work=$(mktemp -d)
chmod 755 "$work"
sway_pid=
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The compositor, in a runtime folder of its user's own.
as_user=()
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
if [ "$(id -u)" -eq 0 ]; then
  chown nobody:nogroup "$XDG_RUNTIME_DIR"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
printf 'output HEADLESS-1 resolution 1400x1400 bg #336699 solid_color\n' > "$work/sway.conf"
env -u DISPLAY -u WAYLAND_DISPLAY WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
  WLR_RENDERER=pixman HOME="$work" "${as_user[@]}" sway -c "$work/sway.conf" \
  > "$work/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/wayland-1" ] && ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock > /dev/null 2>&1 &&
    break
  sleep 0.1
done
export WAYLAND_DISPLAY=wayland-1
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) || fail "sway did not start: $(tail -5 "$work/sway.log")"
export SWAYSOCK

for zoom in 1 2; do "$viewer" --zoom "$zoom" --export "$work/export$zoom" > /dev/null; done

# The window's content, x,y WxH in the output's points, once sway has it.
content() {
  swaymsg -t get_tree | node -e '
    let tree = ""; process.stdin.on("data", (d) => (tree += d)).on("end", () => {
      const find = (node) => node.name?.startsWith("NUV") ? node
        : [...node.nodes, ...node.floating_nodes].map(find).find(Boolean);
      const n = find(JSON.parse(tree));
      if (n) console.log(`${n.rect.x + n.window_rect.x},${n.rect.y + n.window_rect.y} ` +
        `${n.window_rect.width}x${n.window_rect.height}`);
    });'
}

# Whether the window shows a frame of the zoom: Picture1's inner area, 2 pixels a zoom step in,
# against each exported frame, as wide as the inner area and as high as the frame.
shows_frame_of_zoom() {
  local zoom=$1 shot=$work/shot.png width=$((303 * $1)) height=$((548 * $1))
  grim -g "$(content)" "$shot"
  convert "$shot" -crop "${width}x${height}+$((2 * zoom))+$((2 * zoom))" +repage "$work/inner.png"
  for frame in "$work/export$zoom"/frame*.png; do
    convert "$frame" -crop "${width}x${height}+0+0" +repage "$work/frame.png"
    [ "$(compare -metric AE "$work/inner.png" "$work/frame.png" null: 2>&1)" = 0 ] && return 0
  done
  return 1
}

# After a change of scale the window has its new picture within a frame of the start-up run; a
# picture is looked for over two seconds, the frames changing once a second meanwhile.
expect_zoom() {
  local zoom=$1
  for _ in $(seq 20); do
    swaymsg '[title="^NUV"] move position center' > /dev/null
    shows_frame_of_zoom "$zoom" && return 0
    sleep 0.1
  done
  fail "no frame of zoom $zoom on an output at scale $zoom (window $(content))"
}

env -u DISPLAY "$viewer" 2> "$work/viewer.log" &
viewer_pid=$!
for _ in $(seq 100); do [ -n "$(content)" ] && break; sleep 0.1; done
[ -n "$(content)" ] || fail "no window: $(cat "$work/viewer.log")"
expect_zoom 1
for scale in 2 1; do
  swaymsg output HEADLESS-1 scale "$scale" > /dev/null
  expect_zoom "$scale"
done
kill -0 "$viewer_pid" || fail "the viewer ended: $(cat "$work/viewer.log")"
echo "the window followed its output's scale from 1 to 2 and back"
