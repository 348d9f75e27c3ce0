// Byte-exact file access for tests: paths are byte strings handed to the system unchanged.
#pragma once

#include <string>
#include <string_view>

namespace velkoran::testing {

void MakeDirs(const std::string& path);
void WriteFile(const std::string& path, std::string_view content);
// The whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The entry itself: a link counts even when it leads nowhere.
bool Exists(const std::string& path);
// Removes a tree, restoring write permission on the way; links are removed, not followed.
void RemoveTree(const std::string& path);

}  // namespace velkoran::testing
