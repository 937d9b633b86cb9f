#pragma once
// Exporting the animation for use elsewhere: the frames as PNG files and the whole turn as one
// looping animated GIF, without a window.

#include <filesystem>
#include <functional>

#include "export/file_set.hpp"

namespace nuv::exporting {

// The name of frame 1 to 18's file: frame01.png to frame18.png.
std::string frame_file_name(int frame);
inline constexpr const char* kAnimationFileName = "nuv.gif";

// Creates `dir` if needed and writes the eighteen frames and the animation into it, drawn at
// `zoom` (1 to frames::kMaxZoom): all of them, replacing an earlier export's, or none. Throws
// ExportError naming the path and the cause. `between_files` runs before each file and may throw
// to stop the export, which then leaves nothing of itself behind.
void export_frames(
    const std::filesystem::path& dir, int zoom, const std::function<void()>& between_files = [] {});

}  // namespace nuv::exporting
