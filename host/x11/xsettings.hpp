#pragma once
// XSETTINGS, through which an X desktop publishes its settings to every program: a property of
// the settings manager's window holding a list of named integers, strings and colours.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace nuv::host::x11 {

// The integer Net/DoubleClickTime in the property's bytes, if they hold it and it is positive;
// nothing for bytes that do not make a settings list.
std::optional<std::chrono::milliseconds> double_click_time_in(
    std::span<const std::uint8_t> settings);

// The desktop's density, the integer Xft/DPI in 1024ths of a dot per inch, if the bytes hold it
// and it is positive.
std::optional<double> dots_per_inch_in(std::span<const std::uint8_t> settings);

}  // namespace nuv::host::x11
