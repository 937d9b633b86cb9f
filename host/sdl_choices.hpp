#pragma once
// The video driver and the renderer the viewer runs on, shared with the benchmarks that compare
// it with a bare SDL loop on the same ones.

#include <SDL.h>

#include <cstdlib>

#include "host/sdl_error.hpp"

namespace nuv::host {

// On a Wayland session the window is the compositor's own: through the X compatibility server
// it would be blurred at any output scale above 1. SDL_VIDEODRIVER still overrides this.
inline const char* session_drivers() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return wayland != nullptr && *wayland != '\0' ? "wayland,x11" : "x11";
}

// A 307 x 551 picture needs no graphics processor: the software renderer over the window's own
// framebuffer starts fast and needs a tenth of the memory of a GL context. Where the driver has
// no framebuffer of a format it can draw into (Wayland, X displays of 30 bits), the driver's own
// renderer draws the same pixels.
inline SDL_Renderer* create_renderer(SDL_Window* window) {
  if (SDL_Renderer* software = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE))
    return software;
  return checked(SDL_CreateRenderer(window, -1, 0), "cannot create the renderer");
}

}  // namespace nuv::host
