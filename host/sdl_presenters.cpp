#include "host/sdl_presenters.hpp"

#include <algorithm>
#include <optional>

#include "host/sdl_error.hpp"
#include "host/sdl_handles.hpp"

namespace nuv::host {
namespace {

constexpr int kPixelBytes = static_cast<int>(sizeof(std::uint32_t));

// SDL keeps the window's framebuffer in memory shared with the X server where it can, and makes
// it anew only when the window's size changes. Where its pixels have the client area's format,
// the client area is composed straight into it; elsewhere it is composed apart and converted
// into it. Only the changed rows are sent to the display; a new framebuffer is sent whole.
class FramebufferPresenter final : public Presenter {
 public:
  FramebufferPresenter(SDL_Window* window, const window::Layout& layout)
      : window_(window), layout_(layout) {
    take_window_surface();
  }

  ClientArea& area() override {
    take_window_surface();
    return *area_;
  }

  bool present(bool repaint) override {
    const RowSpan changed = area_->take_changed();
    // The area of its own has the layout's size, which the window system may have changed.
    const int width = std::min(area_->width(), surface_->w);
    const RowSpan sent = (repaint ? RowSpan{0, area_->height()} : changed).clipped(surface_->h);
    if (sent.empty()) return true;
    const int height = sent.end - sent.first;
    if (!composed_in_framebuffer_ &&
        SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, area_->row(sent.first),
                          width * kPixelBytes, surface_->format->format,
                          static_cast<Uint8*>(surface_->pixels) + sent.first * surface_->pitch,
                          surface_->pitch) != 0)
      throw WindowSystemError("cannot draw into the window");
    const SDL_Rect rows{0, sent.first, width, height};
    if (SDL_UpdateWindowSurfaceRects(window_, &rows, 1) != 0)
      throw WindowSystemError("cannot show the window's picture");
    return true;
  }

 private:
  void take_window_surface() {
    SDL_Surface* surface = checked(SDL_GetWindowSurface(window_), "cannot draw into the window");
    if (surface == surface_) return;
    surface_ = surface;
    composed_in_framebuffer_ = surface->format->format == SDL_PIXELFORMAT_RGB888;
    if (composed_in_framebuffer_)
      area_.emplace(layout_, PixelRows{static_cast<std::uint32_t*>(surface->pixels),
                                       static_cast<std::size_t>(surface->pitch / kPixelBytes),
                                       surface->w, surface->h});
    else
      area_.emplace(layout_);
  }

  SDL_Window* window_;
  window::Layout layout_;
  SDL_Surface* surface_ = nullptr;  // SDL owns it
  bool composed_in_framebuffer_ = false;
  std::optional<ClientArea> area_;
};

// Where SDL makes no framebuffer for the display's pixels (30 and 8 bits), the driver's renderer
// keeps the client area in one texture, sent only the rows that changed, and draws all of it.
class RendererPresenter final : public Presenter {
 public:
  RendererPresenter(SDL_Window* window, const window::Layout& layout)
      : renderer_(checked(SDL_CreateRenderer(window, -1, 0), "cannot create the renderer")),
        texture_(checked(
            SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                              layout.client_width, layout.client_height),
            "cannot create a texture")),
        area_(layout) {}

  ClientArea& area() override { return area_; }

  bool present(bool /*repaint: the whole texture is drawn each time*/) override {
    const RowSpan changed = area_.take_changed();
    const int width = area_.width();
    const SDL_Rect rows{0, changed.first, width, changed.end - changed.first};
    if (!changed.empty() && SDL_UpdateTexture(texture_.get(), &rows, area_.row(changed.first),
                                              width * kPixelBytes) != 0)
      throw WindowSystemError("cannot fill a texture");
    const SDL_Rect whole{0, 0, width, area_.height()};
    SDL_RenderCopy(renderer_.get(), texture_.get(), &whole, &whole);
    SDL_RenderPresent(renderer_.get());
    return true;
  }

 private:
  RendererHandle renderer_;
  TextureHandle texture_;
  ClientArea area_;
};

}  // namespace

std::unique_ptr<Presenter> make_sdl_presenter(SDL_Window* window, const window::Layout& layout) {
  // The window's framebuffer is plain memory, not a texture of a renderer SDL would make for it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_GetWindowSurface(window) != nullptr)
    return std::make_unique<FramebufferPresenter>(window, layout);
  return std::make_unique<RendererPresenter>(window, layout);
}

}  // namespace nuv::host
