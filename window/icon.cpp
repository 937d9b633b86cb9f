#include "window/icon.hpp"

#include <stdexcept>
#include <string>

#include "window/icon_data.hpp"

namespace nuv::window {

std::vector<std::uint32_t> application_icon(int size) {
  for (std::size_t i = 0; i < std::size(kIconSizes); ++i) {
    if (kIconSizes[i] == size)
      return {detail::kBakedIcons[i].begin(), detail::kBakedIcons[i].end()};
  }
  throw std::out_of_range("no window icon of " + std::to_string(size) + " pixels");
}

}  // namespace nuv::window
