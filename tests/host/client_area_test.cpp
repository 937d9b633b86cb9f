// The client area composed from the pictures' codes: what it shows, the rows it reports changed,
// and the buffers it never writes beyond.

#include "host/client_area.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"
#include "window/layout.hpp"

namespace nuv::host {
namespace {

using Pixels = std::vector<std::uint32_t>;

PictureRef frame(int image_number, int zoom) {
  return std::make_shared<const frames::EncodedPicture>(frames::stored_picture(image_number, zoom));
}

frames::Picture decoded(int image_number, int zoom) {
  return frames::decoded_stored_picture(image_number, zoom);
}

// The same frame in other colours, as a picture with another palette arrives.
PictureRef recoloured(int image_number, int zoom) {
  frames::Picture picture = decoded(image_number, zoom);
  for (frames::Rgb& colour : picture.palette) colour = {colour.b, colour.r, colour.g};
  return std::make_shared<const frames::EncodedPicture>(
      frames::read_picture_record(frames::encode_picture_record(picture), "recoloured", zoom));
}

// Every ordered pair of the frames' numbers 1 to 18, one after another: a de Bruijn sequence.
std::vector<int> every_pair_of_frames() {
  constexpr int k = frames::kFrameCount;
  std::vector<int> sequence, a(3, 0);
  const auto visit = [&](auto& self, int t, int p) -> void {
    if (t > 2) {
      if (2 % p == 0)
        for (int i = 1; i <= p; ++i) sequence.push_back(a[static_cast<std::size_t>(i)] + 1);
      return;
    }
    a[static_cast<std::size_t>(t)] = a[static_cast<std::size_t>(t - p)];
    self(self, t + 1, p);
    for (int j = a[static_cast<std::size_t>(t - p)] + 1; j < k; ++j) {
      a[static_cast<std::size_t>(t)] = j;
      self(self, t + 1, t);
    }
  };
  visit(visit, 1, 1);
  sequence.push_back(sequence.front());
  return sequence;
}

// A hash of each row of the area, to compare areas row by row quickly.
std::vector<std::uint64_t> row_hashes(const ClientArea& area) {
  std::vector<std::uint64_t> hashes;
  for (int y = 0; y < area.height(); ++y) {
    std::uint64_t hash = 0;
    for (int x = 0; x < area.width(); ++x) hash = (hash ^ area.row(y)[x]) * 0x100000001B3u;
    hashes.push_back(hash);
  }
  return hashes;
}

// The rows in which two areas differ, as the smallest span that holds them all.
RowSpan rows_differing(const std::vector<std::uint64_t>& before,
                       const std::vector<std::uint64_t>& after) {
  RowSpan rows;
  for (std::size_t y = 0; y < after.size(); ++y)
    if (before[y] != after[y]) rows = rows.joined({static_cast<int>(y), static_cast<int>(y) + 1});
  return rows;
}

// Every frame shown after every other, at every zoom, into memory of the window system's that is
// wider than the area and holds anything at first: the area then equals one that showed only that
// frame, whose inner area is exactly what decoding the frame's record gives; the rows reported
// changed are exactly those that changed; nothing beyond the area's rows is written. Then no
// picture, another palette, and the same picture twice.
TEST(ClientArea, ShowingFramesInAnyOrderEqualsDecodingEachAlone) {
  constexpr std::uint32_t kLeftAlone = 0xDEADBEEF;
  const std::vector<int> walk = every_pair_of_frames();
  ASSERT_EQ(walk.size(), frames::kFrameCount * frames::kFrameCount + 1u);
  for (int zoom = 1; zoom <= frames::kMaxZoom; ++zoom) {
    const window::Layout layout = window::layout_at(zoom);
    std::vector<PictureRef> pictures;
    std::vector<std::vector<std::uint64_t>> alone;
    for (int number = 1; number <= frames::kFrameCount; ++number) {
      pictures.push_back(frame(number, zoom));
      ClientArea only(layout);
      only.show(pictures.back());
      const frames::Picture expected = decoded(number, zoom);
      for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < layout.inner.width; ++x)
          ASSERT_EQ(only.row(layout.inner.y + y)[layout.inner.x + x],
                    frames::packed(expected.colour_at(x, y)))
              << "zoom " << zoom << ", Image" << number << " at " << x << ", " << y;
      alone.push_back(row_hashes(only));
    }
    const std::size_t pitch = static_cast<std::size_t>(layout.client_width) + 3;
    Pixels framebuffer(pitch * layout.client_height, kLeftAlone);
    ClientArea area(layout, {framebuffer.data(), pitch, layout.client_width, layout.client_height});
    area.take_changed();
    std::vector<std::uint64_t> before = row_hashes(area);
    const auto show = [&](const PictureRef& picture) {
      area.show(picture);
      std::vector<std::uint64_t> after = row_hashes(area);
      EXPECT_EQ(area.take_changed(), rows_differing(before, after)) << "zoom " << zoom;
      before = std::move(after);
    };
    for (const int number : walk) {
      show(pictures[static_cast<std::size_t>(number - 1)]);
      ASSERT_EQ(before, alone[static_cast<std::size_t>(number - 1)])
          << "zoom " << zoom << ", Image" << number;
    }
    show(nullptr);
    show(recoloured(walk.back(), zoom));
    show(pictures[0]);
    EXPECT_EQ(before, alone[0]) << "zoom " << zoom;
    area.show(pictures[0]);
    EXPECT_TRUE(area.take_changed().empty()) << "the same picture again";
    for (std::size_t row = 0; row < framebuffer.size(); row += pitch)
      EXPECT_TRUE(std::all_of(&framebuffer[row + layout.client_width], &framebuffer[row + pitch],
                              [](std::uint32_t pixel) { return pixel == kLeftAlone; }));
  }
}

// Another client may give the window any size, and the window system a buffer of that size: the
// area is drawn into it clipped, pixel for pixel as in a buffer of the layout's size, with the
// face colour where the buffer is larger, and nothing written outside it.
TEST(ClientArea, BuffersOfAnySizeAreDrawnClippedAndNeverOverrun) {
  constexpr std::uint32_t kOutside = 0xDEADBEEF;
  const std::uint32_t face = frames::packed(window::kFaceColour);
  for (int zoom = 1; zoom <= frames::kMaxZoom; ++zoom) {
    const window::Layout layout = window::layout_at(zoom);
    const int w = layout.client_width, h = layout.client_height;
    const std::pair<int, int> sizes[] = {{1, 1},
                                         {100, 100},
                                         {w - 1, h},
                                         {w, h - 1},
                                         {w + 5, h},
                                         {w, h + 5},
                                         {600 * zoom, 800 * zoom},
                                         {w / 2, h + 9}};
    for (const auto& [width, height] : sizes) {
      const std::size_t pitch = static_cast<std::size_t>(width) + 2;
      Pixels buffer(pitch * (height + 1), kOutside);
      ClientArea clipped(layout, {buffer.data(), pitch, width, height});
      ClientArea full(layout);
      for (const int image : {1, 7}) {
        clipped.show(frame(image, zoom));
        full.show(frame(image, zoom));
        EXPECT_LE(clipped.take_changed().end, height) << zoom << ": " << width << " x " << height;
      }
      for (int y = 0; y <= height; ++y)
        for (int x = 0; x < static_cast<int>(pitch); ++x) {
          const std::uint32_t expected = x >= width || y >= height ? kOutside
                                         : x < w && y < h          ? full.row(y)[x]
                                                                   : face;
          ASSERT_EQ(buffer[y * pitch + x], expected)
              << "zoom " << zoom << ", " << width << " x " << height << " at " << x << ", " << y;
        }
    }
  }
}

// The frame lies unscaled at the inner area's top-left inside the sunken border, and the face
// colour fills what it leaves of the visible inner area.
TEST(ClientArea, PictureInsideTheSunkenBorder) {
  for (int zoom = 1; zoom <= frames::kMaxZoom; ++zoom) {
    const window::Layout layout = window::layout_at(zoom);
    const PictureRef picture = frame(5, zoom);
    ClientArea area(layout);
    area.show(picture);
    EXPECT_EQ(area.take_changed(), (RowSpan{0, layout.client_height})) << zoom;
    const auto at = [&](int x, int y) { return area.row(y)[x]; };
    const window::Rect& inner = layout.inner;
    const int right = layout.client_width - 1, bottom = layout.client_height - 1;
    EXPECT_EQ(at(0, 0), frames::packed(window::kShadowColour)) << zoom;
    EXPECT_EQ(at(0, bottom), frames::packed(window::kShadowColour)) << zoom;
    EXPECT_EQ(at(zoom, zoom), frames::packed(window::kDarkShadowColour)) << zoom;
    EXPECT_EQ(at(inner.x - 1, bottom), frames::packed(window::kDarkShadowColour)) << zoom;
    EXPECT_EQ(at(right, zoom), frames::packed(window::kHighlightColour)) << zoom;
    EXPECT_EQ(at(right - zoom, bottom), frames::packed(window::kLightColour)) << zoom;
    EXPECT_EQ(at(inner.x + inner.width - 1, bottom), frames::packed(window::kFaceColour)) << zoom;
    const frames::Picture expected = decoded(5, zoom);
    for (const auto& [x, y] : {std::pair{0, 0}, {inner.width - 1, expected.height - 1}, {77, 300}})
      EXPECT_EQ(at(inner.x + x, inner.y + y), frames::packed(expected.colour_at(x, y))) << zoom;
  }
}

// Each pixel becomes a square of the magnified buffer, and only the rows asked for are copied.
// Into a buffer of the area's size, or a smaller one it is clipped to: never a pixel past it.
TEST(ClientArea, CopiesRowsMagnifiedClippedToTheTarget) {
  ClientArea area(window::layout_at(1));
  area.show(frame(3, 1));
  const RowSpan rows{100, 300};
  for (const int magnify : {1, 2, 3})
    for (const window::Size size : {window::Size{area.width() * magnify, area.height() * magnify},
                                    window::Size{200, 250 * magnify + 1}}) {
      const std::size_t stride = static_cast<std::size_t>(size.width) + 5;
      Pixels target(stride * size.height + 5, 0xDEADBEEF);
      copy_magnified(area, rows, magnify, {target.data(), stride, size.width, size.height});
      for (int y = 0; y < size.height; y += 7)
        for (int x = 0; x < size.width; x += 3) {
          const bool copied = y / magnify >= rows.first && y / magnify < rows.end;
          ASSERT_EQ(target[y * stride + x],
                    copied ? area.row(y / magnify)[x / magnify] : 0xDEADBEEF)
              << magnify << ": " << x << ", " << y;
        }
      for (std::size_t y = 0; y < static_cast<std::size_t>(size.height); ++y)
        for (std::size_t x = static_cast<std::size_t>(size.width); x < stride; ++x)
          ASSERT_EQ(target[y * stride + x], 0xDEADBEEF) << "past the target's width";
      ASSERT_EQ(target.back(), 0xDEADBEEF) << "past the target's height";
    }
}

}  // namespace
}  // namespace nuv::host
