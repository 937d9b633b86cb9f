#include "host/fake/fake_host.hpp"

#include <algorithm>

#include "frames/palette.hpp"
#include "frames/picture.hpp"

namespace nuv::host {

// Eighteen distinct pictures of one pixel stand in for the frames; only their identity matters.
FakeHost::FakeHost(int last_pass) : last_pass_(last_pass) {
  for (int number = 1; number <= frames::kFrameCount; ++number) {
    image_controls_.push_back(std::make_shared<const frames::EncodedPicture>(
        1, 1, frames::frame_palette(), std::span<const std::uint8_t>{},
        std::vector<frames::Rle8Row>{{0, 0, 1}}));
  }
}

void FakeHost::during_pass(int pass, Action action) {
  script_.emplace(pass, std::move(action));
}

int FakeHost::start(WindowEvents& window) {
  window_ = &window;
  try {
    window.activate();
  } catch (const ProgramExit& exit) {
    return exit.status;
  }
  __builtin_unreachable();  // activation returns only by throwing
}

PictureRef FakeHost::image_picture(int image_number) {
  log_.push_back("read " + frames::image_control_name(image_number));
  if (!frames::is_image_number(image_number))
    runtime_error(frames::image_control_name(image_number) + " holds no picture");
  return image_controls_[image_number - 1];
}

void FakeHost::set_picture(const PictureRef& picture) {
  const int number = image_number_of(picture);
  log_.push_back("show " + frames::image_control_name(number));
  shown_.push_back(number);
}

void FakeHost::idle(std::chrono::microseconds duration) {
  waits_.push_back(duration.count());
}

void FakeHost::pump() {
  ++passes_;
  log_.push_back("pump " + std::to_string(passes_));
  const auto [first, last] = script_.equal_range(passes_);
  for (auto it = first; it != last; ++it) it->second(*window_);
  if (passes_ >= last_pass_) throw ProgramExit{kScriptOver};
}

void FakeHost::clear_window() {
  log_.push_back("clear");
}

void FakeHost::end_program() {
  log_.push_back("end");
  throw ProgramExit{0};
}

void FakeHost::runtime_error(const std::string& message) {
  log_.push_back("error " + message);
  throw ProgramExit{1};
}

std::vector<int> FakeHost::shown_images() const {
  return shown_;
}

int FakeHost::image_number_of(const PictureRef& picture) const {
  const auto found = std::find(image_controls_.begin(), image_controls_.end(), picture);
  return found == image_controls_.end() ? 0 : static_cast<int>(found - image_controls_.begin()) + 1;
}

}  // namespace nuv::host
