#include "support/scratch_dir.h"

#include <errno.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "support/files.h"

namespace velkoran::testing {

ScratchDir::ScratchDir() {
  const char* base = std::getenv("VELKORAN_TEST_TMP");
  const std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
  std::filesystem::create_directories(root);
  // Named after the test program, so that a folder left behind shows who made it.
  std::string pattern = root + "/" + program_invocation_short_name + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed in " + root);
  path_ = pattern + "/";
}

ScratchDir::~ScratchDir() { RemoveTree(NoSlash(path_)); }

}  // namespace velkoran::testing
