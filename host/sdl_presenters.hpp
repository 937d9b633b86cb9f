#pragma once
// The client area on an SDL window: in the window's own framebuffer where SDL makes one, else
// drawn by the driver's renderer.

#include <SDL.h>

#include <memory>

#include "host/presenter.hpp"
#include "window/layout.hpp"

namespace nuv::host {

std::unique_ptr<Presenter> make_sdl_presenter(SDL_Window* window, const window::Layout& layout);

}  // namespace nuv::host
