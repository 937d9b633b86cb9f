// Draws the eighteen frames and writes them into the directory given on the command line:
//   stored_record_data.cpp   the picture records, compiled into the viewer
//   records/ImageN.rec       the same records as files, the decoder fuzzer's seeds
//   bitmaps/frameNN.bmp      each frame as a plain bitmap file
//   contact_sheet.png        all frames under their numbers

#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "frames/contact_sheet.hpp"
#include "frames/frame_drawing.hpp"
#include "frames/picture_record.hpp"
#include "frames/plain_bitmap.hpp"
#include "frames/png_file.hpp"
#include "frames/record_source.hpp"

namespace {

namespace fs = std::filesystem;
using nuv::frames::image_control_name;
using nuv::frames::Picture;

void write_file(const fs::path& path, std::span<const char> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

void write_file(const fs::path& path, std::span<const std::uint8_t> bytes) {
  write_file(path, std::span(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string two_digits(int number) {
  return (number < 10 ? "0" : "") + std::to_string(number);
}

void bake(const fs::path& out) {
  fs::create_directories(out / "records");
  fs::create_directories(out / "bitmaps");
  const std::vector<Picture> frames = nuv::frames::draw_all_frames();
  std::vector<std::vector<std::uint8_t>> records;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const int number = nuv::frames::image_number_of_slot(static_cast<int>(i));
    records.push_back(nuv::frames::encode_picture_record(frames[i]));
    write_file(out / "records" / (image_control_name(number) + ".rec"), records.back());
    write_file(out / "bitmaps" / ("frame" + two_digits(number) + ".bmp"),
               nuv::frames::plain_bitmap_file(frames[i]));
  }
  write_file(out / "stored_record_data.cpp", nuv::frames::stored_records_source(records));
  nuv::frames::write_png(nuv::frames::contact_sheet(frames), out / "contact_sheet.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: bake_frames OUTPUT_DIRECTORY\n";
    return 2;
  }
  try {
    bake(argv[1]);
  } catch (const std::exception& error) {
    std::cerr << "bake_frames: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
