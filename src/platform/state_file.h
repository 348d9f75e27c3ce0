// Reading and writing the program's small text files (settings, buffers, tabs, launcher).
// Reading accepts CR LF or LF line ends; writing replaces the file atomically, so a crash
// or a full disk never leaves a half-written file and a failed write keeps the old one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkoran::platform {

// The lines of the file, without their line ends (a final line end adds no empty line);
// nothing when the file cannot be read. Only a regular file is read (a pipe or a device
// in its place is never waited on); error (when given) receives why there is nothing, as
// ReadRegularFile reports it.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path, int* error = nullptr);

// Splits text into lines the way ReadTextLines does.
std::vector<std::string> SplitLines(std::string_view text);

// Writes data to a temporary file in the same folder, flushes it to the disk, then renames
// it over path. On failure path is untouched and error (when given) receives the reason.
bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error = nullptr);

}  // namespace velkoran::platform
