#include "export/export_frames.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "export/image_files.hpp"
#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"

namespace nuv::exporting {
namespace {

std::vector<frames::Picture> decoded_frames(int zoom) {
  std::vector<frames::Picture> pictures;
  for (int slot = 0; slot < frames::kFrameCount; ++slot)
    pictures.push_back(frames::decoded_stored_picture(frames::image_number_of_slot(slot), zoom));
  return pictures;
}

}  // namespace

std::string frame_file_name(int frame) {
  char name[16];
  std::snprintf(name, sizeof name, "frame%02d.png", frame);
  return name;
}

// All nineteen files are written before any of them replaces an earlier export's.
void export_frames(const std::filesystem::path& dir, int zoom,
                   const std::function<void()>& between_files) {
  make_directory(dir);
  const std::vector<frames::Picture> pictures = decoded_frames(zoom);
  FileSet files;
  for (int frame = 1; frame <= frames::kFrameCount; ++frame) {
    between_files();
    files.add(dir / frame_file_name(frame),
              encode_png(pictures[static_cast<std::size_t>(frame - 1)]));
  }
  between_files();
  files.add(dir / kAnimationFileName, encode_gif(pictures));
  between_files();
  files.put_in_place();
}

}  // namespace nuv::exporting
