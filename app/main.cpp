// The viewer's entry point: reads the command line, then either answers it (help, version,
// export) or builds the window object and hands it to the window system.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.hpp"
#include "engine/frame_delay.hpp"
#include "engine/viewer_window.hpp"
#include "export/export_frames.hpp"
#include "host/ending_signals.hpp"
#include "host/standard_streams.hpp"
#include "host/window_host.hpp"

namespace {

// Status of a command line that cannot be obeyed, as the usual command-line programs end.
constexpr int kUsageStatus = 2;

// Prints an answer on standard output; a failure to write it is a failure of the program, and
// says why.
int print(const std::string& text, const char* what) {
  errno = 0;
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "nuv: cannot write the %s: %s\n", what, std::strerror(errno));
  return 1;
}

int run_viewer(std::optional<int> zoom) {
  nuv::host::WindowHost host([zoom] { return nuv::host::open_window_system(zoom); });
  nuv::engine::ViewerWindow window(host);
  return host.start(window);
}

// An ending signal stops the export before its next file; it then leaves none of its files behind
// and the process ends by the signal. A limit on the size of files makes a write fail, as a full
// disk does, rather than end the process (where the system has such a limit).
struct Interrupted {
  int signal;
};

int export_pictures(const nuv::app::CommandLine& options) {
  const std::string dir = options.export_dir->string();
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  try {
    nuv::host::EndingSignals signals;
    signals.defer(true);
    try {
      nuv::exporting::export_frames(*options.export_dir, options.zoom.value_or(1), [&] {
        if (const auto signal = signals.take_noted()) throw Interrupted{*signal};
      });
    } catch (const Interrupted& interrupted) {
      nuv::host::EndingSignals::end_by(interrupted.signal);
    }
    return 0;
  } catch (const nuv::exporting::ExportError& error) {
    std::fprintf(stderr, "nuv: %s\n", error.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "nuv: ran out of memory exporting to %s\n", dir.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "nuv: cannot export to %s: %s\n", dir.c_str(), error.what());
  }
  return 1;
}

int answer(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto [options, error] = nuv::app::parse_command_line(arguments);
  if (!error.empty()) {
    std::fprintf(stderr, "nuv: %s\n%s", error.c_str(), nuv::app::usage_text().c_str());
    return kUsageStatus;
  }
  if (options.help) return print(nuv::app::usage_text(), "help");
  if (options.version) return print(std::string("nuv ") + NUV_VERSION + "\n", "version");
  if (options.export_dir) return export_pictures(options);
  return run_viewer(options.zoom);
}

}  // namespace

// What runs out before the viewer or the export can report it themselves ends the program with a
// message too.
int main(int argc, char** argv) {
  nuv::host::ready_standard_streams();
  try {
    return answer(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("nuv: ran out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "nuv: %s\n", error.what());
  }
  return 1;
}
