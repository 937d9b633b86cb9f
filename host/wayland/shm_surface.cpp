#include "host/wayland/shm_surface.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/window_system.hpp"

namespace nuv::host::wayland {
namespace {

constexpr int kBytesPerPixel = 4;

// The compositor answers frame callbacks at its refresh; one unanswered this long means the
// window is not shown (minimised, covered, on another workspace).
constexpr std::chrono::milliseconds kUnansweredAfter{100};

WindowSystemError system_error(const std::string& what) {
  return WindowSystemError(what + ": " + std::strerror(errno));
}

// Unnamed memory, shared with the compositor through its descriptor.
int shared_memory(std::size_t bytes) {
  const int fd = memfd_create("nuv-client-area", MFD_CLOEXEC);
  if (fd < 0) throw system_error("cannot make memory to share with the compositor");
  if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    const WindowSystemError error =
        system_error("cannot size the memory shared with the compositor");
    close(fd);
    throw error;
  }
  return fd;
}

}  // namespace

ShmSurface::ShmSurface(const Connection& connection, wl_surface* surface,
                       const window::Layout& layout, const SurfaceScale& scale,
                       window::Size window_points)
    : connection_(connection),
      surface_(surface),
      layout_(layout),
      scale_(scale),
      width_(window_points.width * scale.buffer_scale),
      height_(window_points.height * scale.buffer_scale),
      left_(std::max(0, window_points.width - scale.points.width) / 2 * scale.buffer_scale),
      top_(std::max(0, window_points.height - scale.points.height) / 2 * scale.buffer_scale) {
  try {
    create_buffers(static_cast<std::size_t>(width_) * height_ * kBytesPerPixel);
  } catch (...) {
    destroy();
    throw;
  }
  for (Buffer& buffer : buffers_) buffer.stale = {0, layout.client_height};
  if (scale.magnify != 1) magnified_area_.emplace(layout);
}

ShmSurface::~ShmSurface() {
  destroy();
}

// One pool of memory for all the buffers; the compositor keeps its own reference to it.
void ShmSurface::create_buffers(std::size_t bytes_each) {
  memory_bytes_ = bytes_each * buffers_.size();
  const int fd = shared_memory(memory_bytes_);
  memory_ = mmap(nullptr, memory_bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory_ == MAP_FAILED) {
    memory_ = nullptr;
    const WindowSystemError error =
        system_error("cannot map the memory shared with the compositor");
    close(fd);
    throw error;
  }
  wl_shm_pool* pool =
      wl_shm_create_pool(connection_.shm(), fd, static_cast<std::int32_t>(memory_bytes_));
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
  // The face colour round a client area in the middle, which the area itself never draws.
  if (left_ > 0 || top_ > 0)
    std::fill_n(static_cast<std::uint32_t*>(memory_), memory_bytes_ / kBytesPerPixel,
                frames::packed(window::kFaceColour));
}

void ShmSurface::destroy() {
  if (frame_ != nullptr) wl_callback_destroy(frame_);
  for (Buffer& buffer : buffers_)
    if (buffer.handle != nullptr) wl_buffer_destroy(buffer.handle);
  if (memory_ != nullptr) munmap(memory_, memory_bytes_);
}

void ShmSurface::release(void* buffer, wl_buffer*) {
  static_cast<Buffer*>(buffer)->busy = false;
}

void ShmSurface::frame_done(void* self, wl_callback* callback, std::uint32_t) {
  auto& surface = *static_cast<ShmSurface*>(self);
  wl_callback_destroy(callback);
  surface.frame_ = nullptr;
}

bool ShmSurface::ready() const {
  return frame_ == nullptr && (!buffers_[0].busy || !buffers_[1].busy);
}

bool ShmSurface::shown(TimePoint now) const {
  return frame_ == nullptr || now - committed_at_ < kUnansweredAfter;
}

PixelRows ShmSurface::client_area_of(const Buffer& buffer) const {
  return {buffer.pixels + static_cast<std::size_t>(top_) * width_ + left_,
          static_cast<std::size_t>(width_), width_ - left_, height_ - top_};
}

void ShmSurface::fill(Buffer& buffer, const PictureRef& picture) {
  if (scale_.magnify == 1) {
    // Composed when first filled, not before the first picture, which needs only one of them.
    if (!buffer.area) buffer.area.emplace(layout_, client_area_of(buffer));
    buffer.area->show(picture);
    buffer.area->take_changed();
    return;
  }
  magnified_area_->show(picture);
  const RowSpan changed = magnified_area_->take_changed();
  for (Buffer& each : buffers_) each.stale = each.stale.joined(changed);
  copy_magnified(*magnified_area_, buffer.stale, scale_.magnify, client_area_of(buffer));
  buffer.stale = {};
}

// Damaged are the rows that differ from what the compositor last took.
void ShmSurface::present(const PictureRef& picture, bool repaint) {
  Buffer* free = nullptr;
  for (Buffer& buffer : buffers_)
    if (!buffer.busy) free = &buffer;
  if (free == nullptr) return;
  fill(*free, picture);
  free->busy = true;
  const RowSpan rows = rows_between(layout_, committed_, picture);
  const RowSpan damage =
      repaint || !committed_any_
          ? RowSpan{0, height_}
          : RowSpan{top_ + rows.first * scale_.magnify, top_ + rows.end * scale_.magnify}.clipped(
                height_);
  committed_ = picture;
  committed_any_ = true;
  wl_surface_set_buffer_scale(surface_, scale_.buffer_scale);
  wl_surface_attach(surface_, free->handle, 0, 0);
  if (!damage.empty())
    wl_surface_damage_buffer(surface_, 0, damage.first, width_, damage.end - damage.first);
  if (frame_ == nullptr) {
    static const wl_callback_listener kDone{frame_done};
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &kDone, this);
  }
  committed_at_ = MonotonicClock::now();
  wl_surface_commit(surface_);
  wl_display_flush(connection_.display());
}

}  // namespace nuv::host::wayland
