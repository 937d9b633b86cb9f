#include "frames/rle8.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/frames/record_error.hpp"

namespace nuv::frames {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kUntouched = 0xEE;

struct Decoded {
  Bytes pixels;  // top row first
  Rle8Codes codes;
};

// The stream's rows as the index of its codes gives them, into a picture of zeros.
Bytes decode_by_rows(const Bytes& stream, int width, int height) {
  Bytes pixels(static_cast<std::size_t>(width * height), 0xAA);
  const std::vector<Rle8Row> rows = index_rle8(stream, width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = &pixels[static_cast<std::size_t>(y * width)];
    for_each_run(
        stream, rows[static_cast<std::size_t>(y)], width,
        [&](int x, int count, std::uint8_t index) { std::fill_n(row + x, count, index); },
        [&](int x, const std::uint8_t* indices, int count) {
          std::copy_n(indices, count, row + x);
        });
  }
  return pixels;
}

// Every stream decoded is also decoded row by row from its index, as a picture is shown, which
// must give what decoding it whole into zeros gives.
Decoded decode(const Bytes& stream, int width, int height) {
  Decoded result{Bytes(static_cast<std::size_t>(width * height), kUntouched), {}};
  result.codes = decode_rle8(stream, width, height, result.pixels);
  Bytes from_zeros(result.pixels.size(), 0);
  decode_rle8(stream, width, height, from_zeros);
  EXPECT_EQ(decode_by_rows(stream, width, height), from_zeros);
  return result;
}

Picture picture_of(int width, int height, const Bytes& pixels) {
  return {width, height, pixels, {}};
}

TEST(Rle8Decode, FillsRowsFromTheBottomWithEncodedAndPaddedAbsoluteRuns) {
  const Bytes stream{3, 5, 0, 3, 1, 2, 3, 0, 2, 7, 0, 0,  // bottom row: 5 5 5 1 2 3 7 7
                     0, 4, 9, 8, 9, 8, 4, 4, 0, 1};       // top row: 9 8 9 8 4 4 4 4
  const Decoded decoded = decode(stream, 8, 2);
  EXPECT_EQ(decoded.pixels, (Bytes{9, 8, 9, 8, 4, 4, 4, 4, 5, 5, 5, 1, 2, 3, 7, 7}));
  EXPECT_EQ(decoded.codes.end_of_row, 1);
  EXPECT_EQ(decoded.codes.position_skips, 0);
}

TEST(Rle8Decode, LeavesPixelsThatSkipsShortRowsAndAnEarlyEndPassOver) {
  const Bytes stream{1, 3, 0, 0,        // bottom row: one pixel, then end of row
                     0, 2, 2, 0, 1, 6,  // middle row: skip two columns, one pixel
                     0, 1};             // end of bitmap before the top row
  const Decoded decoded = decode(stream, 4, 3);
  const auto u = kUntouched;
  EXPECT_EQ(decoded.pixels, (Bytes{u, u, u, u, u, u, 6, u, 3, u, u, u}));
  EXPECT_EQ(decoded.codes.end_of_row, 1);
  EXPECT_EQ(decoded.codes.position_skips, 1);
}

TEST(Rle8Decode, PositionSkipMayReachTheRowsEndAndTheTopRow) {
  const Decoded decoded = decode({0, 2, 4, 1, 0, 1}, 4, 2);
  EXPECT_EQ(decoded.pixels, Bytes(8, kUntouched));
  EXPECT_EQ(decoded.codes.position_skips, 1);
}

TEST(Rle8Decode, AcceptsAnEndOfRowAfterTheTopRowBeforeTheEndOfBitmap) {
  const Decoded decoded = decode({2, 1, 0, 0, 2, 1, 0, 0, 0, 1}, 2, 2);
  EXPECT_EQ(decoded.pixels, (Bytes{1, 1, 1, 1}));
  EXPECT_EQ(decoded.codes.end_of_row, 2);
}

TEST(Rle8Decode, RejectsMalformedStreamsSayingWhatAndWhere) {
  const auto error = [](const Bytes& stream) {
    const std::string message = record_error([&] { decode(stream, 4, 2); });
    EXPECT_EQ(record_error([&] { index_rle8(stream, 4, 2); }), message) << "the index's";
    return message;
  };
  expect_mentions(error({3, 1, 2, 1, 0, 1}),
                  {"run of 2 pixels at column 3 in row 1", "4-pixel row"});
  expect_mentions(error({2, 1, 0, 3, 7, 7, 7, 0, 0, 1}), {"absolute run of 3 pixels at column 2"});
  expect_mentions(error({0, 0, 0, 0, 1, 1, 0, 1}), {"has a run above the top row"});
  expect_mentions(error({0, 0, 0, 0, 0, 0, 0, 1}), {"closes more than 2 rows"});
  expect_mentions(error({4, 1, 0, 0, 4, 1, 0, 0}), {"without an end-of-bitmap code"});
  expect_mentions(error({}), {"ends in row 1 from the bottom without an end-of-bitmap code"});
  expect_mentions(error({4, 1, 0}), {"ends inside a code in row 1"});
  expect_mentions(error({0, 3, 7, 7}), {"ends inside an absolute run of 3 pixels"});
  expect_mentions(error({0, 3, 7, 7, 7}), {"ends inside an absolute run"});  // padding missing
  expect_mentions(error({0, 2, 1}), {"ends inside a position skip"});
  expect_mentions(error({0, 2, 5, 0, 0, 1}), {"position skip by 5, 0", "leaves the picture"});
  expect_mentions(error({0, 2, 0, 2, 0, 1}), {"position skip by 0, 2", "leaves the picture"});
  expect_mentions(error({4, 1, 0, 0, 4, 1, 0, 1, 9, 9}), {"2 bytes after its end-of-bitmap code"});
}

// Runs of random colours, mostly one to four pixels long with a long one (up to 600 pixels) every
// `long_every` runs on average: runs of every length next to one another, and stretches of short
// runs longer than one absolute run can hold.
Bytes random_runs(std::mt19937& random, std::size_t size, unsigned long_every) {
  std::uniform_int_distribution<int> colour(0, 255);
  std::geometric_distribution<int> short_length(0.75);
  std::uniform_int_distribution<int> long_length(1, 600);
  Bytes pixels;
  while (pixels.size() < size) {
    const int length = random() % long_every == 0 ? long_length(random) : 1 + short_length(random);
    pixels.insert(pixels.end(), static_cast<std::size_t>(length),
                  static_cast<std::uint8_t>(colour(random)));
  }
  pixels.resize(size);
  return pixels;
}

TEST(Rle8Encode, RoundTripsAnyPictureAndClosesEveryRowThenTheBitmap) {
  std::mt19937 random(2024);
  for (int picture = 0; picture < 40; ++picture) {
    const int width = 1 + static_cast<int>(random() % 700);
    const int height = 1 + static_cast<int>(random() % 6);
    const unsigned long_every = picture % 2 == 0 ? 4 : 1000;
    const Bytes pixels = random_runs(random, static_cast<std::size_t>(width * height), long_every);
    const Decoded decoded = decode(encode_rle8(picture_of(width, height, pixels)), width, height);
    EXPECT_EQ(decoded.pixels, pixels) << width << " x " << height;
    EXPECT_EQ(decoded.codes.end_of_row, height - 1);
    EXPECT_EQ(decoded.codes.position_skips, 0);
  }
}

// Stream bytes for a 300-pixel row of white with `middle` in the middle, row end included.
std::size_t encoded_row_size(const Bytes& middle) {
  Bytes row(300, 15);
  std::copy(middle.begin(), middle.end(), row.begin() + 150);
  return encode_rle8(picture_of(300, 1, row)).size();
}

TEST(Rle8Encode, UsesAbsoluteRunsOnlyWhereTheyAreShorter) {
  // White before and after: two encoded runs and the end code, six bytes.
  EXPECT_EQ(encoded_row_size({}), 6u);
  // Three single pixels: three encoded runs (6 bytes) tie with a padded absolute run (6 bytes).
  EXPECT_EQ(encoded_row_size({1, 2, 3}), 12u);
  // Four single pixels: an absolute run (6 bytes) beats four encoded runs (8 bytes).
  EXPECT_EQ(encoded_row_size({1, 2, 3, 4}), 12u);
  // Pairs: encoded runs (2 bytes a pair) are never longer than the same pixels absolute.
  EXPECT_EQ(encoded_row_size({1, 1, 2, 2, 3, 3}), 12u);
  // A longer mixed stretch: an absolute run of eight pixels and an encoded run (12 bytes), as
  // short as all nine absolute with padding and shorter than seven encoded runs (14 bytes).
  EXPECT_EQ(encoded_row_size({1, 2, 2, 3, 4, 4, 5, 6, 7}), 18u);
}

TEST(Rle8Encode, SplitsRunsLongerThan255) {
  const Bytes row(600, 9);
  const Bytes stream = encode_rle8(picture_of(600, 1, row));
  EXPECT_EQ(stream, (Bytes{255, 9, 255, 9, 90, 9, 0, 1}));
}

}  // namespace
}  // namespace nuv::frames
