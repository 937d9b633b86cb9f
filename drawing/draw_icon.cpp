// Build tool: draws the program's icon from the mechanism's geometry.
// Usage: draw_icon OUT_DIR NAME SIZE...
//   OUT_DIR/NAME-SIZE.png        the icon at each SIZE, for the desktop's icon theme
//   OUT_DIR/NAME.svg             the icon at any size
//   OUT_DIR/window_icon_data.cpp the window's icon pixels, compiled into the viewer

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "drawing/icon_drawing.hpp"

namespace {

void write_text(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
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
    for (int i = 3; i < argc; ++i)
      nuv::drawing::write_icon_png(std::stoi(argv[i]),
                                   (out / (name + "-" + argv[i] + ".png")).string());
    write_text(out / (name + ".svg"), nuv::drawing::icon_svg());
    write_text(out / "window_icon_data.cpp", nuv::drawing::window_icon_source());
  } catch (const std::exception& error) {
    std::cerr << "draw_icon: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
