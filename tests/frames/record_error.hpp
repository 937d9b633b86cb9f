#pragma once
// Checking the messages of rejected records and streams.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "frames/picture_record.hpp"

namespace nuv::frames {

// The message of the RecordError that `decode` raises, or "no error".
template <typename Decode>
std::string record_error(Decode&& decode) {
  try {
    decode();
  } catch (const RecordError& error) {
    return error.what();
  }
  return "no error";
}

inline void expect_mentions(const std::string& message,
                            std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) {
    EXPECT_NE(message.find(part), std::string::npos)
        << '"' << message << "\" lacks \"" << part << '"';
  }
}

}  // namespace nuv::frames
