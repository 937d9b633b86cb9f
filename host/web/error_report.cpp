#include "host/error_report.hpp"

#include <cstdio>

#include "host/web/page.hpp"

namespace nuv::host {

// On the browser's console, and in the page, where the user sees it.
void report_runtime_error(const std::string& message) {
  std::fprintf(stderr, "nuv: run-time error: %s\n", message.c_str());
  web::page::show_error("nuv: run-time error: " + message);
}

}  // namespace nuv::host
