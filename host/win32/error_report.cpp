#include "host/error_report.hpp"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "host/win32/wide_text.hpp"

namespace nuv::host {

// On Windows the box is the system's own message box, shown unless NUV_ERROR_DIALOG is 0.
void report_runtime_error(const std::string& message) {
  const std::string text = "nuv: run-time error: " + message;
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  const char* setting = std::getenv("NUV_ERROR_DIALOG");
  if (setting != nullptr && std::string_view(setting) == "0") return;
  MessageBoxW(nullptr, win32::to_wide(text).c_str(), L"NUV", MB_OK | MB_ICONERROR);
}

}  // namespace nuv::host
