#include "platform/folders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace velkoran::platform {
namespace {

std::optional<std::string> Env(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return std::nullopt;
  return std::string(v);
}

std::string WithSlash(std::string p) {
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

// The system's program folders: a package puts the program there, and nothing of a user's
// belongs beside it, even when the user (root) could write it.
bool IsSystemProgramDir(std::string_view dir) {
  return dir.starts_with("/usr/") || dir == "/bin/" || dir == "/sbin/";
}

}  // namespace

std::string ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return WithSlash(std::filesystem::current_path().string());
  return WithSlash(exe.parent_path().string());
}

FolderInputs CurrentFolderInputs() {
  FolderInputs in;
  in.velkoranHome = Env("VELKORAN_HOME");
  in.xdgConfigHome = Env("XDG_CONFIG_HOME");
  in.home = Env("HOME");
  in.executableDir = ExecutableDir();
  in.executableDirWritable = ::access(in.executableDir.c_str(), W_OK) == 0;
  return in;
}

std::string ResolveProgramDir(const FolderInputs& in) {
  if (in.velkoranHome) return WithSlash(*in.velkoranHome);
  if (in.executableDirWritable && !in.executableDir.empty() && !IsSystemProgramDir(WithSlash(in.executableDir))) {
    return WithSlash(in.executableDir);
  }
  if (in.xdgConfigHome) return WithSlash(*in.xdgConfigHome) + "velkoran/";
  return WithSlash(in.home.value_or("")) + ".config/velkoran/";
}

const std::string& ProgramDir() {
  static const std::string dir = ResolveProgramDir(CurrentFolderInputs());
  return dir;
}

std::string SaveDir() { return ProgramDir() + "save/"; }
std::string ScriptDir() { return ProgramDir() + "Script/"; }

std::string DataDir() { return ExecutableDir() + "../share/velkoran/"; }

}  // namespace velkoran::platform
