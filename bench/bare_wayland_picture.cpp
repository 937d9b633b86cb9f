// The bare program on Wayland: a window of libdecor's with one shared-memory buffer holding the
// client area at the output's scale ZOOM, committed once the compositor has configured it, until
// the window is closed or the program killed.
// Usage: bare_wayland_picture ZOOM

#include <libdecor.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "bench/bare_client_area.hpp"
#include "bench/bare_picture.hpp"

namespace {

struct Bare {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  wl_surface* surface = nullptr;
  wl_buffer* buffer = nullptr;
  nuv::window::Layout layout{};
  bool closed = false;
};

void add_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                std::uint32_t) {
  auto& bare = *static_cast<Bare*>(data);
  if (std::string_view(interface) == wl_compositor_interface.name)
    bare.compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  if (std::string_view(interface) == wl_shm_interface.name)
    bare.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

libdecor_frame_interface frame_events() {
  libdecor_frame_interface events{};
  events.configure = [](libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
    auto& bare = *static_cast<Bare*>(data);
    const int zoom = bare.layout.zoom;
    libdecor_state* state =
        libdecor_state_new(bare.layout.client_width / zoom, bare.layout.client_height / zoom);
    libdecor_frame_commit(frame, state, configuration);
    libdecor_state_free(state);
    wl_surface_set_buffer_scale(bare.surface, zoom);
    wl_surface_attach(bare.surface, bare.buffer, 0, 0);
    wl_surface_damage_buffer(bare.surface, 0, 0, bare.layout.client_width,
                             bare.layout.client_height);
    wl_surface_commit(bare.surface);
  };
  events.close = [](libdecor_frame*, void* data) { static_cast<Bare*>(data)->closed = true; };
  events.commit = [](libdecor_frame*, void* data) {
    wl_surface_commit(static_cast<Bare*>(data)->surface);
  };
  return events;
}

}  // namespace

int main(int argc, char** argv) {
  Bare bare;
  const auto layout = nuv::bench::layout_from_arguments(argc, argv);
  if (!layout) return 2;
  bare.layout = *layout;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "bare_wayland_picture: no Wayland compositor\n");
    return 1;
  }
  static const wl_registry_listener kGlobals{add_global, [](void*, wl_registry*, std::uint32_t) {}};
  wl_registry_add_listener(wl_display_get_registry(display), &kGlobals, &bare);
  wl_display_roundtrip(display);
  const int stride = 4 * layout->client_width;
  const std::size_t bytes = static_cast<std::size_t>(stride) * layout->client_height;
  const int fd = memfd_create("bare-picture", MFD_CLOEXEC);
  if (bare.compositor == nullptr || bare.shm == nullptr || fd < 0 ||
      ftruncate(fd, static_cast<off_t>(bytes)) != 0)
    return 1;
  auto* pixels =
      static_cast<std::uint32_t*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  nuv::bench::compose_bare_client_area(*layout, pixels);
  wl_shm_pool* pool = wl_shm_create_pool(bare.shm, fd, static_cast<std::int32_t>(bytes));
  bare.buffer = wl_shm_pool_create_buffer(pool, 0, layout->client_width, layout->client_height,
                                          stride, WL_SHM_FORMAT_XRGB8888);
  bare.surface = wl_compositor_create_surface(bare.compositor);
  static libdecor_interface decor_events{};
  static libdecor_frame_interface events = frame_events();
  libdecor* decor = libdecor_new(display, &decor_events);
  libdecor_frame* frame = libdecor_decorate(decor, bare.surface, &events, &bare);
  libdecor_frame_set_title(frame, nuv::bench::kBarePictureCaption);
  libdecor_frame_map(frame);
  while (!bare.closed && libdecor_dispatch(decor, -1) >= 0) {
  }
  return 0;
}
