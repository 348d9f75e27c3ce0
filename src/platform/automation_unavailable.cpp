// Builds without Qt's D-Bus module have no automation backend: every creation fails.
#include <cstdio>
#include <string>

#include "platform/automation.h"

namespace velkoran::platform {

Variant CreateAutomationObject(std::string_view programId) {
  std::fprintf(stderr, "automation: this build has no D-Bus support (%s)\n", std::string(programId).c_str());
  return Variant();
}

}  // namespace velkoran::platform
