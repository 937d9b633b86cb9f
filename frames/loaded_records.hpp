#pragma once
// Records loaded at run time, by a program that does not carry them: a web page fetches the
// records of the zoom it shows as one file, the eighteen records one after another, each
// starting with its own length.

#include <cstdint>
#include <vector>

namespace nuv::frames {

// Takes the records of `zoom` from the file's bytes. Throws RecordError where the file does not
// hold eighteen whole records, and std::out_of_range for a zoom the frames are not drawn at.
void load_records(int zoom, std::vector<std::uint8_t> file);
// Whether the records of `zoom` are loaded.
bool records_loaded(int zoom);
// Lets the records of every zoom but `zoom` go; no picture of theirs may be in use.
void keep_only_records(int zoom);

}  // namespace nuv::frames
