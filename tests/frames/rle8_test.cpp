#include "frames/rle8.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "frames/picture_record.hpp"

namespace nuv::frames {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kUntouched = 0xEE;

struct Decoded {
  Bytes pixels;  // top row first
  Rle8Codes codes;
};

Decoded decode(const Bytes& stream, int width, int height) {
  Decoded result{Bytes(static_cast<std::size_t>(width * height), kUntouched), {}};
  result.codes = decode_rle8(stream, width, height, result.pixels);
  return result;
}

std::string decode_error(const Bytes& stream, int width, int height) {
  try {
    decode(stream, width, height);
  } catch (const RecordError& error) {
    return error.what();
  }
  return "no error";
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

TEST(Rle8Decode, AcceptsAnEndOfRowAfterTheTopRowBeforeTheEndOfBitmap) {
  const Decoded decoded = decode({2, 1, 0, 0, 2, 1, 0, 0, 0, 1}, 2, 2);
  EXPECT_EQ(decoded.pixels, (Bytes{1, 1, 1, 1}));
  EXPECT_EQ(decoded.codes.end_of_row, 2);
}

TEST(Rle8Decode, RejectsMalformedStreamsSayingWhatAndWhere) {
  struct Case {
    const char* fault;
    Bytes stream;
    std::vector<std::string> message_parts;
  };
  const std::vector<Case> cases{
      {"encoded run past the row end",
       {3, 1, 2, 1, 0, 1},
       {"run of 2 pixels at column 3", "row 1", "4-pixel row"}},
      {"absolute run past the row end",
       {2, 1, 0, 3, 7, 7, 7, 0, 0, 1},
       {"absolute run of 3 pixels", "column 2"}},
      {"pixels above the top row", {0, 0, 0, 0, 1, 1, 0, 1}, {"above the top row"}},
      {"too many rows", {0, 0, 0, 0, 0, 0, 0, 1}, {"closes more than 2 rows"}},
      {"no end of bitmap", {4, 1, 0, 0, 4, 1, 0, 0}, {"without an end-of-bitmap code"}},
      {"stream cut inside a code", {4, 1, 0}, {"ends inside a code", "row 1"}},
      {"stream cut inside an absolute run",
       {0, 3, 7, 7},
       {"ends inside an absolute run of 3 pixels"}},
      {"stream cut before the padding", {0, 3, 7, 7, 7}, {"ends inside an absolute run"}},
      {"stream cut inside a skip", {0, 2, 1}, {"ends inside a position skip"}},
      {"skip off the right edge",
       {0, 2, 5, 0, 0, 1},
       {"position skip by 5, 0", "leaves the picture"}},
      {"skip above the top row",
       {0, 2, 0, 2, 0, 1},
       {"position skip by 0, 2", "leaves the picture"}},
      {"bytes after the end",
       {4, 1, 0, 0, 4, 1, 0, 1, 9, 9},
       {"2 bytes after its end-of-bitmap code"}},
      {"empty stream", {}, {"ends in row 1", "without an end-of-bitmap code"}},
  };
  for (const Case& c : cases) {
    const std::string message = decode_error(c.stream, 4, 2);
    for (const std::string& part : c.message_parts) {
      EXPECT_NE(message.find(part), std::string::npos) << c.fault << ": \"" << message << '"';
    }
  }
}

// Rows of runs from 1 to 600 pixels long in a few colours, so that runs of every length meet
// short runs, long runs and one another in every order the encoder has to split.
Bytes random_runs(std::mt19937& random, std::size_t size) {
  std::uniform_int_distribution<int> colour(0, 3);
  std::geometric_distribution<int> short_length(0.4);
  std::uniform_int_distribution<int> long_length(1, 600);
  Bytes pixels;
  while (pixels.size() < size) {
    const int length = random() % 4 == 0 ? long_length(random) : 1 + short_length(random);
    pixels.insert(pixels.end(), static_cast<std::size_t>(length),
                  static_cast<std::uint8_t>(colour(random) * 60));
  }
  pixels.resize(size);
  return pixels;
}

TEST(Rle8Encode, RoundTripsAnyPictureAndClosesEveryRowThenTheBitmap) {
  std::mt19937 random(2024);
  for (int picture = 0; picture < 40; ++picture) {
    const int width = 1 + static_cast<int>(random() % 700);
    const int height = 1 + static_cast<int>(random() % 6);
    const Bytes pixels = random_runs(random, static_cast<std::size_t>(width * height));
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
  // A longer mixed stretch goes out as one absolute run: 2 + 9 + 1 padding bytes.
  EXPECT_EQ(encoded_row_size({1, 2, 2, 3, 4, 4, 5, 6, 7}), 18u);
}

TEST(Rle8Encode, SplitsRunsLongerThan255) {
  const Bytes row(600, 9);
  const Bytes stream = encode_rle8(picture_of(600, 1, row));
  EXPECT_EQ(stream, (Bytes{255, 9, 255, 9, 90, 9, 0, 1}));
}

}  // namespace
}  // namespace nuv::frames
