#include "host/wayland/connection.hpp"

#include <fractional-scale-v1.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "host/window_system.hpp"

namespace nuv::host::wayland {
namespace {

// The versions the viewer's listeners are written for.
constexpr std::uint32_t kCompositorVersion = 4;  // damage in buffer pixels
constexpr std::uint32_t kSeatVersion = 5;
constexpr std::uint32_t kOutputVersion = 2;  // scale and done

const wl_output_listener kOutputEvents = {
    .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   std::int32_t, const char*, const char*, std::int32_t) {},
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
           std::int32_t refresh) {
          if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
          auto& output = *static_cast<Output*>(data);
          output.width = width;
          output.height = height;
          output.refresh = refresh > 0 ? std::chrono::nanoseconds(1'000'000'000'000LL / refresh)
                                       : std::chrono::nanoseconds{};
        },
    .done = [](void*, wl_output*) {},
    .scale = [](void* data, wl_output*,
                std::int32_t scale) { static_cast<Output*>(data)->scale = std::max(scale, 1); },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

}  // namespace

Connection::Connection() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  name_ = name != nullptr && *name != '\0' ? name : "wayland-0";
  errno = 0;
  display_ = wl_display_connect(nullptr);
  if (display_ == nullptr && (errno == EMFILE || errno == ENFILE))
    throw WindowSystemError(
        "cannot open the window system: no file descriptor is left to connect "
        "to the Wayland compositor " +
        name_ + " (" + std::strerror(errno) + ")");
  if (display_ == nullptr) throw Unreachable("no Wayland compositor at " + name_);
  registry_ = wl_display_get_registry(display_);
  static const wl_registry_listener kGlobals{add_global, remove_global};
  wl_registry_add_listener(registry_, &kGlobals, this);
  // The globals, then what the outputs say of themselves.
  outputs_.reserve(16);
  for (int round = 0; round < 2; ++round)
    if (wl_display_roundtrip(display_) < 0) check();
  if (compositor_ == nullptr || shm_ == nullptr)
    throw WindowSystemError("the Wayland compositor " + name_ +
                            " offers no surfaces in shared memory");
}

Connection::~Connection() {
  for (const Output& output : outputs_) wl_output_destroy(output.handle);
  if (seat_ != nullptr) wl_seat_destroy(seat_);
  if (fractional_scale_ != nullptr) wp_fractional_scale_manager_v1_destroy(fractional_scale_);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  if (display_ != nullptr) wl_display_disconnect(display_);
}

void Connection::add_global(void* self, wl_registry* registry, std::uint32_t name,
                            const char* interface, std::uint32_t version) {
  auto& connection = *static_cast<Connection*>(self);
  const std::string_view kind = interface;
  const auto bind = [&](const wl_interface* type, std::uint32_t wanted) {
    return wl_registry_bind(registry, name, type, std::min(version, wanted));
  };
  if (kind == wl_compositor_interface.name && version >= kCompositorVersion)
    connection.compositor_ =
        static_cast<wl_compositor*>(bind(&wl_compositor_interface, kCompositorVersion));
  else if (kind == wl_shm_interface.name && connection.shm_ == nullptr)
    connection.shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  else if (kind == wp_fractional_scale_manager_v1_interface.name &&
           connection.fractional_scale_ == nullptr)
    connection.fractional_scale_ = static_cast<wp_fractional_scale_manager_v1*>(
        bind(&wp_fractional_scale_manager_v1_interface, 1));
  else if (kind == wl_seat_interface.name && connection.seat_ == nullptr)
    connection.bind_seat(static_cast<wl_seat*>(bind(&wl_seat_interface, kSeatVersion)));
  else if (kind == wl_output_interface.name && version >= kOutputVersion)
    connection.add_output(registry, name, version);
}

void Connection::bind_seat(wl_seat* seat) {
  seat_ = seat;
  static const wl_seat_listener kSeatEvents{[](void* self, wl_seat*, std::uint32_t capabilities) {
                                              auto& connection = *static_cast<Connection*>(self);
                                              connection.seat_capabilities_ = capabilities;
                                              if (connection.seat_watcher_ != nullptr)
                                                connection.seat_watcher_(
                                                    connection.seat_watcher_data_, capabilities);
                                            },
                                            [](void*, wl_seat*, const char*) {}};
  wl_seat_add_listener(seat_, &kSeatEvents, this);
}

void Connection::watch_seat(SeatWatcher watcher, void* data) {
  seat_watcher_ = watcher;
  seat_watcher_data_ = data;
  if (watcher != nullptr) watcher(data, seat_capabilities_);
}

// The outputs live in place, since their listeners hold their addresses.
void Connection::add_output(wl_registry* registry, std::uint32_t name, std::uint32_t version) {
  if (outputs_.size() == outputs_.capacity()) return;
  Output& output = outputs_.emplace_back();
  output.name = name;
  output.handle = static_cast<wl_output*>(
      wl_registry_bind(registry, name, &wl_output_interface, std::min(version, kOutputVersion)));
  wl_output_add_listener(output.handle, &kOutputEvents, &output);
}

void Connection::remove_global(void* self, wl_registry*, std::uint32_t name) {
  auto& outputs = static_cast<Connection*>(self)->outputs_;
  for (Output& output : outputs)
    if (output.name == name) output.scale = 0;  // gone; kept in place for its listener
}

const Output* Connection::output(const wl_output* handle) const {
  for (const Output& output : outputs_)
    if (output.handle == handle && output.scale > 0) return &output;
  return nullptr;
}

void Connection::check() const {
  const int error = wl_display_get_error(display_);
  if (error == 0) return;
  if (error == EPROTO)
    throw WindowSystemError("the Wayland compositor " + name_ + " refused a request");
  throw WindowSystemError("lost the connection to the Wayland compositor " + name_ + " (" +
                          std::strerror(error) + ")");
}

}  // namespace nuv::host::wayland
