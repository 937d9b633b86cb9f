#include "frames/loaded_records.hpp"

#include <optional>
#include <string>

#include "frames/picture_record.hpp"
#include "frames/stored_record_data.hpp"

namespace nuv::frames {
namespace {

struct Loaded {
  std::vector<std::uint8_t> file;
  detail::ZoomRecords records;
};

std::array<std::optional<Loaded>, kMaxZoom> loaded;

std::uint32_t little_endian(std::span<const std::uint8_t> bytes) {
  return bytes[0] | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

}  // namespace

// Each record's first four bytes count the bytes that follow them; the records are checked
// whole when their image controls read them. A file that is not eighteen records leaves what was
// loaded before.
void load_records(int zoom, std::vector<std::uint8_t> file) {
  check_zoom(zoom);
  Loaded zoom_records{std::move(file), {}};
  std::span<const std::uint8_t> rest = zoom_records.file;
  for (int slot = 0; slot < kFrameCount; ++slot) {
    const std::string where = "the records at zoom " + std::to_string(zoom) + ", " +
                              image_control_name(image_number_of_slot(slot));
    if (rest.size() < 4) throw RecordError(where + ": the file ends before it");
    const std::uint64_t length = std::uint64_t{little_endian(rest)} + 4;
    if (length > rest.size()) throw RecordError(where + ": the file ends inside it");
    zoom_records.records[static_cast<std::size_t>(slot)] = rest.first(static_cast<std::size_t>(length));
    rest = rest.subspan(static_cast<std::size_t>(length));
  }
  if (!rest.empty())
    throw RecordError("the records at zoom " + std::to_string(zoom) + ": " +
                      std::to_string(rest.size()) + " bytes after the last");
  // The records point into the file's bytes, which a vector keeps where they are as it moves.
  loaded[static_cast<std::size_t>(zoom - 1)] = std::move(zoom_records);
}

bool records_loaded(int zoom) {
  return zoom >= 1 && zoom <= kMaxZoom && loaded[static_cast<std::size_t>(zoom - 1)].has_value();
}

void keep_only_records(int zoom) {
  for (int other = 1; other <= kMaxZoom; ++other)
    if (other != zoom) loaded[static_cast<std::size_t>(other - 1)].reset();
}

const detail::ZoomRecords* detail::stored_records(int zoom) {
  const auto& zoom_records = loaded[static_cast<std::size_t>(zoom - 1)];
  return zoom_records ? &zoom_records->records : nullptr;
}

}  // namespace nuv::frames
