// Opens files with the desktop's associated application.
#pragma once

#include "platform/shell.h"

namespace velkoran::app {

class QtShell final : public platform::Shell {
 public:
  bool Open(std::string_view file, std::string_view parameters, std::string_view workingDir) override;
};

}  // namespace velkoran::app
