// The viewer as a web page's program: the page has loaded the records of its zoom, then starts
// it; the program ends as on the desktop, by Escape or a double click, and its window, closing,
// tells the page.

#include <optional>

#include "engine/viewer_window.hpp"
#include "host/window_host.hpp"

int main() {
  nuv::host::WindowHost host([] { return nuv::host::open_window_system(std::nullopt); });
  nuv::engine::ViewerWindow window(host);
  return host.start(window);
}
