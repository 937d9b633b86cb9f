// The command line: every option and every kind of bad input, read without a window.

#include "app/command_line.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace nuv::app {
namespace {

ParsedCommandLine parse(std::vector<std::string_view> arguments) {
  return parse_command_line(arguments);
}

TEST(CommandLine, ReadsEveryOptionInEitherForm) {
  EXPECT_EQ(parse({}).error, "");
  EXPECT_FALSE(parse({}).options.help || parse({}).options.version || parse({}).options.zoom ||
               parse({}).options.export_dir);
  EXPECT_TRUE(parse({"--help"}).options.help);
  EXPECT_TRUE(parse({"-h"}).options.help);
  EXPECT_EQ(parse({"--zoom", "2", "--"}).options.zoom, 2) << "-- ends the options";
  EXPECT_TRUE(parse({"--version"}).options.version);
  for (const int zoom : {1, 2, frames::kMaxZoom}) {
    const std::string text = std::to_string(zoom);
    EXPECT_EQ(parse({"--zoom", text}).options.zoom, zoom);
    EXPECT_EQ(parse({"--zoom=" + text}).options.zoom, zoom);
  }
  const ParsedCommandLine both = parse({"--export", "out dir", "--zoom", "2"});
  EXPECT_EQ(both.error, "");
  EXPECT_EQ(both.options.export_dir, "out dir");
  EXPECT_EQ(both.options.zoom, 2);
  EXPECT_EQ(parse({"--export=-x"}).options.export_dir, "-x");
}

TEST(CommandLine, SaysWhatIsWrongWithBadInput) {
  const struct {
    std::vector<std::string_view> arguments;
    const char* error;
  } cases[] = {
      {{"--bogus"}, "unrecognized option '--bogus'"},
      {{"-x"}, "unrecognized option '-x'"},
      {{"--", "--zoom"}, "unexpected argument '--zoom'"},
      {{"--", "--"}, "unexpected argument '--'"},
      {{"\x1B]0;title\x07"}, "unexpected argument '\\x1B]0;title\\x07'"},
      {{"--zoom=\x9B"
        "2J"},
       "invalid zoom '\\x9B2J': it must be a whole number from 1 to 3"},
      {{"--\xC2\x9B"
        "2J"},
       "unrecognized option '--\\xC2\\x9B2J'"},
      {{"caf\xC3\xA9\x7F"}, "unexpected argument 'caf\xC3\xA9\\x7F'"},
      {{"--help=yes"}, "option '--help' takes no value"},
      {{"picture.png"}, "unexpected argument 'picture.png'"},
      {{"--zoom"}, "option '--zoom' needs a value"},
      {{"--export"}, "option '--export' needs a value"},
      {{"--export="}, "option '--export' needs a directory name"},
      {{"--zoom", "0"}, "invalid zoom '0': it must be a whole number from 1 to 3"},
      {{"--zoom", "4"}, "invalid zoom '4': it must be a whole number from 1 to 3"},
      {{"--zoom=2x"}, "invalid zoom '2x': it must be a whole number from 1 to 3"},
      {{"--zoom", ""}, "invalid zoom '': it must be a whole number from 1 to 3"},
      {{"--zoom", "1", "--zoom", "2"}, "option '--zoom' given more than once"},
      {{"--export", "a", "--export", "b"}, "option '--export' given more than once"},
      {{"--help", "--bogus"}, "unrecognized option '--bogus'"},
  };
  for (const auto& test : cases) {
    const std::string error = parse(test.arguments).error;
    EXPECT_EQ(error, test.error);
  }
}

}  // namespace
}  // namespace nuv::app
