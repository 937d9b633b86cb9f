#pragma once
// The window system host on SDL2. This header keeps SDL out of the rest of the program.

#include <chrono>
#include <memory>

#include "host/host.hpp"

namespace nuv::host {

class SdlHost final : public Host {
 public:
  SdlHost();
  ~SdlHost() override;

  int start(WindowEvents& window) override;
  PictureRef image_picture(int image_number) override;
  void set_picture(PictureRef picture) override;
  void pump() override;
  void clear_window() override;
  [[noreturn]] void end_program() override;
  [[noreturn]] void runtime_error(const std::string& message) override;

  // Lets time pass until the deadline while reading the window system's input as it arrives,
  // so each event is queued with its true time (which is what tells a double click from two
  // single clicks); no handler runs until the next pump pass.
  void idle_until(std::chrono::steady_clock::time_point deadline);

 private:
  struct Window;
  std::unique_ptr<Window> window_;
};

}  // namespace nuv::host
