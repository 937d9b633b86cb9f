#pragma once
// What the host does with a Wayland compositor directly, beside SDL: putting the client area on
// the window's surface in buffers of shared memory that the compositor reads as they are. A
// picture of this size needs no graphics library, and none is asked to draw it.

#include <array>
#include <cstddef>
#include <cstdint>

#include "host/client_area.hpp"
#include "host/presenter.hpp"
#include "window/layout.hpp"

struct wl_buffer;
struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_shm;
struct wl_surface;

namespace nuv::host::wayland {

class SharedMemorySurface final : public Presenter {
 public:
  // Buffers of the layout's client area, each of its pixels shown as a square of `magnify` x
  // `magnify` buffer pixels, on a surface whose points span `scale` buffer pixels. The
  // compositor's objects are read on a queue of their own, apart from SDL's.
  SharedMemorySurface(wl_display* display, wl_surface* surface, const window::Layout& layout,
                      int magnify, int scale);
  ~SharedMemorySurface();
  SharedMemorySurface(const SharedMemorySurface&) = delete;
  SharedMemorySurface& operator=(const SharedMemorySurface&) = delete;

  ClientArea& area() override { return area_; }
  // False while the compositor still reads every buffer.
  bool present(bool repaint) override;

 private:
  struct Buffer {
    wl_buffer* handle = nullptr;
    std::uint32_t* pixels = nullptr;
    bool busy = false;  // attached, and not yet released by the compositor
    RowSpan stale;      // client-area rows that changed since it was last filled
  };
  static void bind_shared_memory(void* self, wl_registry* registry, std::uint32_t name,
                                 const char* interface, std::uint32_t version);
  static void release(void* buffer, wl_buffer* handle);
  void create_buffers(std::size_t bytes_each);
  void destroy();

  ClientArea area_;
  wl_display* display_;
  wl_surface* surface_;
  int width_;   // in buffer pixels
  int height_;  // in buffer pixels
  int magnify_;
  int scale_;
  wl_event_queue* queue_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_shm* shm_ = nullptr;
  void* memory_ = nullptr;
  std::size_t memory_bytes_ = 0;
  std::array<Buffer, 2> buffers_;
  RowSpan damage_;  // client-area rows that differ from what the compositor last took
};

}  // namespace nuv::host::wayland
