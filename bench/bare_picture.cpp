// The bare program on X11: the client area composed once into a shared-memory image and put on
// the window whenever it is exposed, until the window is closed or the program killed.
// Usage: bare_picture ZOOM

#include "bench/bare_picture.hpp"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bare_client_area.hpp"

int main(int argc, char** argv) {
  const auto layout = nuv::bench::layout_from_arguments(argc, argv);
  if (!layout) return 2;
  int screen_number = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screen_number);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "bare_picture: no X display\n");
    return 1;
  }
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t events = XCB_EVENT_MASK_EXPOSURE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                    static_cast<std::uint16_t>(layout->client_width),
                    static_cast<std::uint16_t>(layout->client_height), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &events);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(std::strlen(nuv::bench::kBarePictureCaption)),
                      nuv::bench::kBarePictureCaption);
  const std::size_t bytes = std::size_t{4} * layout->client_width * layout->client_height;
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  auto* pixels = static_cast<std::uint32_t*>(shmat(id, nullptr, 0));
  const xcb_shm_seg_t segment = xcb_generate_id(c);
  xcb_shm_attach(c, segment, static_cast<std::uint32_t>(id), 0);
  nuv::bench::compose_bare_client_area(*layout, pixels);
  const xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, window, 0, nullptr);
  xcb_map_window(c, window);
  xcb_flush(c);
  while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
    if ((event->response_type & 0x7F) == XCB_EXPOSE) {
      xcb_shm_put_image(c, window, gc, static_cast<std::uint16_t>(layout->client_width),
                        static_cast<std::uint16_t>(layout->client_height), 0, 0,
                        static_cast<std::uint16_t>(layout->client_width),
                        static_cast<std::uint16_t>(layout->client_height), 0, 0, screen->root_depth,
                        XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment, 0);
      xcb_flush(c);
    }
    std::free(event);
  }
  shmctl(id, IPC_RMID, nullptr);
  xcb_disconnect(c);
  return 0;
}
