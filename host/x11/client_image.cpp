#include "host/x11/client_image.hpp"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>

#include "host/window_system.hpp"

namespace nuv::host::x11 {
namespace {

// Rows are padded to the server's scanline unit for the depth.
std::size_t stride_for(const xcb_setup_t* setup, std::uint8_t depth, int width, int bits) {
  int pad = 32;
  for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
       xcb_format_next(&formats))
    if (formats.data->depth == depth) pad = formats.data->scanline_pad;
  const std::size_t row_bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bits);
  return (row_bits + pad - 1) / pad * pad / 8;
}

}  // namespace

ClientImage::ClientImage(const Connection& connection, xcb_window_t window, std::uint8_t depth,
                         const window::Layout& layout, PixelFormat format)
    : connection_(connection),
      window_(window),
      depth_(depth),
      width_(layout.client_width),
      height_(layout.client_height),
      format_(std::move(format)),
      stride_(stride_for(xcb_get_setup(connection.get()), depth, width_, format_.bits_per_pixel)),
      gc_(xcb_generate_id(connection.get())) {
  const std::uint32_t no_exposures = 0;
  xcb_create_gc(connection.get(), gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &no_exposures);
  const std::size_t bytes = stride_ * static_cast<std::size_t>(height_);
  if (!attach_shared_memory(bytes)) {
    own_bytes_.resize(bytes);
    bytes_ = own_bytes_.data();
  }
  if (format_.same_as_client_area())
    area_.emplace(
        layout, PixelRows{reinterpret_cast<std::uint32_t*>(bytes_), stride_ / 4, width_, height_});
  else
    area_.emplace(layout);
}

ClientImage::~ClientImage() {
  xcb_connection_t* c = connection_.get();
  if (segment_) {
    xcb_shm_detach(c, *segment_);
    shmdt(shared_);
  }
  xcb_free_gc(c, gc_);
}

// A segment the server attaches to, removed at once so that it goes with the last process that
// uses it, however the viewer ends. A server that cannot attach it (on another machine) gets the
// pixels sent instead.
bool ClientImage::attach_shared_memory(std::size_t bytes) {
  xcb_connection_t* c = connection_.get();
  const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
  if (shm == nullptr || !shm->present) return false;
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (id < 0) return false;
  shared_ = shmat(id, nullptr, 0);
  const xcb_shm_seg_t segment = xcb_generate_id(c);
  const Owned<xcb_generic_error_t> error(
      shared_ == reinterpret_cast<void*>(-1)
          ? nullptr
          : xcb_request_check(
                c, xcb_shm_attach_checked(c, segment, static_cast<std::uint32_t>(id), 0)));
  shmctl(id, IPC_RMID, nullptr);
  if (shared_ == reinterpret_cast<void*>(-1) || error) {
    if (shared_ != reinterpret_cast<void*>(-1)) shmdt(shared_);
    shared_ = nullptr;
    return false;
  }
  segment_ = segment;
  shm_event_base_ = shm->first_event;
  bytes_ = static_cast<std::uint8_t*>(shared_);
  return true;
}

void ClientImage::show(const PictureRef& picture, bool repaint) {
  area_->show(picture);
  const RowSpan changed = area_->take_changed();
  if (!format_.same_as_client_area())
    for (int y = changed.first; y < changed.end; ++y)
      convert_row(format_, area_->row(y), width_, row_bytes(y));
  const RowSpan sent = repaint ? RowSpan{0, height_} : changed;
  if (!sent.empty()) put(sent.first, sent.end - sent.first, true);
  connection_.flush();
}

void ClientImage::repaint(int, int y, int, int height) {
  const RowSpan rows = RowSpan{std::max(y - top_, 0), y - top_ + height}.clipped(height_);
  if (!rows.empty()) put(rows.first, rows.end - rows.first, false);
}

bool ClientImage::completed(const xcb_generic_event_t& event) {
  if (!segment_ || (event.response_type & 0x7F) != shm_event_base_ + XCB_SHM_COMPLETION)
    return false;
  puts_in_flight_ = std::max(puts_in_flight_ - 1, 0);
  return true;
}

// Shared memory is read by the server when it handles the request, which then tells it has; sent
// pixels go in pieces no larger than the server takes in one request.
void ClientImage::put(int first_row, int rows, bool tell_completion) {
  xcb_connection_t* c = connection_.get();
  const auto width = static_cast<std::uint16_t>(width_);
  if (segment_) {
    xcb_shm_put_image(c, window_, gc_, width, static_cast<std::uint16_t>(height_), 0,
                      static_cast<std::uint16_t>(first_row), width,
                      static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(left_),
                      static_cast<std::int16_t>(top_ + first_row), depth_,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, tell_completion ? 1 : 0, *segment_, 0);
    if (tell_completion) ++puts_in_flight_;
    return;
  }
  constexpr std::size_t kRequestHeader = 24;
  const std::size_t largest = std::size_t{xcb_get_maximum_request_length(c)} * 4 - kRequestHeader;
  const int rows_a_request = std::max(1, static_cast<int>(largest / stride_));
  for (int y = first_row; y < first_row + rows; y += rows_a_request) {
    const int count = std::min(rows_a_request, first_row + rows - y);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, width,
                  static_cast<std::uint16_t>(count), static_cast<std::int16_t>(left_),
                  static_cast<std::int16_t>(top_ + y), 0, depth_,
                  static_cast<std::uint32_t>(stride_ * static_cast<std::size_t>(count)),
                  row_bytes(y));
  }
}

}  // namespace nuv::host::x11
