#pragma once
// The window's client area composed on the processor as 32-bit pixels, 0x00RRGGBB: Picture1's
// sunken border, drawn once, its picture and the face colour wherever the picture leaves the
// visible inner area uncovered. Every way of putting the window on screen takes its pixels from
// here, and only the rows that changed since it last took them.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "frames/picture.hpp"
#include "host/host.hpp"
#include "window/layout.hpp"

namespace nuv::host {

// Rows `first` up to but not including `end`; empty when `end` is not past `first`.
struct RowSpan {
  int first = 0;
  int end = 0;

  bool empty() const { return end <= first; }
  // The smallest span that holds both.
  RowSpan joined(RowSpan other) const {
    if (other.empty()) return *this;
    if (empty()) return other;
    return {std::min(first, other.first), std::max(end, other.end)};
  }
  // The part of it above row `rows`.
  RowSpan clipped(int rows) const { return {std::min(first, rows), std::min(end, rows)}; }
  friend bool operator==(const RowSpan&, const RowSpan&) = default;
};

// A buffer of 32-bit pixels the area does not own: `width` x `height` pixels in rows `pitch`
// pixels apart. Its size is the window system's, which may differ from the layout's.
struct PixelRows {
  std::uint32_t* first;
  std::size_t pitch;
  int width;
  int height;
};

class ClientArea {
 public:
  // The area in memory of its own.
  explicit ClientArea(const window::Layout& layout);
  // The area drawn straight into the window system's memory, which must outlive it: all of it
  // is drawn at once, whatever the memory held. The layout is clipped to the buffer, and where
  // the buffer is larger the rest shows the face colour.
  ClientArea(const window::Layout& layout, PixelRows target);
  ClientArea(const ClientArea&) = delete;
  ClientArea& operator=(const ClientArea&) = delete;

  // Picture1 shows `picture` unscaled at the inner area's top-left, clipped to its visible part,
  // or nothing but the face colour: its codes decoded into the buffer, and only the pixels that
  // differ from what it shows written.
  void show(const PictureRef& picture);
  // The rows that changed since the last call; all of them at first.
  RowSpan take_changed();

  int width() const { return width_; }
  int height() const { return height_; }
  const std::uint32_t* row(int y) const {
    return rows_.first + static_cast<std::size_t>(y) * rows_.pitch;
  }

 private:
  ClientArea(const window::Layout& layout, PixelRows target, std::vector<std::uint32_t> own_pixels);
  std::uint32_t* row_to(int y) { return const_cast<std::uint32_t*>(row(y)); }
  void fill(frames::Rgb colour, window::Rect area);
  void fill(frames::Rgb colour, window::Rect area, window::Size clip);
  static bool paint(std::uint32_t* from, std::uint32_t* to, std::uint32_t value);
  void paint_face(window::Rect area);
  void draw(const frames::EncodedPicture& picture, const frames::EncodedPicture* before, int width,
            int height);

  window::Layout layout_;
  int width_;
  int height_;
  std::vector<std::uint32_t> own_pixels_;  // empty when drawn into the window system's memory
  PixelRows rows_;
  PictureRef shown_;  // kept, to compare the next picture with
  RowSpan changed_;
};

// The client-area rows in which an area showing `after` differs from one showing `before`, as the
// pictures' codes tell: all the visible inner rows when they cannot be compared.
RowSpan rows_between(const window::Layout& layout, const PictureRef& before,
                     const PictureRef& after);

// Every colour the area ever holds, as 0x00RRGGBB: the frames' five and the window's own.
std::vector<std::uint32_t> client_area_colours();

// Copies the rows `rows` of the area into `target`, the area's top-left at its first pixel, each
// pixel as a square of `magnify` by `magnify` pixels, clipped to the target's width and height.
void copy_magnified(const ClientArea& area, RowSpan rows, int magnify, PixelRows target);

}  // namespace nuv::host
