#include "host/standard_streams.hpp"

#include <fcntl.h>
#include <unistd.h>

namespace nuv::host {

// Opened in increasing order, each /dev/null takes the lowest free number: the stream's own.
void ready_standard_streams() {
  for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream)
    if (fcntl(stream, F_GETFD) == -1)
      static_cast<void>(open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY));
}

}  // namespace nuv::host
