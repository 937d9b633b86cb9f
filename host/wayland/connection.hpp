#pragma once
// The connection to the Wayland compositor and the globals the viewer uses from it: the
// compositor itself, shared memory, the seat and the outputs with their scales and modes.

#include <wayland-client.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/window_system.hpp"

struct wp_fractional_scale_manager_v1;  // made from the protocol's description for this library

namespace nuv::host::wayland {

// No compositor answers at WAYLAND_DISPLAY; an X session may still be there.
class Unreachable : public WindowSystemError {
 public:
  using WindowSystemError::WindowSystemError;
};

struct Output {
  wl_output* handle = nullptr;
  std::uint32_t name = 0;  // the global's
  int scale = 1;
  int width = 0, height = 0;           // of the current mode, in pixels
  std::chrono::nanoseconds refresh{};  // of the current mode; zero when it says none
};

class Connection {
 public:
  // Throws Unreachable when no compositor answers, WindowSystemError when one lacks what the
  // viewer needs.
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  wl_display* display() const { return display_; }
  wl_compositor* compositor() const { return compositor_; }
  wl_shm* shm() const { return shm_; }
  wl_seat* seat() const { return seat_; }
  // Where the compositor tells fractional scales; null where it does not.
  wp_fractional_scale_manager_v1* fractional_scale() const { return fractional_scale_; }
  const std::vector<Output>& outputs() const { return outputs_; }
  const Output* output(const wl_output* handle) const;
  // The compositor's name, as WAYLAND_DISPLAY gives it.
  const std::string& name() const { return name_; }

  // Throws WindowSystemError when the connection is lost or a request was refused.
  void check() const;

  // The seat tells what it has (pointer, keyboard) once it is bound, before any listener of the
  // window's could hear it: `watch` hears it now, and again whenever it changes.
  using SeatWatcher = void (*)(void* data, std::uint32_t capabilities);
  void watch_seat(SeatWatcher watcher, void* data);

 private:
  static void add_global(void* self, wl_registry* registry, std::uint32_t name,
                         const char* interface, std::uint32_t version);
  static void remove_global(void* self, wl_registry* registry, std::uint32_t name);
  void add_output(wl_registry* registry, std::uint32_t name, std::uint32_t version);
  void bind_seat(wl_seat* seat);

  std::string name_;
  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  wl_seat* seat_ = nullptr;
  wp_fractional_scale_manager_v1* fractional_scale_ = nullptr;
  std::vector<Output> outputs_;
  std::uint32_t seat_capabilities_ = 0;
  SeatWatcher seat_watcher_ = nullptr;
  void* seat_watcher_data_ = nullptr;
};

}  // namespace nuv::host::wayland
