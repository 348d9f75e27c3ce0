// The platform seams a test or benchmark gives its own answers to: the volume roots and
// the desktop's "open".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/shell.h"
#include "platform/volumes.h"

namespace velkoran::testing {

class FakeVolumes final : public platform::VolumeList {
 public:
  std::vector<std::string> roots;
  std::vector<std::string> Roots() override { return roots; }
};

// Records the files it was asked to open.
class FakeShell final : public platform::Shell {
 public:
  std::vector<std::string> opened;
  bool opens = true;  // false: no application takes any file
  bool Open(std::string_view file, std::string_view, std::string_view) override {
    opened.emplace_back(file);
    return opens;
  }
};

}  // namespace velkoran::testing
