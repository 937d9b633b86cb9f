#pragma once
// How a run-time error reaches the user: on standard error always, and in a message box of the
// desktop's own (zenity, kdialog or xmessage, the first one present) when a display is there to
// show it and NUV_ERROR_DIALOG is not 0. The box is a child process that ends with the viewer.

#include <string>

namespace nuv::host {

// Prints "nuv: run-time error: <message>" and shows the box, waiting until the user closes it.
void report_runtime_error(const std::string& message);

}  // namespace nuv::host
