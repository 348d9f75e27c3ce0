// Switches the numeric locale to one whose decimal separator is a comma, as the window's
// toolkit may do when it adopts a user's locale, and back at the end of the scope. The
// locale is compiled into a private folder with localedef, since a test machine usually
// has none installed.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace velkoran::testing {

class CommaLocale {
 public:
  CommaLocale() {
    const auto dir = std::filesystem::temp_directory_path() / ("vk-locale-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) > 1) return;  // 1 only reports warnings
    ::setenv("LOCPATH", dir.c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    dir_ = dir;
  }
  ~CommaLocale() {
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::filesystem::path dir_;
  bool active_ = false;
};

}  // namespace velkoran::testing
