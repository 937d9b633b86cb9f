#!/usr/bin/env bash
# Soak test of the viewer on a private Xvfb display: random keys, pointer movements inside and
# outside the window and clicks for MINUTES minutes, the viewer's resident memory sampled every
# ten seconds, then Escape, which must end it with status 0.
#
# Usage: bench/soak.sh MINUTES VIEWER_PATH
#   VIEWER_PATH is the viewer, or a script that execs it (under valgrind, for instance).
#
# Fails when the viewer stops early, does not end with status 0 after Escape, reports an
# AddressSanitizer, LeakSanitizer or undefined-behaviour error on standard error, or when the
# mean resident memory of the last minute exceeds that of the second minute by more than
# SOAK_GROWTH_KIB (512 KiB by default, 4 MiB for an address-sanitized viewer; see below). With
# an address-sanitized viewer the leak check runs at exit:
#   cmake -S . -B build-sanitize -DNUV_SANITIZE=ON && cmake --build build-sanitize --target nuv
#   bench/soak.sh 10 build-sanitize/nuv
# SOAK_SEED fixes the random input for a rerun; the seed used is printed at the start.
set -euo pipefail

readonly SAMPLE_SECONDS=10
readonly CLICK_SPACING_US=700000 # the window system's double-click time is 500 ms
readonly WINDOW_TIMEOUT=60       # seconds; a viewer under valgrind takes a while to open
readonly EXIT_TIMEOUT=120        # seconds; includes the leak check at exit
# The first minute is left out: the X library's buffers and the allocator's pools still settle
# then. Afterwards nothing is kept from one frame to the next, and an unsanitized viewer's
# resident size stays the same to the KiB for ten minutes; 512 KiB is a small fraction of it,
# and a leak of a few bytes a frame at a hundred or more frames a second passes it within the
# minutes measured. AddressSanitizer's own records (one for each distinct allocating call
# stack, its quarantine and per-size caches) keep growing for minutes as random input reaches
# new paths: 2 MiB between the second and the tenth minute, levelling off. A sanitized viewer
# is therefore allowed 4 MiB; a leak it would hide is reported by LeakSanitizer at exit.

die() {
  echo "soak: $*" >&2
  exit 1
}

[[ $# -eq 2 ]] || die "usage: bench/soak.sh MINUTES VIEWER_PATH"
readonly MINUTES=$1 VIEWER=$2
[[ $MINUTES =~ ^[0-9]+$ && $MINUTES -ge 3 && $MINUTES -le 600 ]] ||
  die "MINUTES must be a whole number from 3 to 600 (the second and the last minute are compared)"
[[ -x $VIEWER ]] || die "$VIEWER is not an executable file"
if grep -qa __asan_init "$VIEWER"; then
  readonly GROWTH_KIB=${SOAK_GROWTH_KIB:-4096}
else
  readonly GROWTH_KIB=${SOAK_GROWTH_KIB:-512}
fi
for tool in Xvfb xdotool timeout; do
  command -v "$tool" >/dev/null || die "$tool is not installed"
done

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
xvfb_pid='' viewer_pid=''
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
  [[ -n $viewer_pid ]] && kill -KILL "$viewer_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# --- the display ------------------------------------------------------------------------------
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
[[ -s $work/display ]] || die "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
xdo() { timeout 10 xdotool "$@" >/dev/null || die "xdotool $* failed"; }
xdo mousemove 1023 767 # off the window, which opens in the middle of the screen

# --- the viewer -------------------------------------------------------------------------------
# The X library allocates and frees a small reply in every frame; AddressSanitizer keeps freed
# blocks in a quarantine of 256 MB by default, which would read as growth for hours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/lsan.supp:print_suppressions=0}
"$VIEWER" 2>"$work/stderr" &
viewer_pid=$!
window=$(timeout "$WINDOW_TIMEOUT" xdotool search --sync --onlyvisible --name '^NUV Principle' |
  head -n 1) || die "the viewer's window did not appear within $WINDOW_TIMEOUT s"
eval "$(xdotool getwindowgeometry --shell "$window")" # sets X, Y, WIDTH and HEIGHT

# Picture1's inner area starts two pixels in; pointer positions over it set the speed.
move_inside() { xdo mousemove --window "$window" $((2 + RANDOM % 303)) $((2 + RANDOM % 549)); }
# Any column of the 1024 x 768 screen left or right of the window.
move_outside() {
  local x=$((RANDOM % (1024 - WIDTH)))
  ((x >= X)) && x=$((x + WIDTH))
  xdo mousemove "$x" $((RANDOM % 768))
}
readonly KEYS='+-/*., aqzx'
type_key() { xdo type --delay 0 "${KEYS:RANDOM % ${#KEYS}:1}"; }

now_us() { echo "${EPOCHREALTIME/./}"; }
last_click_us=0
# A click counts only over the picture; pressed there right after a movement, it is seen within
# one short frame wait, so clicks sent 0.7 s apart are also handled 0.7 s apart.
click() {
  (($(now_us) - last_click_us >= CLICK_SPACING_US)) || return 0
  move_inside
  xdo click 1
  last_click_us=$(now_us)
  clicks=$((clicks + 1))
}

resident_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$viewer_pid/status"; }
alive() { kill -0 "$viewer_pid" 2>/dev/null; }
stderr_fault() { grep -E 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$work/stderr"; }

seed=${SOAK_SEED:-$RANDOM}
RANDOM=$seed
echo "soak: $MINUTES min of input to $VIEWER on $DISPLAY, seed $seed"
# A first movement over the picture shortens the start-up wait of a second to a few
# milliseconds, so every later click is seen promptly.
move_inside
sleep 1.5

keys=0 inside=0 outside=0 clicks=0
declare -a sample_at=() sample_kib=()
started=$SECONDS next_sample=$SECONDS
readonly end=$((SECONDS + MINUTES * 60))
sample() {
  alive || die "the viewer stopped after $((SECONDS - started)) s: $(tail -n 20 "$work/stderr")"
  sample_at+=($((SECONDS - started)))
  sample_kib+=("$(resident_kib)")
  echo "  t = ${sample_at[-1]} s: VmRSS ${sample_kib[-1]} KiB"
}
while ((SECONDS < end)); do
  if ((SECONDS >= next_sample)); then
    sample
    next_sample=$((next_sample + SAMPLE_SECONDS))
  fi
  case $((RANDOM % 10)) in
    0 | 1 | 2 | 3) type_key && keys=$((keys + 1)) ;;
    4 | 5 | 6) move_inside && inside=$((inside + 1)) ;;
    7 | 8) move_outside && outside=$((outside + 1)) ;;
    9) click ;;
  esac
  sleep "0.0$((RANDOM % 5))"
done
echo "soak: sent $keys keys, $inside movements inside, $outside outside, $clicks clicks"

# --- the end ----------------------------------------------------------------------------------
sample
xdo key Escape
for _ in $(seq $((EXIT_TIMEOUT * 10))); do
  alive || break
  sleep 0.1
done
alive && die "the viewer still runs $EXIT_TIMEOUT s after Escape"
status=0
wait "$viewer_pid" || status=$?
viewer_pid=''

failed=0
if faults=$(stderr_fault); then
  echo "soak: FAIL: sanitizer reports on the viewer's standard error:" >&2
  echo "$faults" >&2
  failed=1
fi
if ((status != 0)); then
  echo "soak: FAIL: exit status $status after Escape; standard error ends:" >&2
  tail -n 20 "$work/stderr" >&2
  failed=1
fi

# Mean resident size over the samples taken from `from` to `to` seconds.
mean_kib() {
  local from=$1 to=$2 sum=0 count=0 i
  for i in "${!sample_at[@]}"; do
    if ((sample_at[i] >= from && sample_at[i] < to)); then
      sum=$((sum + sample_kib[i]))
      count=$((count + 1))
    fi
  done
  ((count > 0)) || die "no samples between $from and $to s"
  echo $((sum / count))
}
last=${sample_at[-1]}
second_minute=$(mean_kib 60 120)
last_minute=$(mean_kib $((last - 59)) $((last + 1)))
growth=$((last_minute - second_minute))
echo "soak: mean VmRSS second minute $second_minute KiB, last minute $last_minute KiB," \
  "growth $growth KiB (allowed $GROWTH_KIB)"
if ((growth > GROWTH_KIB)); then
  echo "soak: FAIL: resident memory grew by $growth KiB" >&2
  failed=1
fi
((failed == 0)) && echo "soak: PASS (exit status $status)"
exit "$failed"
