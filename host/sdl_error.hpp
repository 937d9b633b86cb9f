#pragma once
// Failures of SDL calls as exceptions carrying SDL's own explanation.

#include <SDL.h>

#include <stdexcept>
#include <string>

namespace nuv::host {

class WindowSystemError : public std::runtime_error {
 public:
  explicit WindowSystemError(const std::string& what)
      : std::runtime_error(what + ": " + SDL_GetError()) {}
};

// The handle an SDL call returned; throws WindowSystemError(what) when it returned none.
template <typename T>
T* checked(T* handle, const char* what) {
  if (handle == nullptr) throw WindowSystemError(what);
  return handle;
}

}  // namespace nuv::host
