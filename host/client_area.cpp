#include "host/client_area.hpp"

#include <array>
#include <cstring>
#include <utility>

#include "frames/palette.hpp"

namespace nuv::host {
namespace {

std::array<std::uint32_t, 256> colours_of(const frames::EncodedPicture& picture) {
  std::array<std::uint32_t, 256> colours;
  std::transform(picture.palette().begin(), picture.palette().end(), colours.begin(),
                 frames::packed);
  return colours;
}

}  // namespace

ClientArea::ClientArea(const window::Layout& layout)
    : ClientArea(layout, {nullptr, 0, layout.client_width, layout.client_height},
                 std::vector<std::uint32_t>(static_cast<std::size_t>(layout.client_width) *
                                            layout.client_height)) {}

ClientArea::ClientArea(const window::Layout& layout, PixelRows target)
    : ClientArea(layout, target, {}) {}

// The face colour everywhere, and Picture1's sunken border: two rings of one pixel each at zoom
// 1, dark along the top and left, light along the bottom and right, so the picture area looks
// pressed into the window. At zoom z each ring is z pixels wide.
ClientArea::ClientArea(const window::Layout& layout, PixelRows target,
                       std::vector<std::uint32_t> own_pixels)
    : layout_(layout),
      width_(std::max(target.width, 0)),
      height_(std::max(target.height, 0)),
      own_pixels_(std::move(own_pixels)),
      rows_(own_pixels_.empty()
                ? target
                : PixelRows{own_pixels_.data(), static_cast<std::size_t>(width_), width_, height_}),
      changed_{0, height_} {
  fill(window::kFaceColour, {0, 0, width_, height_}, {width_, height_});
  const int w = window::kPicture1Outer.width;
  const int h = window::kPicture1Outer.height;
  const struct {
    frames::Rgb colour;
    window::Rect at_zoom_1;
  } edges[] = {
      {window::kShadowColour, {0, 0, w - 1, 1}},     {window::kShadowColour, {0, 0, 1, h - 1}},
      {window::kHighlightColour, {0, h - 1, w, 1}},  {window::kHighlightColour, {w - 1, 0, 1, h}},
      {window::kDarkShadowColour, {1, 1, w - 3, 1}}, {window::kDarkShadowColour, {1, 1, 1, h - 3}},
      {window::kLightColour, {1, h - 2, w - 2, 1}},  {window::kLightColour, {w - 2, 1, 1, h - 2}}};
  for (const auto& edge : edges) fill(edge.colour, window::magnified(edge.at_zoom_1, layout.zoom));
}

// Clipped to the client area and the buffer: Picture1 reaches below the one, and the other may be
// smaller.
void ClientArea::fill(frames::Rgb colour, window::Rect area) {
  fill(colour, area,
       {std::min(width_, layout_.client_width), std::min(height_, layout_.client_height)});
}

void ClientArea::fill(frames::Rgb colour, window::Rect area, window::Size clip) {
  const int left = std::max(area.x, 0);
  const int right = std::min(area.x + area.width, clip.width);
  const int bottom = std::min(area.y + area.height, clip.height);
  const std::uint32_t value = frames::packed(colour);
  if (left >= right) return;
  for (int y = std::max(area.y, 0); y < bottom; ++y)
    std::fill(row_to(y) + left, row_to(y) + right, value);
}

// Writes only the pixels that differ, and reports the rows where one did.
bool ClientArea::paint(std::uint32_t* from, std::uint32_t* to, std::uint32_t value) {
  std::uint32_t* first_different =
      std::find_if(from, to, [value](std::uint32_t pixel) { return pixel != value; });
  if (first_different == to) return false;
  std::fill(first_different, to, value);
  return true;
}

void ClientArea::paint_face(window::Rect area) {
  const int left = std::max(area.x, 0), right = std::min(area.x + area.width, width_);
  const int bottom = std::min({area.y + area.height, height_, layout_.client_height});
  for (int y = std::max(area.y, 0); y < bottom && left < right; ++y)
    if (paint(row_to(y) + left, row_to(y) + right, frames::packed(window::kFaceColour)))
      changed_ = changed_.joined({y, y + 1});
}

void ClientArea::show(const PictureRef& picture) {
  if (picture == shown_) return;
  const window::Rect& inner = layout_.inner;
  // The part of the picture that lies in the visible inner area and in the buffer.
  const int w =
      picture ? std::max(0, std::min({picture->width(), inner.width, width_ - inner.x})) : 0;
  const int h =
      picture ? std::max(0, std::min({picture->height(), layout_.visible_rows, height_ - inner.y}))
              : 0;
  const bool comparable = picture && shown_ && shown_->width() == picture->width() &&
                          shown_->height() == picture->height() &&
                          shown_->palette() == picture->palette();
  if (!comparable) {
    // The picture covers its own part of the visible inner area; the face colour the rest.
    paint_face({inner.x + w, inner.y, inner.width - w, layout_.visible_rows});
    paint_face({inner.x, inner.y + h, w, layout_.visible_rows - h});
  }
  if (picture) draw(*picture, comparable ? shown_.get() : nullptr, w, h);
  shown_ = picture;
}

// Decodes the picture's rows straight into the buffer through its palette, `width` columns and
// `height` rows of it. Against a picture `before` of the same size and palette, rows of the same
// codes are passed over whole; in the others only pixels that differ are written, and only rows
// where one did are reported changed.
void ClientArea::draw(const frames::EncodedPicture& picture, const frames::EncodedPicture* before,
                      int width, int height) {
  const auto colours = colours_of(picture);
  for (int y = 0; y < height; ++y) {
    if (before != nullptr && picture.same_row(y, *before)) continue;
    std::uint32_t* to = row_to(layout_.inner.y + y) + layout_.inner.x;
    bool changed = false;
    picture.for_each_run(
        y,
        [&](int x, int count, std::uint8_t index) {
          const int end = std::min(x + count, width);
          if (x < end && paint(to + x, to + end, colours[index])) changed = true;
        },
        [&](int x, const std::uint8_t* indices, int count) {
          for (int i = 0; i < count && x + i < width; ++i) {
            const std::uint32_t value = colours[indices[i]];
            if (to[x + i] == value) continue;
            to[x + i] = value;
            changed = true;
          }
        });
    if (changed) changed_ = changed_.joined({layout_.inner.y + y, layout_.inner.y + y + 1});
  }
}

RowSpan ClientArea::take_changed() {
  return std::exchange(changed_, {});
}

RowSpan rows_between(const window::Layout& layout, const PictureRef& before,
                     const PictureRef& after) {
  const RowSpan visible{layout.inner.y, layout.inner.y + layout.visible_rows};
  if (before == after) return {};
  if (!before || !after || before->width() != after->width() ||
      before->height() != after->height() || before->palette() != after->palette())
    return visible;
  RowSpan rows;
  for (int y = 0; y < std::min(after->height(), layout.visible_rows); ++y)
    if (!after->same_row(y, *before))
      rows = rows.joined({layout.inner.y + y, layout.inner.y + y + 1});
  return rows;
}

std::vector<std::uint32_t> client_area_colours() {
  std::vector<std::uint32_t> colours;
  for (const frames::Colour drawn :
       {frames::Colour::white, frames::Colour::black, frames::Colour::red, frames::Colour::green,
        frames::Colour::blue})
    colours.push_back(frames::packed(frames::rgb_of(drawn)));
  for (const frames::Rgb c : {window::kFaceColour, window::kShadowColour, window::kDarkShadowColour,
                              window::kHighlightColour, window::kLightColour})
    colours.push_back(frames::packed(c));
  return colours;
}

void copy_magnified(const ClientArea& area, RowSpan rows, int magnify, PixelRows target) {
  const int columns = std::min(area.width() * magnify, std::max(target.width, 0));
  rows = RowSpan{std::max(rows.first, 0), rows.end}.clipped(
      std::min(area.height(), (std::max(target.height, 0) + magnify - 1) / magnify));
  const auto bytes = static_cast<std::size_t>(columns) * sizeof(std::uint32_t);
  for (int y = rows.first; y < rows.end; ++y) {
    const std::uint32_t* from = area.row(y);
    std::uint32_t* first_copy = target.first + static_cast<std::size_t>(y) * magnify * target.pitch;
    for (int x = 0; x < columns; ++x) first_copy[x] = from[x / magnify];
    for (int copy = 1; copy < magnify && y * magnify + copy < target.height; ++copy)
      std::memcpy(first_copy + copy * target.pitch, first_copy, bytes);
  }
}

}  // namespace nuv::host
