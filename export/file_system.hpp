#pragma once
// What the file set needs of the file system, on each platform. A failure is told as the system
// words it, an empty text meaning success.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace nuv::exporting::file_system {

int process_id();
// Whether a process of that id runs now.
bool process_running(int id);

// Writes the bytes into a new file whose name is `stem` and a suffix that makes it unique, made
// new so that no other writer shares it; returns its name, and `error` says why where it failed.
std::filesystem::path write_new(const std::filesystem::path& stem,
                                std::span<const std::uint8_t> bytes, std::string& error);
// Gives `from` the name `to`, in one step, replacing a file of that name.
std::string rename(const std::filesystem::path& from, const std::filesystem::path& to);
// Gives the file `existing` the further name `name`.
std::string link(const std::filesystem::path& existing, const std::filesystem::path& name);
void remove(const std::filesystem::path& path) noexcept;

}  // namespace nuv::exporting::file_system
