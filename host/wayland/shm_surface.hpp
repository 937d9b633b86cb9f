#pragma once
// The client area on the window's surface, in buffers of shared memory that the compositor reads
// as they are: a picture of this size needs no graphics library. A buffer is filled only once the
// compositor has released it: where each layout pixel is one buffer pixel the client area is
// composed in the buffer itself, each buffer writing only what differs from what it shows; where
// each is magnified, it is composed apart and only the rows that changed since a buffer was last
// filled are copied into it. A picture is committed only once the compositor has shown the last
// one, which it says by a frame callback, so that a window it does not show is sent nothing. A
// window the compositor has made larger than the client area (tiled, maximised, fullscreen) shows
// the area in its middle on the face colour; a smaller one shows the area's top left.

#include <wayland-client.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "host/client_area.hpp"
#include "host/clock.hpp"
#include "host/wayland/connection.hpp"
#include "host/wayland/surface_scale.hpp"
#include "window/layout.hpp"

namespace nuv::host::wayland {

class ShmSurface {
 public:
  // Buffers for a window of `window_points` at the scale.
  ShmSurface(const Connection& connection, wl_surface* surface, const window::Layout& layout,
             const SurfaceScale& scale, window::Size window_points);
  ~ShmSurface();
  ShmSurface(const ShmSurface&) = delete;
  ShmSurface& operator=(const ShmSurface&) = delete;

  // Whether a picture can go on the surface now.
  bool ready() const;
  // Whether the compositor shows the surface: it answered the last frame callback, or has not
  // been asked for long.
  bool shown(TimePoint now) const;
  // Commits the client area with `picture`: what changed since the last commit, all with
  // `repaint`. Nothing while no buffer is free.
  void present(const PictureRef& picture, bool repaint);

 private:
  struct Buffer {
    wl_buffer* handle = nullptr;
    std::uint32_t* pixels = nullptr;
    bool busy = false;               // attached, and not yet released by the compositor
    std::optional<ClientArea> area;  // composed in place, at a magnification of 1
    RowSpan stale;                   // magnified: client-area rows changed since last filled
  };
  void fill(Buffer& buffer, const PictureRef& picture);
  // The buffer's pixels from where the client area's top-left lies.
  PixelRows client_area_of(const Buffer& buffer) const;
  static void release(void* buffer, wl_buffer* handle);
  static void frame_done(void* self, wl_callback* callback, std::uint32_t time);
  void create_buffers(std::size_t bytes_each);
  void destroy();

  const Connection& connection_;
  wl_surface* surface_;
  window::Layout layout_;
  std::optional<ClientArea> magnified_area_;  // composed apart, where pixels are magnified
  SurfaceScale scale_;
  int width_, height_;  // in buffer pixels
  int left_, top_;      // where the client area lies, in buffer pixels
  void* memory_ = nullptr;
  std::size_t memory_bytes_ = 0;
  std::array<Buffer, 2> buffers_;
  PictureRef committed_;  // what the compositor last took
  bool committed_any_ = false;
  wl_callback* frame_ = nullptr;  // asked at the last commit, not yet answered
  TimePoint committed_at_{};
};

}  // namespace nuv::host::wayland
