#pragma once
// The bare SDL program that viewer_probe starts beside the viewer: one picture of a frame's size,
// in one colour, at the inner area's place in a window of the viewer's size.

namespace nuv::bench {

inline constexpr const char* kBarePictureCaption = "bare picture";
inline constexpr unsigned long kBarePictureRgb = 0x008080;

}  // namespace nuv::bench
