#pragma once
// The video driver the viewer runs on, shared with the benchmarks that compare it with a bare
// SDL loop on the same one.

#include <SDL.h>

#include <cstdlib>

namespace nuv::host {

// On a Wayland session the window is the compositor's own: through the X compatibility server
// it would be blurred at any output scale above 1. SDL_VIDEODRIVER still overrides this.
inline const char* session_drivers() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return wayland != nullptr && *wayland != '\0' ? "wayland,x11" : "x11";
}

}  // namespace nuv::host
