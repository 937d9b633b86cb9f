// What the page's script calls of the program, before it starts it: the zoom for the page's
// density and room, by the rule every window system follows, and the records of that zoom.

#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <vector>

#include "frames/loaded_records.hpp"
#include "window/zoom_choice.hpp"

extern "C" {

// The device pixel ratio, and the room the page has for the canvas in device pixels.
EMSCRIPTEN_KEEPALIVE int nuv_zoom_for(double pixel_ratio, int width, int height) {
  nuv::window::DesktopDensity density{.display_scale = pixel_ratio};
  density.usable_area = nuv::window::Size{width, height};
  return nuv::window::choose_zoom(density).zoom;
}

// The bytes of a zoom's record file, copied; 0 once they are loaded, 1 where they are not records.
EMSCRIPTEN_KEEPALIVE int nuv_load_records(int zoom, const std::uint8_t* bytes, int size) {
  try {
    nuv::frames::load_records(zoom, std::vector<std::uint8_t>(bytes, bytes + size));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "nuv: cannot load the pictures: %s\n", error.what());
    return 1;
  }
}

}  // extern "C"
