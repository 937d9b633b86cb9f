#include "host/client_area.hpp"

#include <array>
#include <cstring>
#include <utility>

#include "frames/palette.hpp"

namespace nuv::host {
namespace {

std::uint32_t packed(window::Colour c) {
  return frames::packed({c.r, c.g, c.b});
}

std::array<std::uint32_t, 256> colours_of(const frames::Picture& picture) {
  std::array<std::uint32_t, 256> colours;
  std::ranges::transform(picture.palette, colours.begin(), frames::packed);
  return colours;
}

std::uint64_t word_at(const std::uint8_t* at) {
  std::uint64_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
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
    window::Colour colour;
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
void ClientArea::fill(window::Colour colour, window::Rect area) {
  fill(colour, area,
       {std::min(width_, layout_.client_width), std::min(height_, layout_.client_height)});
}

void ClientArea::fill(window::Colour colour, window::Rect area, window::Size clip) {
  const int left = std::max(area.x, 0);
  const int right = std::min(area.x + area.width, clip.width);
  const int bottom = std::min(area.y + area.height, clip.height);
  const std::uint32_t value = packed(colour);
  if (left >= right) return;
  for (int y = std::max(area.y, 0); y < bottom; ++y)
    std::fill(row_to(y) + left, row_to(y) + right, value);
}

void ClientArea::show(PictureRef picture) {
  if (picture == shown_) return;
  const window::Rect& inner = layout_.inner;
  // The part of the picture that lies in the visible inner area and in the buffer.
  const int w =
      picture ? std::max(0, std::min({picture->width, inner.width, width_ - inner.x})) : 0;
  const int h =
      picture ? std::max(0, std::min({picture->height, layout_.visible_rows, height_ - inner.y}))
              : 0;
  const bool comparable = picture && shown_ && shown_->width == picture->width &&
                          shown_->height == picture->height && shown_->palette == picture->palette;
  if (comparable) {
    convert(*picture, shown_.get(), w, h);
  } else {
    // The picture covers its own part of the visible inner area; the face colour the rest.
    fill(window::kFaceColour, {inner.x + w, inner.y, inner.width - w, layout_.visible_rows});
    fill(window::kFaceColour, {inner.x, inner.y + h, w, layout_.visible_rows - h});
    if (picture) convert(*picture, nullptr, w, h);
    changed_ = changed_.joined(RowSpan{inner.y, inner.y + layout_.visible_rows}.clipped(height_));
  }
  shown_ = std::move(picture);
}

// Converts the picture through its palette. Against a picture `before` of the same size and
// palette, rows that are the same are passed over whole, and in the others every word of indices
// that is the same as before.
void ClientArea::convert(const frames::Picture& picture, const frames::Picture* before, int width,
                         int height) {
  const auto colours = colours_of(picture);
  const auto columns = static_cast<std::size_t>(width);
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  for (int y = 0; y < height; ++y) {
    const std::size_t start = static_cast<std::size_t>(y) * picture.width;
    const std::uint8_t* now = &picture.pixels[start];
    const std::uint8_t* was = before != nullptr ? &before->pixels[start] : nullptr;
    if (was != nullptr && std::memcmp(now, was, columns) == 0) continue;
    std::uint32_t* to = row_to(layout_.inner.y + y) + layout_.inner.x;
    for (std::size_t x = 0; x < columns; x += kWord) {
      const std::size_t end = std::min(x + kWord, columns);
      if (was != nullptr && end - x == kWord && word_at(now + x) == word_at(was + x)) continue;
      for (std::size_t i = x; i < end; ++i) to[i] = colours[now[i]];
    }
    changed_ = changed_.joined({layout_.inner.y + y, layout_.inner.y + y + 1});
  }
}

RowSpan ClientArea::take_changed() {
  return std::exchange(changed_, {});
}

std::vector<std::uint32_t> client_area_colours() {
  std::vector<std::uint32_t> colours;
  for (const frames::Colour drawn :
       {frames::Colour::white, frames::Colour::black, frames::Colour::red, frames::Colour::green,
        frames::Colour::blue})
    colours.push_back(frames::packed(frames::rgb_of(drawn)));
  for (const window::Colour c :
       {window::kFaceColour, window::kShadowColour, window::kDarkShadowColour,
        window::kHighlightColour, window::kLightColour})
    colours.push_back(packed(c));
  return colours;
}

void copy_magnified(const ClientArea& area, RowSpan rows, int magnify, std::uint32_t* target,
                    std::size_t stride) {
  const auto width = static_cast<std::size_t>(area.width());
  for (int y = rows.first; y < rows.end; ++y) {
    const std::uint32_t* from = area.row(y);
    std::uint32_t* first_copy = target + static_cast<std::size_t>(y) * magnify * stride;
    if (magnify == 1) {
      std::memcpy(first_copy, from, width * sizeof *from);
      continue;
    }
    for (std::size_t x = 0; x < width; ++x) std::fill_n(first_copy + x * magnify, magnify, from[x]);
    for (int copy = 1; copy < magnify; ++copy)
      std::memcpy(first_copy + copy * stride, first_copy, width * magnify * sizeof *from);
  }
}

}  // namespace nuv::host
