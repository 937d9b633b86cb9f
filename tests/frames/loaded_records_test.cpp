// The records a web page loads at run time: the file of a zoom's eighteen records, against the
// records bake_frames wrote one by one, and files that are not whole.

#include "frames/loaded_records.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"

namespace nuv::frames {
namespace {

std::vector<std::uint8_t> file_bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<std::uint8_t> zoom_file(int zoom) {
  return file_bytes(std::string(NUV_BAKED_DIR) + "/web/frames-" + std::to_string(zoom) + "x.bin");
}

TEST(LoadedRecords, AZoomsFileHoldsTheEighteenRecordsInOrder) {
  EXPECT_FALSE(records_loaded(1));
  EXPECT_THROW(stored_record(1, 1), std::out_of_range) << "nothing loaded yet";
  load_records(1, zoom_file(1));
  ASSERT_TRUE(records_loaded(1));
  for (int image = 1; image <= kFrameCount; ++image) {
    const auto record = stored_record(image, 1);
    const auto baked = file_bytes(std::string(NUV_BAKED_DIR) + "/records/" +
                                  image_control_name(image) + ".rec");
    EXPECT_TRUE(std::ranges::equal(record, baked)) << image_control_name(image);
    EXPECT_NO_THROW(stored_picture(image, 1)) << image_control_name(image);
  }
  load_records(3, zoom_file(3));
  keep_only_records(3);
  EXPECT_FALSE(records_loaded(1));
  EXPECT_EQ(stored_picture(18, 3).width(), kFrameWidth * 3);
}

TEST(LoadedRecords, AFileThatIsNotEighteenWholeRecordsIsRefusedLeavingTheLoadedOnes) {
  const std::vector<std::uint8_t> whole = zoom_file(2);
  const struct {
    const char* what;
    std::vector<std::uint8_t> file;
    const char* message;
  } cases[] = {
      {"empty", {}, "the records at zoom 2, Image1: the file ends before it"},
      {"cut inside the last", {whole.begin(), whole.end() - 1}, "Image18: the file ends inside it"},
      {"a byte after the last", [&] {
         auto longer = whole;
         longer.push_back(0);
         return longer;
       }(),
       "1 bytes after the last"},
  };
  load_records(2, whole);
  for (const auto& [what, file, message] : cases) {
    try {
      load_records(2, file);
      ADD_FAILURE() << what << ": loaded";
    } catch (const RecordError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos)
          << what << ": " << error.what();
    }
    // A refused file leaves the records loaded before it.
    for (int image = 1; image <= kFrameCount; ++image)
      EXPECT_NO_THROW(stored_picture(image, 2)) << what << ", " << image_control_name(image);
  }
  EXPECT_THROW(load_records(4, whole), std::out_of_range);
}

}  // namespace
}  // namespace nuv::frames
