// Where the program keeps its state and scripts.
#pragma once

#include <optional>
#include <string>

namespace velkoran::platform {

// What the program folder depends on; gathered from the process by CurrentFolderInputs.
struct FolderInputs {
  std::optional<std::string> velkoranHome;   // $VELKORAN_HOME
  std::optional<std::string> xdgConfigHome;  // $XDG_CONFIG_HOME
  std::optional<std::string> home;           // $HOME
  std::string executableDir;                 // folder of the running program
  bool executableDirWritable = false;
};

FolderInputs CurrentFolderInputs();

// $VELKORAN_HOME when set; else the executable's folder when it is writable and not a
// system program folder (/usr/..., /bin, /sbin); else $XDG_CONFIG_HOME/velkoran/ (default
// ~/.config/velkoran/). Always ends in "/".
std::string ResolveProgramDir(const FolderInputs& in);

// The folders of this process, computed once.
const std::string& ProgramDir();
std::string SaveDir();    // ProgramDir + "save/"
std::string ScriptDir();  // ProgramDir + "Script/"

// Folder of the running executable, with a trailing "/".
std::string ExecutableDir();

// The program's read-only data (sample scripts): share/velkoran/ beside the executable's
// bin/ folder. The build tree has the same layout as an installation.
std::string DataDir();

}  // namespace velkoran::platform
