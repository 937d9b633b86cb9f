#include "host/window_host.hpp"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <utility>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"
#include "host/error_report.hpp"

namespace nuv::host {

WindowHost::WindowHost(Opener open) : open_(std::move(open)) {}
WindowHost::~WindowHost() = default;

// The window is released before the signal handlers, and the process ends on a caught signal
// only after both.
int WindowHost::start(WindowEvents& window) {
  const int status = run(window);
  window_system_.reset();
  if (signals_) signals_->defer(false);  // a signal noted meanwhile ends the process here
  signals_.reset();
  if (ending_signal_) EndingSignals::end_by(*ending_signal_);
  return status;
}

// Failures of the window system and of the stored pictures end the program as run-time errors.
int WindowHost::run(WindowEvents& window) {
  try {
    try {
      signals_ = std::make_unique<EndingSignals>();
      window_system_ = open_();
      if (const std::string notice = window_system_->zoom_notice(); !notice.empty())
        std::fprintf(stderr, "%s\n", notice.c_str());
      translator_.emplace(window_system_->layout(), window_system_->double_click_time(),
                          window_system_->double_click_distance());
      events_ = &window;
      signals_->defer(true);
      wait_until_active();
      window.activate();
    } catch (const std::bad_alloc&) {
      runtime_error("ran out of memory");
    } catch (const std::exception& error) {
      runtime_error(error.what());
    }
  } catch (const ProgramExit& exit) {
    return exit.status;
  }
  __builtin_unreachable();  // activation returns only by throwing
}

// The window becomes active once it is shown and takes pictures, so that the first picture the
// viewer shows, while it loads, is seen. Input that comes meanwhile waits for the first pump pass.
void WindowHost::wait_until_active() {
  while (!window_system_->visible() || !window_system_->ready()) sleep_until(now() + kLongestNap);
}

// Each image control is built when it is first read: its stored record, checked. Only Image1
// stands between start and the first frame on screen.
PictureRef WindowHost::image_picture(int image_number) {
  if (!frames::is_image_number(image_number))
    runtime_error(frames::image_control_name(image_number) + " holds no picture");
  auto& control = image_controls_[static_cast<std::size_t>(image_number - 1)];
  if (!control) {
    const int zoom = window_system_->layout().zoom;
    control = std::make_shared<frames::EncodedPicture>(frames::stored_picture(image_number, zoom));
  }
  return control;
}

// Picture1 holds its picture as the image control that holds it, so that a cycle takes no
// share of it: at the fastest speeds a million cycles a second set a picture.
void WindowHost::set_picture(const PictureRef& picture) {
  int control = kNoPicture;
  if (picture) {
    const auto found = std::find(image_controls_.begin(), image_controls_.end(), picture);
    if (found == image_controls_.end())
      runtime_error("Picture1 cannot show a picture that no image control holds");
    control = static_cast<int>(found - image_controls_.begin());
  }
  if (control == picture1_) return;
  picture1_ = control;
  pacer_.picture_changed();
}

PictureRef WindowHost::picture1() const {
  if (picture1_ == kNoPicture) return nullptr;
  return image_controls_[static_cast<std::size_t>(picture1_)];
}

void WindowHost::idle(std::chrono::microseconds duration) {
  pacer_.wait(duration);
}

// A pass after a wait that ended on time reads the window system and hands on everything that
// has arrived; a pass of a cycle that was slept past hands on only what arrived before its
// deadline. What arrives meanwhile waits for the next pass, so a burst cannot hold the pass.
void WindowHost::pump() {
  if (pacer_.pass_reads()) {
    window_system_->read(input_);
    take_input();
  }
  while (!calls_.empty() && calls_.front().read_at <= pacer_.pass_time()) {
    const HandlerCall call = calls_.front();
    calls_.pop_front();
    deliver(call);
  }
  if (pacer_.pass_reads()) pacer_.present_if_due();
}

// Nothing but Picture1's picture is ever drawn, so drawing the client area again erases the rest.
void WindowHost::clear_window() {
  window_system_->present(picture1(), true);
}

void WindowHost::end_program() {
  throw ProgramExit{0};
}

// The message box waits for the user; a signal meanwhile ends the process at once, and the box's
// own process with it.
void WindowHost::runtime_error(const std::string& message) {
  if (signals_) signals_->defer(false);
  report_runtime_error(message);
  throw ProgramExit{1};
}

// Input is translated in the order it came, and stamped with the moment it was read; what came
// after a change of zoom is read at the new zoom's scale.
void WindowHost::take_input() {
  end_if_signalled();
  if (input_.empty()) return;
  const TimePoint read_at = now();
  for (const WindowInput& input : input_) {
    if (input.kind == WindowInput::Kind::rescaled)
      use_zoom(input.zoom);
    else if (const auto call = translator_->translate(input, read_at))
      calls_.push_back(*call);
  }
  input_.clear();
}

// The window at another zoom: each image control's picture is loaded again at it, in its place,
// so that the frame table the window object holds shows the new zoom's frames and the run goes on
// where it was; the calls already queued are in scale units and stay as they are. The window
// system draws the whole client area at the next present, within a display refresh.
void WindowHost::use_zoom(int zoom) {
  if (zoom == window_system_->layout().zoom) return;
  window_system_->use_zoom(zoom);
  const window::Layout& layout = window_system_->layout();
  for (std::size_t i = 0; i < image_controls_.size(); ++i)
    if (image_controls_[i])
      *image_controls_[i] = frames::stored_picture(static_cast<int>(i) + 1, layout.zoom);
  translator_.emplace(layout, window_system_->double_click_time(),
                      window_system_->double_click_distance());
  pacer_.picture_changed();
}

void WindowHost::end_if_signalled() {
  if (const auto signal = signals_->take_noted()) {
    ending_signal_ = signal;
    throw ProgramExit{128 + *signal};
  }
}

void WindowHost::deliver(const HandlerCall& call) {
  switch (call.kind) {
    case HandlerCall::Kind::key_press:
      events_->key_press(call.code);
      break;
    case HandlerCall::Kind::mouse_move:
      events_->mouse_move(call.x, call.y);
      break;
    case HandlerCall::Kind::click:
      events_->click();
      break;
    case HandlerCall::Kind::double_click:
      events_->double_click();
      break;
  }
}

TimePoint WindowHost::now() const {
  return window_system_->now();
}

bool WindowHost::visible() const {
  return window_system_->visible();
}

bool WindowHost::ready() const {
  return window_system_->ready();
}

Duration WindowHost::refresh() const {
  return window_system_->refresh();
}

void WindowHost::present() {
  window_system_->present(picture1(), false);
}

void WindowHost::sleep_until(TimePoint until) {
  window_system_->wait(until, signals_->descriptor(), input_);
  take_input();
}

}  // namespace nuv::host
