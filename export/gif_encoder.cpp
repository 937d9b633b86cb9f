// Animated GIF files through giflib: one global colour table, a looping application extension,
// and each frame whole with its own delay.
#include <gif_lib.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "export/image_files.hpp"
#include "export/used_colours.hpp"

namespace nuv::exporting {
namespace {

int append_bytes(GifFileType* gif, const GifByteType* data, int length) {
  auto& file = *static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  file.insert(file.end(), data, data + length);
  return length;
}

// GIF colour tables hold a power of two entries; the unused ones stay black.
int table_size_for(std::size_t colours) {
  int size = 2;
  while (static_cast<std::size_t>(size) < colours) size *= 2;
  return size;
}

class GifWriter {
 public:
  explicit GifWriter(std::vector<std::uint8_t>& file) {
    int error = 0;
    gif_ = EGifOpen(&file, append_bytes, &error);
    if (!gif_) fail(error);
  }
  ~GifWriter() {
    if (gif_) EGifCloseFile(gif_, nullptr);
  }
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;

  void screen(int width, int height, const std::vector<frames::Rgb>& palette) {
    const int size = table_size_for(palette.size());
    std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> map(
        GifMakeMapObject(size, nullptr), GifFreeMapObject);
    if (!map) throw std::runtime_error("GIF encoder: out of memory");
    for (std::size_t i = 0; i < palette.size(); ++i)
      map->Colors[i] = {palette[i].r, palette[i].g, palette[i].b};
    EGifSetGifVersion(gif_, true);  // extensions need GIF89a
    check(EGifPutScreenDesc(gif_, width, height, map->BitsPerPixel, 0, map.get()));
  }

  void loop_forever() {
    static const GifByteType kNetscape[] = "NETSCAPE2.0";
    const GifByteType loop[] = {1, 0, 0};  // sub-block 1, repeat count 0: for ever
    check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE));
    check(EGifPutExtensionBlock(gif_, 11, kNetscape));
    check(EGifPutExtensionBlock(gif_, sizeof loop, loop));
    check(EGifPutExtensionTrailer(gif_));
  }

  void frame(int width, int height, std::vector<std::uint8_t>& pixels, int delay) {
    GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension));
    check(EGifPutImageDesc(gif_, 0, 0, width, height, false, nullptr));
    check(EGifPutLine(gif_, pixels.data(), width * height));
  }

  void close() {
    int error = 0;
    const int result = EGifCloseFile(gif_, &error);
    gif_ = nullptr;
    if (result != GIF_OK) fail(error);
  }

 private:
  void check(int result) {
    if (result != GIF_OK) fail(gif_->Error);
  }
  [[noreturn]] static void fail(int error) {
    const char* reason = GifErrorString(error);
    throw std::runtime_error(std::string("GIF encoder: ") + (reason ? reason : "unknown error"));
  }

  GifFileType* gif_ = nullptr;
};

}  // namespace

std::vector<std::uint8_t> encode_gif(std::span<const frames::Picture> frames) {
  const UsedColours colours = used_colours(frames);
  const int width = frames.front().width;
  const int height = frames.front().height;
  std::vector<std::uint8_t> file;
  GifWriter writer(file);
  writer.screen(width, height, colours.palette);
  writer.loop_forever();
  for (const frames::Picture& frame : frames) {
    std::vector<std::uint8_t> pixels = colours.remap(frame);
    writer.frame(width, height, pixels, kGifFrameDelay);
  }
  writer.close();
  return file;
}

}  // namespace nuv::exporting
