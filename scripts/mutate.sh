#!/usr/bin/env bash
# Mutation test of the tests that need no display: injects small, realistic faults into the
# engine, the picture codec, the mechanism's geometry, the window description and zoom choice, the
# shared host, the hosts' pacing, input, keyboard and client area, the command line and the
# export's file set, one at a time, rebuilds the unit tests and reports which faults they catch. The sources are put back after each fault, and on
# any exit.
# Usage: scripts/mutate.sh [BUILD_DIR [PATTERN]]
#   BUILD_DIR  build-mutate by default
#   PATTERN    only the faults whose line contains it (a file name, say)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-mutate}
only=${2:-}

# One fault a line: file, then the text to replace, then its replacement or "(deleted)",
# separated by " => ". The text must occur exactly once in the file.
faults=$(cat <<'EOF'
engine/step.cpp => advanced(s.frame, -2) => advanced(s.frame, -1)
engine/step.cpp => s.running_backward = true; => (deleted)
engine/step.cpp => s.commanded_forward = true; => s.commanded_forward = false;
engine/step.cpp => if (!s.running_backward && !s.commanded_forward) => if (!s.running_backward)
engine/step.cpp => s.command == Command::step_back ? -1 : +1 => s.command == Command::step_forward ? -1 : +1
engine/step.cpp => if (moved >= kFrameCount) return => if (moved > kFrameCount) return
engine/step.cpp => s.running_backward ? -1 : +1 => s.running_backward ? +1 : +1
engine/mouse.cpp => y >= s.last_drag_y => y > s.last_drag_y
engine/mouse.cpp => s.last_drag_y = y; => (deleted)
engine/mouse.cpp => s.commanded_forward = s.saved_run.commanded_forward; => (deleted)
engine/mouse.cpp => x * kSpeedFactor * y; => static_cast<float>(double{x} * kSpeedFactor * y);
engine/mouse.cpp => if (!std::isfinite(product)) return false; => (deleted)
engine/mouse.cpp => s.delay = kDragDelay; => (deleted)
engine/keyboard.cpp => code < 0 || code > kLastAscii => code < 0
engine/keyboard.cpp => {"* .", Command::step_forward} => {"*.", Command::step_forward}
engine/frame_delay.cpp => if (!(delay >= 0)) => if (!(delay > 0))
engine/frame_delay.cpp => std::min(delay, kLongest))) + 1; => std::min(delay, kLongest)));
engine/viewer_window.cpp => slot < kFrameCount; ++slot => slot < kFrameCount - 1; ++slot
engine/viewer_window.cpp => state_.delay = kStartDelay; => (deleted)
engine/viewer_window.cpp => host_.clear_window(); => (deleted)
engine/viewer_window.cpp => if (code == kEscape) clear_and_end(); => (deleted)
host/pacer.cpp => std::min<Duration>(now - deadline, kLongestMakeUp) => Duration{}
host/pacer.cpp => return last_present_ + window_.refresh(); => return last_present_;
host/input.cpp => character > 0x7FFF => character > 0xFFFF
host/input.cpp => return second.time - first.time <= static_cast => return second.time - first.time < static_cast
host/input.cpp => std::abs(second.y - first.y) <= distance_; => true;
host/input.cpp => const bool click = clicking_ && over_picture; => const bool click = clicking_;
host/input.cpp => if (high == 0) return std::nullopt; => (deleted)
host/input.cpp => return 0x10000 + ((char32_t{high} => return 0x1000 + ((char32_t{high}
host/client_area.cpp => std::min(area.x + area.width, clip.width) => area.x + area.width
host/client_area.cpp => height_ - inner.y})) => layout_.visible_rows}))
host/client_area.cpp => std::min(area.width() * magnify, std::max(target.width, 0)) => area.width() * magnify
host/window_host.cpp => while (!window_system_->visible() || !window_system_->ready()) => while (!window_system_->visible())
host/window_host.cpp => calls_.front().read_at <= pacer_.pass_time() => true
host/window_host.cpp => window_system_->present(picture1(), true); => window_system_->present(picture1(), false);
host/window_host.cpp =>   end_if_signalled(); => (deleted)
host/window_host.cpp => std::fprintf(stderr, "%s\n", notice.c_str()); => (deleted)
host/input.cpp => if (input.combined) return std::nullopt; => (deleted)
host/input.cpp => == Position{input.x, input.y}) => != Position{input.x, input.y})
host/posix/xkb_keyboard.cpp => xkb_state_mod_index_is_consumed(state_.get(), keycode, index) == 0 => true
window/zoom_choice.cpp => return {window.width + desktop.frame.width, window.height + desktop.frame.height}; => return window;
window/zoom_choice.cpp => if (right <= left || bottom <= top) return whole; => (deleted)
window/zoom_choice.cpp => while (zoom > 1 && !fits(zoom, desktop)) --zoom; => while (zoom > 2 && !fits(zoom, desktop)) --zoom;
window/zoom_choice.cpp => std::clamp(factor, 1.0, double{frames::kMaxZoom}) => std::clamp(factor, 1.0, 4.0)
window/zoom_choice.cpp => resource_dpi ? resource_dpi : desktop.settings_dpi => desktop.settings_dpi ? desktop.settings_dpi : resource_dpi
window/zoom_choice.cpp => follows_density ? choose_zoom(density).zoom : zoom => zoom
window/zoom_choice.cpp => layout.client_height + density.frame.height}}; => layout.client_height}};
host/window_host.cpp => if (zoom == window_system_->layout().zoom) return; => (deleted)
host/window_host.cpp =>       *image_controls_[i] = frames::stored_picture(static_cast<int>(i) + 1, layout.zoom); =>       image_controls_[i].reset();
host/window_host.cpp => translator_.emplace(layout, window_system_->double_click_time(), => if (false) translator_.emplace(layout, window_system_->double_click_time(),
host/input.cpp =>   if (point_) return std::nullopt; => (deleted)
app/command_line.cpp => if (length == 0 || is_control(character)) => if (length == 0)
app/command_line.cpp => } else if (argument == "--") { => } else if (argument == "---") {
export/file_set.cpp => for (const Written& file : written_) file_system::remove(file.temporary); => (deleted)
export/file_set.cpp => file != placed.rend(); ++file) => file != placed.rbegin(); ++file)
export/file_set.cpp => (*giver == file_system::process_id() || !file_system::process_running(*giver)) => (*giver == file_system::process_id())
export/posix/file_system.cpp => if (written == 0) written = write_all(fd, bytes); => write_all(fd, bytes);
export/gif_encoder.cpp => if (next_code == 1 << bits) ++bits; => if (next_code == (1 << bits) + 1) ++bits;
export/gif_encoder.cpp => if (block_.size() == 255) flush_block(); => if (block_.size() == 256) flush_block();
export/png_encoder.cpp => rows.push_back(0); => rows.push_back(1);
frames/rle8.cpp => column_ + right > width_ => column_ + right >= width_
frames/rle8.cpp => row_ + up >= height_ => row_ + up > height_
frames/rle8.cpp => static_cast<std::size_t>(count + count % 2) => static_cast<std::size_t>(count)
frames/rle8.cpp => if (column_ + count > width_) => if (column_ + count >= width_)
frames/rle8.cpp => if (row_ >= height_) fail("closes => if (row_ > height_) fail("closes
frames/rle8.cpp => constexpr int kMaxCount = 255; => constexpr int kMaxCount = 256;
frames/picture_record.cpp => if (file_size < kSmallestFile) => if (file_size <= kSmallestFile)
frames/picture_record.cpp => kSmallestFile = kPixelDataOffset + 2; => kSmallestFile = kPixelDataOffset;
frames/picture_record.cpp => std::uint64_t{file_size} + 8 != length => std::uint64_t{file_size} + 4 != length
frames/picture_record.cpp => if (bgr0[3] != 0) => if (bgr0[3] > 7)
frames/picture_record.cpp => palette[entry] = {bgr0[2], bgr0[1], bgr0[0]}; => palette[entry] = {bgr0[0], bgr0[1], bgr0[2]};
frames/bitmap_file.cpp => out.u16(8);  // bits per pixel => out.u16(4);
drawing/mechanism.cpp => crank_pin.y + std::sqrt => crank_pin.y - std::sqrt
drawing/mechanism.cpp => kMainAxis.y - kCrankRadius => kMainAxis.y + kCrankRadius
drawing/mechanism.cpp => frame > kFrameCount) { => frame > kFrameCount + 1) {
drawing/mechanism.cpp => 161, 155, 138 => 160, 155, 138
drawing/mechanism.cpp => 360.0 / kFrameCount => 360.0 / (kFrameCount - 1)
window/layout.hpp => kPicture1Border = 2; => kPicture1Border = 1;
window/layout.hpp => q < layout.visible_rows => q <= layout.visible_rows
window/layout.hpp => kScaleHeight = 29.84375f => kScaleHeight = 29.8437f
window/layout.hpp => static_cast<float>(kPicture1Inner.width) => static_cast<float>(kPicture1Outer.width)
window/icon.cpp => if (kIconSizes[i] == size) => if (kIconSizes[i] >= size)
EOF
)

backup=$(mktemp -d)
current=""
restore() {
  # A fresh time stamp, so that the build compiles the restored file again.
  if [ -n "$current" ]; then cp "$backup/original" "$current"; fi
  current=""
}
trap 'restore; rm -rf "$backup"' EXIT

# The test programs that need no display, each in the folder of tests named first.
tests=(engine/engine app/app window/window host/host host/window_host frames/frames
  drawing/drawing export/export)
targets="$(for test in "${tests[@]}"; do printf '%s_tests ' "${test#*/}"; done)nuv"
cmake -S . -B "$build" -DNUV_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target $targets >/dev/null

unit_tests_pass() {
  cmake --build "$build" -j2 --target $targets >/dev/null 2>&1 || return 1
  for test in "${tests[@]}"; do
    timeout 300 "$build/tests/${test%/*}/${test#*/}_tests" --gtest_brief=1 >/dev/null 2>&1 ||
      return 1
  done
}

total=0
killed=0
echo "| # | file | fault | result |"
echo "|---:|---|---|---|"
while IFS= read -r line; do
  [[ "$line" == *"$only"* ]] || continue
  file=${line%% => *}
  rest=${line#* => }
  original=${rest%% => *}
  replacement=${rest#* => }
  [ "$replacement" = "(deleted)" ] && replacement=""
  cp -p "$file" "$backup/original"
  current=$file
  if ! ORIGINAL=$original REPLACEMENT=$replacement perl -0pi -e \
    '$n = s/\Q$ENV{ORIGINAL}\E/$ENV{REPLACEMENT}/g; die "matched $n times\n" unless $n == 1' \
    "$file" 2>/dev/null; then
    restore
    echo "| - | $file | \`$original\` | not found once; skipped |"
    continue
  fi
  total=$((total + 1))
  if unit_tests_pass; then
    result="SURVIVED"
  else
    result="killed"
    killed=$((killed + 1))
  fi
  restore
  echo "| $total | $file | \`$original\` → \`${replacement:-(deleted)}\` | $result |"
done <<<"$faults"

# Leave the build as the sources are.
cmake --build "$build" -j2 --target $targets >/dev/null
echo
echo "Killed $killed of $total faults ($((100 * killed / total)) %)."
