#pragma once
// A scripted host for tests: records what the window object asks of it, in order, and delivers
// scripted input inside chosen pump passes. No window; the frame waits are recorded, not waited.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/host.hpp"

namespace nuv::host {

class FakeHost final : public Host {
 public:
  using Action = std::function<void(WindowEvents&)>;
  // start returns this when the script's last pass is over and the program is still running.
  static constexpr int kScriptOver = -1;

  // The program runs until it ends itself or pump pass `last_pass` is over.
  explicit FakeHost(int last_pass);

  // Runs `action` inside pump pass `pass` (the first pass of the program is 1), after the
  // actions scheduled earlier for the same pass.
  void during_pass(int pass, Action action);

  int start(WindowEvents& window) override;
  PictureRef image_picture(int image_number) override;
  void set_picture(const PictureRef& picture) override;
  void idle(std::chrono::microseconds duration) override;
  void pump() override;
  void clear_window() override;
  [[noreturn]] void end_program() override;
  [[noreturn]] void runtime_error(const std::string& message) override;

  // Everything asked of the host, in order: "read Image3", "show Image1", "pump 4", "clear",
  // "end", "error <message>".
  const std::vector<std::string>& log() const { return log_; }
  // The image number of every picture shown, in order.
  std::vector<int> shown_images() const;
  int passes() const { return passes_; }
  // The length of every frame wait, in microseconds, in order.
  const std::vector<std::int64_t>& waits() const { return waits_; }

 private:
  int image_number_of(const PictureRef& picture) const;

  int last_pass_;
  int passes_ = 0;
  WindowEvents* window_ = nullptr;
  std::vector<PictureRef> image_controls_;
  std::multimap<int, Action> script_;
  std::vector<std::string> log_;
  std::vector<int> shown_;
  std::vector<std::int64_t> waits_;
};

}  // namespace nuv::host
