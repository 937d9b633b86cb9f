// The program from its command line, without a display: answers, usage errors, and the exported
// pictures decoded again with libpng and giflib.

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_frames.hpp"
#include "export/image_files.hpp"
#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"

namespace nuv::exporting {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string read_text(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// A private directory, made with mkdtemp, removed with everything in it.
struct TemporaryDir {
  fs::path path;
  TemporaryDir() {
    std::string name = (fs::temp_directory_path() / "nuv-export-test-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot make " + name);
    path = name;
  }
  ~TemporaryDir() {
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(path);
  }
};

bool windows_session() {
  const char* session = std::getenv("NUV_TEST_SESSION");
  return session != nullptr && std::string_view(session) == "windows";
}

// The program under test: the viewer, or in the Windows session the Windows build under Wine.
std::string program() {
  if (!windows_session()) return NUV_VIEWER_PATH;
#ifdef NUV_WINDOWS_VIEWER_PATH
  return "WINEPREFIX=" NUV_WINE_PREFIX " WINEDEBUG=-all " NUV_WINE_PATH " " NUV_WINDOWS_VIEWER_PATH;
#else
  throw std::runtime_error("no Windows build to test: configure with NUV_WINDOWS_VIEWER");
#endif
}

// Text as written on Linux: Windows ends its lines with a carriage return too.
std::string without_carriage_returns(std::string text) {
  std::erase(text, '\r');
  return text;
}

// Runs the viewer with no display to open a window on; `prefix` is shell set-up for it. Its
// standard output goes to `output` where one is given.
Outcome run_viewer(const std::string& arguments, const fs::path& scratch,
                   const std::string& prefix = "", const fs::path& output = {}) {
  const fs::path out = output.empty() ? scratch / "stdout" : output, err = scratch / "stderr";
  const std::string command = prefix + "env -u DISPLAY -u WAYLAND_DISPLAY " + program() + " " +
                              arguments + " >" + out.string() + " 2>" + err.string();
  const int status = std::system(("sh -c \"" + command + "\"").c_str());
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                  output.empty() ? without_carriage_returns(read_text(out)) : "",
                  without_carriage_returns(read_text(err))};
  if (output.empty()) fs::remove(out);
  fs::remove(err);
  return outcome;
}

std::vector<frames::Rgb> rgb_pixels(const frames::Picture& picture) {
  std::vector<frames::Rgb> pixels;
  for (const std::uint8_t index : picture.pixels) pixels.push_back(picture.palette[index]);
  return pixels;
}

TEST(Program, AnswersTheCommandLineWithoutAWindow) {
  TemporaryDir scratch;
  const struct {
    std::string arguments;
    int status;
    std::string out, err;  // the start of each
  } cases[] = {
      {"--help", 0, "Usage: nuv [OPTION]...\n", ""},
      {"--version", 0, "nuv " NUV_VERSION "\n", ""},
      {"--zoom 4", 2, "", "nuv: invalid zoom '4'"},
      {"--zoom", 2, "", "nuv: option '--zoom' needs a value\nUsage: nuv [OPTION]...\n"},
      {"--frobnicate", 2, "", "nuv: unrecognized option '--frobnicate'\nUsage: nuv [OPTION]...\n"},
      {"stray", 2, "", "nuv: unexpected argument 'stray'\nUsage: nuv [OPTION]...\n"},
      {"-h", 0, "Usage: nuv [OPTION]...\n", ""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.arguments);
    const Outcome run = run_viewer(test.arguments, scratch.path);
    EXPECT_EQ(run.status, test.status);
    EXPECT_TRUE(run.out.starts_with(test.out)) << run.out;
    EXPECT_EQ(run.out.empty(), test.out.empty());
    EXPECT_TRUE(run.err.starts_with(test.err)) << run.err;
    EXPECT_EQ(run.err.empty(), test.err.empty());
  }
}

// An answer that cannot be written is a failure that says why.
TEST(Program, SaysWhyItsAnswerCannotBeWritten) {
  TemporaryDir scratch;
  for (const std::string what : {"help", "version"}) {
    const Outcome run = run_viewer("--" + what, scratch.path, "", "/dev/full");
    EXPECT_EQ(run.status, 1) << what;
    EXPECT_EQ(run.err, "nuv: cannot write the " + what + ": No space left on device\n");
  }
}

// An export at each zoom, read back.
class Exported : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const Outcome run = run_viewer("--zoom " + std::to_string(zoom()) + " --export '" +
                                       (scratch_.path / "new dir").string() + "'",
                                   scratch_.path);
    ASSERT_EQ(run.status, 0) << run.err;
  }
  int zoom() const { return GetParam(); }
  fs::path file(const std::string& name) const { return scratch_.path / "new dir" / name; }
  frames::Picture stored_frame(int frame) const {
    return frames::decoded_stored_picture(frame, zoom());
  }

 private:
  TemporaryDir scratch_;
};
INSTANTIATE_TEST_SUITE_P(EachZoom, Exported, ::testing::Range(1, frames::kMaxZoom + 1));

TEST_P(Exported, FramesArePaletteImagesOfTheStoredFramesExactly) {
  for (int frame = 1; frame <= frames::kFrameCount; ++frame) {
    SCOPED_TRACE(frame_file_name(frame));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, file(frame_file_name(frame)).c_str()));
    EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_COLORMAP);
    EXPECT_EQ(image.colormap_entries, 5u);
    image.format = PNG_FORMAT_RGB;
    std::vector<frames::Rgb> pixels(PNG_IMAGE_SIZE(image) / 3);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    const frames::Picture stored = stored_frame(frame);
    EXPECT_EQ(image.width, static_cast<png_uint_32>(stored.width));
    EXPECT_TRUE(pixels == rgb_pixels(stored));
  }
}

TEST_P(Exported, AnimationLoopsThroughTheFramesInOrder) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(file(kAnimationFileName).c_str(), &error);
  ASSERT_NE(gif, nullptr) << GifErrorString(error);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  ASSERT_EQ(gif->ImageCount, frames::kFrameCount);
  // The looping extension comes before the first image, which giflib attaches it to.
  bool loops = false;
  const SavedImage& first = gif->SavedImages[0];
  for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
    const ExtensionBlock& block = first.ExtensionBlocks[i];
    const ExtensionBlock& next = first.ExtensionBlocks[i + 1];
    loops |= block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
             std::string(reinterpret_cast<char*>(block.Bytes), 11) == "NETSCAPE2.0" &&
             next.ByteCount == 3 && next.Bytes[0] == 1 && next.Bytes[1] == 0 && next.Bytes[2] == 0;
  }
  EXPECT_TRUE(loops) << "no endless NETSCAPE2.0 loop";
  for (int frame = 1; frame <= frames::kFrameCount; ++frame) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    GraphicsControlBlock control{};
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, frame - 1, &control), GIF_OK);
    EXPECT_EQ(control.DelayTime, kGifFrameDelay);
    const SavedImage& image = gif->SavedImages[frame - 1];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    const frames::Picture stored = stored_frame(frame);
    ASSERT_EQ(image.ImageDesc.Width * image.ImageDesc.Height,
              static_cast<int>(stored.pixels.size()));
    std::vector<frames::Rgb> pixels;
    for (std::size_t i = 0; i < stored.pixels.size(); ++i) {
      const GifColorType colour = map->Colors[image.RasterBits[i]];
      pixels.push_back({colour.Red, colour.Green, colour.Blue});
    }
    EXPECT_TRUE(pixels == rgb_pixels(stored));
  }
  DGifCloseFile(gif, &error);
}

// Where the export cannot be written it says which path and why, ends with status 1 and leaves no
// file, whole or partial, behind.
TEST(Export, FailureLeavesNoFileAndEndsWithStatusOne) {
  TemporaryDir scratch;
  const fs::path file_in_the_way = scratch.path / "file";
  std::ofstream(file_in_the_way) << "not a directory";
  const fs::path read_only = scratch.path / "read-only";
  fs::create_directory(read_only);
  fs::permissions(read_only, fs::perms::owner_read | fs::perms::owner_exec);
  const fs::path full = scratch.path / "full";
  const fs::path little_memory = scratch.path / "little memory";
  const struct {
    fs::path dir;
    std::string prefix;  // shell set-up before the viewer runs
    std::string message;
    bool needs_permissions;  // root writes into read-only directories
    std::string zoom = "1";
  } cases[] = {
      {file_in_the_way, "", "nuv: cannot create directory " + file_in_the_way.string() + ": ",
       false},
      {file_in_the_way / "sub", "", "nuv: cannot create directory " + file_in_the_way.string(),
       false},
      {read_only, "",
       "nuv: cannot write " + (read_only / "frame01.png").string() + ": Permission denied", true},
      // A disk that fills up: files may grow to a few kilobytes, the animation needs more.
      {full, "ulimit -f 16; ",
       "nuv: cannot write " + (full / kAnimationFileName).string() + ": File too large", false},
      {little_memory, "ulimit -v 40000; ",
       "nuv: ran out of memory exporting to " + little_memory.string(), false, "3"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.dir);
    if (test.needs_permissions && ::geteuid() == 0) continue;
    const Outcome run = run_viewer("--zoom " + test.zoom + " --export '" + test.dir.string() + "'",
                                   scratch.path, test.prefix);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with(test.message)) << run.err;
    EXPECT_EQ(run.err.find("Usage"), std::string::npos);
    if (fs::is_directory(test.dir))
      for (const auto& entry : fs::directory_iterator(test.dir))
        ADD_FAILURE() << "left behind: " << entry.path().filename();
  }
}

std::string contents_of(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// What a directory holds, by name: a hash of each file's bytes that a failure can show, 0 for what
// is no file.
std::map<std::string, std::size_t> export_in(const fs::path& dir) {
  std::map<std::string, std::size_t> files;
  for (const auto& entry : fs::directory_iterator(dir))
    files[entry.path().filename().string()] =
        entry.is_regular_file() ? std::hash<std::string>{}(contents_of(entry.path())) : 0;
  return files;
}

// A process number that no process has now: one that has ended.
int ended_process() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

// An export over an earlier one replaces it whole, or leaves it whole: a failed one, one that
// cannot give a file its name, or one ended by a signal, leaves nothing of its own.
TEST(Export, ReplacesAnEarlierExportWholeOrLeavesItWhole) {
  TemporaryDir scratch;
  const fs::path dir = scratch.path / "slides";
  const std::string to_dir = " --export '" + dir.string() + "'";
  ASSERT_EQ(run_viewer("--zoom 1" + to_dir, scratch.path).status, 0);
  const auto first = export_in(dir);
  ASSERT_EQ(first.size(), frames::kFrameCount + 1u);

  const Outcome too_large = run_viewer("--zoom 3" + to_dir, scratch.path, "ulimit -f 30; ");
  EXPECT_EQ(too_large.status, 1) << too_large.err;
  EXPECT_EQ(export_in(dir), first) << "a failed export changed the earlier one";

  // Ended while it ran, or done before the signal came.
  for (const int signal : {SIGTERM, SIGQUIT, SIGUSR1, SIGALRM}) {
    const Outcome ended =
        run_viewer("--zoom 3" + to_dir, scratch.path,
                   "ulimit -c 0; (sleep 0.1; kill -" + std::to_string(signal) + " \\$\\$) & exec ");
    EXPECT_TRUE(ended.status == 128 + signal || ended.status == 0) << ended.status << ended.err;
    if (ended.status != 0) {
      EXPECT_EQ(export_in(dir), first) << "an export ended by " << signal;
    }
  }

  // A name that a directory has now: the export fails on it after giving the files before it
  // their names, which go back to the earlier export's files.
  const fs::path taken = dir / frame_file_name(5);
  fs::remove(taken);
  fs::create_directory(taken);
  const Outcome blocked = run_viewer("--zoom 2" + to_dir, scratch.path);
  EXPECT_EQ(blocked.status, 1);
  EXPECT_TRUE(blocked.err.starts_with("nuv: cannot write " + taken.string() + ": ")) << blocked.err;
  auto expected = first;
  expected[frame_file_name(5)] = 0;
  EXPECT_EQ(export_in(dir), expected) << "some of the earlier files were replaced";
  fs::remove(taken);

  ASSERT_EQ(run_viewer("--zoom 2" + to_dir, scratch.path).status, 0);
  const auto second = export_in(dir);
  EXPECT_EQ(second.size(), first.size());
  for (const auto& [name, bytes] : first) {
    if (name == frame_file_name(5)) continue;
    EXPECT_NE(second.at(name), bytes) << name << " not replaced";
  }
}

// Files that an export killed past all catching left behind are removed by the next export to the
// same names; those of another writer, or of a process that still runs, are not.
TEST(Export, RemovesWhatAKilledExportLeftBehind) {
  TemporaryDir scratch;
  const fs::path dir = scratch.path / "slides";
  fs::create_directory(dir);
  const std::string dead = std::to_string(ended_process());
  const std::string alive = std::to_string(::getpid());
  const std::vector<std::string> kept = {".frame02.png." + alive + ".a1B2c3", ".frame03.png.a1B2c3",
                                         "frame01.png." + dead + ".x"};
  for (const std::string& name : kept) std::ofstream(dir / name) << "not the export's to remove";
  for (const std::string& name :
       {".frame01.png." + dead + ".a1B2c3", ".nuv.gif." + dead + ".before"})
    std::ofstream(dir / name) << "left behind";
  ASSERT_EQ(run_viewer("--export '" + dir.string() + "'", scratch.path).status, 0);
  std::vector<std::string> others;
  for (const auto& [name, hash] : export_in(dir))
    if (name != kAnimationFileName && (name.size() != frame_file_name(1).size() || name[0] == '.'))
      others.push_back(name);
  EXPECT_EQ(others, kept);
}

// On Windows, its own reasons why a directory cannot be made: a drive that is not there, a name
// Windows keeps for a device in every folder.
TEST(WindowsExport, SaysWhyADirectoryCannotBeMade) {
  if (!windows_session()) GTEST_SKIP() << "these names are Windows' own";
  TemporaryDir scratch;
  const struct {
    const char* dir;
    const char* reason;
  } cases[] = {
      {"Q:\\nodrive\\x", "there is no drive Q:\\"},
      {"C:\\CON", "CON is a name Windows keeps for a device"},
      {"C:\\COM1", "COM1 is a name Windows keeps for a device"},
      {"C:\\users\\Public\\nul.txt\\y", "nul.txt is a name Windows keeps for a device"},
  };
  for (const auto& [dir, reason] : cases) {
    const Outcome run = run_viewer("--export '" + std::string(dir) + "'", scratch.path);
    EXPECT_EQ(run.status, 1) << dir;
    EXPECT_EQ(run.err, "nuv: cannot create directory " + std::string(dir) + ": " + reason + "\n");
  }
}

}  // namespace
}  // namespace nuv::exporting
