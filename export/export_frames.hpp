#pragma once
// Exporting the animation for use elsewhere: the frames as PNG files and the whole turn as one
// looping animated GIF, without a window.

#include <filesystem>

#include "export/atomic_file.hpp"

namespace nuv::exporting {

// The name of frame 1 to 18's file: frame01.png to frame18.png.
std::string frame_file_name(int frame);
inline constexpr const char* kAnimationFileName = "nuv.gif";

// Creates `dir` if needed and writes the eighteen frames and the animation into it, drawn at
// `zoom` (1 to frames::kMaxZoom). Throws ExportError naming the path and the cause.
void export_frames(const std::filesystem::path& dir, int zoom);

}  // namespace nuv::exporting
