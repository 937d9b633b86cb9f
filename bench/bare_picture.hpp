#pragma once
// The bare programs that viewer_probe starts beside the viewer: a window of the viewer's size
// showing its client area's border around one block of colour of a frame's size, on X11 through
// xcb and MIT-SHM, on Wayland through libdecor and shared memory; the least a program does to put
// such a picture on screen.

#include <cstdint>

namespace nuv::bench {

inline constexpr const char* kBarePictureCaption = "bare picture";
inline constexpr std::uint32_t kBarePictureRgb = 0x008080;

}  // namespace nuv::bench
