#pragma once
// The window system host on SDL2. This header keeps SDL out of the rest of the program.

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

 private:
  struct Window;
  std::unique_ptr<Window> window_;
};

}  // namespace nuv::host
