#pragma once
// The client area on an SDL window: in the window's own framebuffer where SDL makes one, else
// drawn by the driver's renderer.

#include <SDL.h>

#include <memory>

#include "host/canvas.hpp"
#include "window/layout.hpp"

namespace nuv::host {

std::unique_ptr<Canvas> make_sdl_canvas(SDL_Window* window, const window::Layout& layout);

}  // namespace nuv::host
