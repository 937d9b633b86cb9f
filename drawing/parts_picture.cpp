#include "drawing/parts_picture.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "drawing/digit_font.hpp"
#include "drawing/frame_drawing.hpp"

namespace nuv::drawing {
namespace {

using frames::Rgb;

constexpr int kFrame = 3;  // the crank past the top: link, pin and counterweight all apart
constexpr int kZoom = 2;
constexpr int kMargin = 96;     // each side of the frame, for the numbers
constexpr int kLabelScale = 4;  // image pixels a font pixel
constexpr int kLabelGap = 8;    // between a number and its line, and between numbers
constexpr Rgb kBackground{0xFF, 0xFF, 0xFF};
constexpr Rgb kLabelColour{0x00, 0x00, 0x00};
constexpr Rgb kLeaderColour{0x80, 0x80, 0x80};

struct Label {
  int number = 0;
  Point part;  // in the picture's pixels
  int top = 0;
  bool left = false;
};

void draw_line(RgbImage& image, Point from, Point to, Rgb colour) {
  const int steps =
      static_cast<int>(std::ceil(std::max(std::abs(to.x - from.x), std::abs(to.y - from.y))));
  for (int i = 0; i <= steps; ++i) {
    const double t = steps == 0 ? 0 : static_cast<double>(i) / steps;
    const int x = static_cast<int>(std::lround(from.x + (to.x - from.x) * t));
    const int y = static_cast<int>(std::lround(from.y + (to.y - from.y) * t));
    if (x >= 0 && x < image.width && y >= 0 && y < image.height) image.at(x, y) = colour;
  }
}

// Each side's numbers in the order of their parts from top to bottom, moved down where they
// would touch the one above.
void spread_out(std::vector<Label>& labels) {
  std::ranges::sort(labels, [](const Label& a, const Label& b) { return a.part.y < b.part.y; });
  constexpr int kHeight = kGlyphHeight * kLabelScale;
  for (bool left : {true, false}) {
    int free_from = 0;
    for (Label& label : labels) {
      if (label.left != left) continue;
      label.top = std::max(static_cast<int>(label.part.y) - kHeight / 2, free_from);
      free_from = label.top + kHeight + kLabelGap;
    }
  }
}

}  // namespace

RgbImage parts_picture() {
  const frames::Picture frame = draw_frame(frame_pose(kFrame), kZoom);
  RgbImage picture(frame.width + 2 * kMargin, frame.height, kBackground);
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) picture.at(kMargin + x, y) = frame.colour_at(x, y);

  std::vector<Label> labels;
  const std::vector<PartMark> marks = part_marks(frame_pose(kFrame));
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const Point part{kMargin + marks[i].at.x * kZoom, marks[i].at.y * kZoom};
    labels.push_back({static_cast<int>(i) + 1, part, 0, marks[i].at.x < kMainAxis.x});
  }
  spread_out(labels);
  for (const Label& label : labels) {
    const int width = stamped_width(label.number, kLabelScale);
    const int left = label.left ? kLabelGap : picture.width - kLabelGap - width;
    const double end = label.left ? left + width + kLabelGap : left - kLabelGap;
    draw_line(picture, {end, label.top + kGlyphHeight * kLabelScale / 2.0}, label.part,
              kLeaderColour);
    stamp_number(picture, label.number, left, label.top, kLabelScale, kLabelColour);
  }
  return picture;
}

}  // namespace nuv::drawing
