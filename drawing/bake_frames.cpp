// Draws the eighteen frames at every zoom and writes them into the directory given on the command
// line:
//   stored_record_data.cpp   the picture records at every zoom, compiled into the viewer
//   web/frames-Zx.bin        the eighteen records at zoom Z one after another, which a web page
//                            fetches for the zoom it shows
//   records/ImageN.rec       the zoom 1 records as files, the decoder fuzzer's seeds
//   bitmaps/frameNN.bmp      each zoom 1 frame as a plain bitmap file
//   sheets/frames.png        all zoom 1 frames under their numbers, the copy kept in docs/
//   sheets/frames-Zx.png     the same at zoom Z, from 2 up
//   sheets/parts.png         a frame with its parts numbered, the copy kept in docs/

#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/contact_sheet.hpp"
#include "drawing/frame_drawing.hpp"
#include "drawing/parts_picture.hpp"
#include "drawing/plain_bitmap.hpp"
#include "drawing/png_file.hpp"
#include "drawing/record_source.hpp"
#include "frames/picture_record.hpp"
#include "frames/zoom.hpp"

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

std::string sheet_name(int zoom) {
  return zoom == 1 ? "frames.png" : "frames-" + std::to_string(zoom) + "x.png";
}

// The files made for people and for the fuzzer come from the zoom 1 frames only.
void write_zoom1_files(const fs::path& out, const std::vector<Picture>& frames,
                       const nuv::drawing::ZoomRecordBytes& records) {
  fs::create_directories(out / "records");
  fs::create_directories(out / "bitmaps");
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const int number = nuv::frames::image_number_of_slot(static_cast<int>(i));
    write_file(out / "records" / (image_control_name(number) + ".rec"), records[i]);
    write_file(out / "bitmaps" / ("frame" + two_digits(number) + ".bmp"),
               nuv::drawing::plain_bitmap_file(frames[i]));
  }
}

std::vector<std::uint8_t> joined(const nuv::drawing::ZoomRecordBytes& records) {
  std::vector<std::uint8_t> bytes;
  for (const auto& record : records) bytes.insert(bytes.end(), record.begin(), record.end());
  return bytes;
}

void bake(const fs::path& out) {
  fs::create_directories(out / "sheets");
  fs::create_directories(out / "web");
  std::vector<nuv::drawing::ZoomRecordBytes> records_by_zoom;
  for (int zoom = 1; zoom <= nuv::frames::kMaxZoom; ++zoom) {
    const std::vector<Picture> frames = nuv::drawing::draw_all_frames(zoom);
    nuv::drawing::ZoomRecordBytes& records = records_by_zoom.emplace_back();
    for (const Picture& frame : frames)
      records.push_back(nuv::frames::encode_picture_record(frame));
    if (zoom == 1) write_zoom1_files(out, frames, records);
    write_file(out / "web" / ("frames-" + std::to_string(zoom) + "x.bin"), joined(records));
    nuv::drawing::write_png(nuv::drawing::contact_sheet(frames, zoom),
                            out / "sheets" / sheet_name(zoom));
  }
  nuv::drawing::write_png(nuv::drawing::parts_picture(), out / "sheets" / "parts.png");
  write_file(out / "stored_record_data.cpp", nuv::drawing::stored_records_source(records_by_zoom));
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
