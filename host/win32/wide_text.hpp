#pragma once
// Text between the program's UTF-8 and the UTF-16 that Windows takes.

#include <string>
#include <string_view>

namespace nuv::host::win32 {

std::wstring to_wide(std::string_view text);

}  // namespace nuv::host::win32
