#pragma once
// The viewer's host on a real window system: the image controls and Picture1's picture, the
// frame wait and the pictures paced by the pacer, the window system's input turned into handler
// calls and queued with the moment each arrived, the ending signals and the run-time errors.
// What differs between window systems is behind WindowSystem.

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "frames/picture.hpp"
#include "host/ending_signals.hpp"
#include "host/host.hpp"
#include "host/input.hpp"
#include "host/pacer.hpp"
#include "host/window_system.hpp"

namespace nuv::host {

class WindowHost final : public Host, private PacedWindow {
 public:
  using Opener = std::function<std::unique_ptr<WindowSystem>()>;
  // The window is opened by `open` when the program starts, once the ending signals are caught.
  explicit WindowHost(Opener open);
  ~WindowHost() override;

  int start(WindowEvents& window) override;
  PictureRef image_picture(int image_number) override;
  void set_picture(const PictureRef& picture) override;
  void idle(std::chrono::microseconds duration) override;
  void pump() override;
  void clear_window() override;
  [[noreturn]] void end_program() override;
  [[noreturn]] void runtime_error(const std::string& message) override;

 private:
  int run(WindowEvents& window);
  void wait_until_active();
  void take_input();
  void use_zoom(int zoom);
  void end_if_signalled();
  void deliver(const HandlerCall& call);

  TimePoint now() const override;
  bool visible() const override;
  bool ready() const override;
  Duration refresh() const override;
  void present() override;
  void sleep_until(TimePoint until) override;

  Opener open_;
  // Released in the reverse order: the window, then the signal handlers.
  std::unique_ptr<EndingSignals> signals_;
  std::unique_ptr<WindowSystem> window_system_;
  std::optional<int> ending_signal_;

  WindowEvents* events_ = nullptr;
  Pacer pacer_{*this};
  std::optional<InputTranslator> translator_;
  std::vector<WindowInput> input_;  // read and not yet translated
  std::deque<HandlerCall> calls_;   // translated and not yet handed on

  // The pictures the image controls hold, which the window object shares; at another zoom each is
  // loaded again in its place.
  std::array<std::shared_ptr<frames::EncodedPicture>, frames::kFrameCount> image_controls_;
  static constexpr int kNoPicture = -1;
  int picture1_ = kNoPicture;  // the image control whose picture Picture1 shows
  PictureRef picture1() const;
};

}  // namespace nuv::host
