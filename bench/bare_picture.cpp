// The least a program can do to put a picture of the viewer's size on screen: a window of the
// viewer's size at ZOOM on the same renderer, one texture of a frame's size at that zoom filled
// once, drawn whenever the window is exposed, until the window is closed or the program killed.
// Usage: bare_picture ZOOM

#include "bench/bare_picture.hpp"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "frames/picture.hpp"
#include "frames/zoom.hpp"
#include "window/layout.hpp"

namespace {

int fail(const char* what) {
  std::fprintf(stderr, "bare_picture: %s: %s\n", what, SDL_GetError());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int zoom = argc == 2 ? std::atoi(argv[1]) : 0;
  if (zoom < 1 || zoom > nuv::frames::kMaxZoom) {
    std::fprintf(stderr, "usage: bare_picture ZOOM   (1 to %d)\n", nuv::frames::kMaxZoom);
    return 2;
  }
  const nuv::window::Layout layout = nuv::window::layout_at(zoom);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("SDL_Init");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_Window* window =
      SDL_CreateWindow(nuv::bench::kBarePictureCaption, SDL_WINDOWPOS_UNDEFINED,
                       SDL_WINDOWPOS_UNDEFINED, layout.client_width, layout.client_height, 0);
  if (window == nullptr) return fail("cannot create the window");
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (renderer == nullptr) return fail("cannot create the renderer");
  const int width = nuv::frames::kFrameWidth * zoom;
  const int height = nuv::frames::kFrameHeight * zoom;
  SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STREAMING, width, height);
  if (texture == nullptr) return fail("cannot create the texture");
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return fail("cannot fill");
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(pixels) + y * pitch);
    for (int x = 0; x < width; ++x) row[x] = nuv::bench::kBarePictureRgb;
  }
  SDL_UnlockTexture(texture);
  const SDL_Rect target{layout.inner.x, layout.inner.y, width, height};
  for (SDL_Event event; SDL_WaitEvent(&event) && event.type != SDL_QUIT;) {
    if (event.type != SDL_WINDOWEVENT || event.window.event != SDL_WINDOWEVENT_EXPOSED) continue;
    SDL_RenderCopy(renderer, texture, nullptr, &target);
    SDL_RenderPresent(renderer);
  }
  SDL_Quit();
  return 0;
}
