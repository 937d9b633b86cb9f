// Build tool: draws the program's icon from the mechanism's geometry.
// Usage: draw_icon OUT_DIR NAME SIZE...
//   OUT_DIR/NAME-SIZE.png        the icon at each SIZE, for the desktop's icon theme
//   OUT_DIR/NAME.svg             the icon at any size
//   OUT_DIR/NAME.ico             the PNG files of 256 pixels and less in one, for Windows
//   OUT_DIR/window_icon_data.cpp the window's icon pixels, compiled into the viewer

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "drawing/icon_drawing.hpp"

namespace {

void write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

void put16(std::string& bytes, unsigned value) {
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>(value >> 8 & 0xFF);
}

void put32(std::string& bytes, std::uint32_t value) {
  put16(bytes, value & 0xFFFF);
  put16(bytes, value >> 16);
}

// A Windows icon file: a directory of images, each a whole PNG file (which Windows reads since
// Vista), a size of 256 written as 0.
std::string icon_file(const std::vector<std::pair<int, std::string>>& pngs) {
  std::string bytes;
  put16(bytes, 0);
  put16(bytes, 1);  // an icon, not a cursor
  put16(bytes, static_cast<unsigned>(pngs.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * pngs.size());
  for (const auto& [size, png] : pngs) {
    bytes += static_cast<char>(size & 0xFF);
    bytes += static_cast<char>(size & 0xFF);
    put16(bytes, 0);  // no palette
    put16(bytes, 1);  // one plane
    put16(bytes, 32);
    put32(bytes, static_cast<std::uint32_t>(png.size()));
    put32(bytes, offset);
    offset += static_cast<std::uint32_t>(png.size());
  }
  for (const auto& entry : pngs) bytes += entry.second;
  return bytes;
}

std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: draw_icon OUT_DIR NAME SIZE...\n";
    return 2;
  }
  try {
    const std::filesystem::path out = argv[1];
    const std::string name = argv[2];
    std::filesystem::create_directories(out);
    std::vector<std::pair<int, std::string>> pngs;
    for (int i = 3; i < argc; ++i) {
      const int size = std::stoi(argv[i]);
      const std::filesystem::path png = out / (name + "-" + argv[i] + ".png");
      nuv::drawing::write_icon_png(size, png.string());
      if (size <= 256) pngs.emplace_back(size, read_bytes(png));
    }
    write_file(out / (name + ".ico"), icon_file(pngs));
    write_file(out / (name + ".svg"), nuv::drawing::icon_svg());
    write_file(out / "window_icon_data.cpp", nuv::drawing::window_icon_source());
  } catch (const std::exception& error) {
    std::cerr << "draw_icon: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
