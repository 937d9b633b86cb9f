#pragma once
// The window system host on SDL2. This header keeps SDL out of the rest of the program.

#include <chrono>
#include <memory>
#include <optional>

#include "engine/frame_delay.hpp"
#include "host/ending_signals.hpp"
#include "host/host.hpp"

namespace nuv::host {

class SdlHost final : public Host {
 public:
  // The window opens at the requested zoom (1 to 3) if it fits the display, else at the zoom the
  // desktop's pixel density calls for.
  explicit SdlHost(std::optional<int> requested_zoom = std::nullopt);
  ~SdlHost() override;

  int start(WindowEvents& window) override;
  PictureRef image_picture(int image_number) override;
  void set_picture(PictureRef picture) override;
  void idle(std::chrono::microseconds duration) override;
  void pump() override;
  void clear_window() override;
  [[noreturn]] void end_program() override;
  [[noreturn]] void runtime_error(const std::string& message) override;

  // Lets time pass until the deadline, or until a picture could next be seen when that is
  // later, while reading the window system's input as it arrives, so each event is queued with
  // its true time (which is what tells a double click from two single clicks); no handler runs
  // until the next pump pass. Meanwhile the window is repainted when the window system asks,
  // and the close control or a signal ends the program. Told every wait's deadline.
  void idle_until(std::chrono::steady_clock::time_point deadline);

 private:
  struct Library;
  struct Window;
  int run(WindowEvents& window);
  void take_input();
  void act_on_requests();

  // Released in the reverse order: the window, then SDL, then the signal handlers.
  std::unique_ptr<EndingSignals> signals_;
  std::unique_ptr<Library> library_;
  std::unique_ptr<Window> window_;
  std::optional<int> ending_signal_;
  std::optional<int> requested_zoom_;
  engine::SteadyClock clock_{[this](auto deadline) { idle_until(deadline); }};
};

}  // namespace nuv::host
