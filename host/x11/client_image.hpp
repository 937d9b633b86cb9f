#pragma once
// The client area as an X image of the window's pixels: in memory shared with the X server where
// it offers that (MIT-SHM), sent row by row otherwise. Where the server's pixels are the client
// area's own, the area is composed straight into the image; elsewhere it is composed apart and
// its changed rows converted. Only changed rows are sent.

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "host/client_area.hpp"
#include "host/x11/connection.hpp"
#include "host/x11/pixel_format.hpp"
#include "window/layout.hpp"

namespace nuv::host::x11 {

class ClientImage {
 public:
  ClientImage(const Connection& connection, xcb_window_t window, std::uint8_t depth,
              const window::Layout& layout, PixelFormat format);
  ~ClientImage();
  ClientImage(const ClientImage&) = delete;
  ClientImage& operator=(const ClientImage&) = delete;

  // Composes the client area with `picture` and sends what changed; all of it with `repaint`.
  void show(const PictureRef& picture, bool repaint);
  // Where in the window the client area lies: its top left, from then on.
  void move_to(int x, int y) {
    left_ = x;
    top_ = y;
  }
  // Sends a part of the window again, as the server asks after uncovering it.
  void repaint(int x, int y, int width, int height);
  // Whether the server still reads the shared memory: it must not change meanwhile.
  bool busy() const { return puts_in_flight_ > 0; }
  // Tells that the server has read it for one put; true for this image's completion events.
  bool completed(const xcb_generic_event_t& event);

 private:
  bool attach_shared_memory(std::size_t bytes);
  void put(int first_row, int rows, bool tell_completion);
  std::uint8_t* row_bytes(int y) { return bytes_ + static_cast<std::size_t>(y) * stride_; }

  const Connection& connection_;
  xcb_window_t window_;
  std::uint8_t depth_;
  int width_, height_;
  int left_ = 0, top_ = 0;
  PixelFormat format_;
  std::size_t stride_;  // bytes a row, padded as the server wants
  xcb_gcontext_t gc_;

  // Shared with the server, or the image's own memory.
  std::optional<xcb_shm_seg_t> segment_;
  void* shared_ = nullptr;
  std::vector<std::uint8_t> own_bytes_;
  std::uint8_t* bytes_ = nullptr;
  std::uint8_t shm_event_base_ = 0;
  int puts_in_flight_ = 0;

  std::optional<ClientArea> area_;
};

}  // namespace nuv::host::x11
