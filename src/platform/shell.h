// Opening a file the way the desktop opens it (the shell's "Open" verb). The window
// implements it with the desktop services; tests record the calls.
#pragma once

#include <string_view>

namespace velkoran::platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens file with the application the desktop associates with it; false when no
  // application took it (the caller tells the user).
  virtual bool Open(std::string_view file, std::string_view parameters, std::string_view workingDir) = 0;
};

}  // namespace velkoran::platform
