#include "host/standard_streams.hpp"

#include <windows.h>

#include <cstdio>

namespace nuv::host {

// Streams already given (redirected to files, or by Wine) stay as they are.
void ready_standard_streams() {
  const bool output = GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
  const bool error = GetStdHandle(STD_ERROR_HANDLE) != nullptr;
  if ((output && error) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!output) std::freopen("CONOUT$", "w", stdout);
  if (!error) std::freopen("CONOUT$", "w", stderr);
}

}  // namespace nuv::host
