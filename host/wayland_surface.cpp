#include "host/wayland_surface.hpp"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nuv::host::wayland {
namespace {

constexpr int kBytesPerPixel = 4;

std::runtime_error system_error(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

// Unnamed memory, shared with the compositor through its descriptor.
int shared_memory(std::size_t bytes) {
  const int fd = memfd_create("nuv-client-area", MFD_CLOEXEC);
  if (fd < 0) throw system_error("cannot make memory to share with the compositor");
  if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    const std::runtime_error error =
        system_error("cannot size the memory shared with the compositor");
    close(fd);
    throw error;
  }
  return fd;
}

}  // namespace

SharedMemorySurface::SharedMemorySurface(wl_display* display, wl_surface* surface,
                                         const window::Layout& layout, int magnify, int scale)
    : area_(layout),
      display_(display),
      surface_(surface),
      width_(layout.client_width * magnify),
      height_(layout.client_height * magnify),
      magnify_(magnify),
      scale_(scale),
      damage_{0, layout.client_height} {
  queue_ = wl_display_create_queue(display);
  auto* on_queue = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(on_queue), queue_);
  registry_ = wl_display_get_registry(on_queue);
  wl_proxy_wrapper_destroy(on_queue);
  static const wl_registry_listener kGlobals{bind_shared_memory,
                                             [](void*, wl_registry*, std::uint32_t) {}};
  wl_registry_add_listener(registry_, &kGlobals, this);
  try {
    if (wl_display_roundtrip_queue(display, queue_) < 0)
      throw system_error("cannot read the Wayland compositor's globals");
    if (shm_ == nullptr)
      throw std::runtime_error("the Wayland compositor offers no shared-memory buffers");
    create_buffers(static_cast<std::size_t>(width_) * height_ * kBytesPerPixel);
  } catch (...) {
    destroy();
    throw;
  }
  for (Buffer& buffer : buffers_) buffer.stale = {0, layout.client_height};
}

void SharedMemorySurface::bind_shared_memory(void* self, wl_registry* registry, std::uint32_t name,
                                             const char* interface, std::uint32_t) {
  auto& surface = *static_cast<SharedMemorySurface*>(self);
  if (surface.shm_ == nullptr && std::string_view(interface) == wl_shm_interface.name)
    surface.shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

// One pool of memory for all the buffers; the compositor keeps its own reference to it.
void SharedMemorySurface::create_buffers(std::size_t bytes_each) {
  memory_bytes_ = bytes_each * buffers_.size();
  const int fd = shared_memory(memory_bytes_);
  memory_ = mmap(nullptr, memory_bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory_ == MAP_FAILED) {
    memory_ = nullptr;
    const std::runtime_error error =
        system_error("cannot map the memory shared with the compositor");
    close(fd);
    throw error;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<std::int32_t>(memory_bytes_));
  close(fd);
  static const wl_buffer_listener kRelease{release};
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    Buffer& buffer = buffers_[i];
    buffer.pixels = reinterpret_cast<std::uint32_t*>(static_cast<char*>(memory_) + i * bytes_each);
    buffer.handle =
        wl_shm_pool_create_buffer(pool, static_cast<std::int32_t>(i * bytes_each), width_, height_,
                                  width_ * kBytesPerPixel, WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(buffer.handle, &kRelease, &buffer);
  }
  wl_shm_pool_destroy(pool);
}

void SharedMemorySurface::release(void* buffer, wl_buffer*) {
  static_cast<Buffer*>(buffer)->busy = false;
}

SharedMemorySurface::~SharedMemorySurface() {
  destroy();
}

void SharedMemorySurface::destroy() {
  for (Buffer& buffer : buffers_)
    if (buffer.handle != nullptr) wl_buffer_destroy(buffer.handle);
  if (memory_ != nullptr) munmap(memory_, memory_bytes_);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  if (queue_ != nullptr) wl_event_queue_destroy(queue_);
}

// The buffer filled is one the compositor has released: it may read a buffer any time until
// then. Only its stale rows are filled, and only the rows new since the last commit damaged.
bool SharedMemorySurface::present(bool repaint) {
  const RowSpan changed = area_.take_changed();
  damage_ = damage_.joined(repaint ? RowSpan{0, area_.height()} : changed);
  for (Buffer& buffer : buffers_) buffer.stale = buffer.stale.joined(changed);
  if (wl_display_dispatch_queue_pending(display_, queue_) < 0)
    throw system_error("lost the connection to the Wayland compositor");
  Buffer* free = nullptr;
  for (Buffer& buffer : buffers_)
    if (!buffer.busy) free = &buffer;
  if (free == nullptr) return false;
  copy_magnified(area_, free->stale, magnify_, free->pixels, static_cast<std::size_t>(width_));
  free->stale = {};
  free->busy = true;
  // SDL sets the scale of the output the window is on; the buffers keep the one they were made
  // for, which their size is a multiple of.
  wl_surface_set_buffer_scale(surface_, scale_);
  wl_surface_attach(surface_, free->handle, 0, 0);
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) <
      WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION)
    wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);  // in points, which it lacks
  else if (!damage_.empty())
    wl_surface_damage_buffer(surface_, 0, damage_.first * magnify_, width_,
                             (damage_.end - damage_.first) * magnify_);
  damage_ = {};
  wl_surface_commit(surface_);
  wl_display_flush(display_);
  return true;
}

}  // namespace nuv::host::wayland
