// The viewer's entry point: builds the window object and hands it to the window system.

#include "engine/frame_delay.hpp"
#include "engine/viewer_window.hpp"
#include "host/sdl_host.hpp"

int main() {
  nuv::host::SdlHost host;
  nuv::engine::SteadyClock clock([&host](auto deadline) { host.idle_until(deadline); });
  nuv::engine::ViewerWindow window(host, clock);
  return host.start(window);
}
