#pragma once
// Owning handles of what SDL makes, released with SDL's own functions.

#include <SDL.h>

#include <memory>

namespace nuv::host {

template <auto Destroy>
struct SdlDeleter {
  template <typename T>
  void operator()(T* object) const {
    Destroy(object);
  }
};

using WindowHandle = std::unique_ptr<SDL_Window, SdlDeleter<SDL_DestroyWindow>>;
using SurfaceHandle = std::unique_ptr<SDL_Surface, SdlDeleter<SDL_FreeSurface>>;
using RendererHandle = std::unique_ptr<SDL_Renderer, SdlDeleter<SDL_DestroyRenderer>>;
using TextureHandle = std::unique_ptr<SDL_Texture, SdlDeleter<SDL_DestroyTexture>>;

}  // namespace nuv::host
