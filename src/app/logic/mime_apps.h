// Which of the desktop's applications open a type of file, as the freedesktop.org
// associations say (the applications' entries in the XDG data folders and the users' and
// system's mimeapps.list files), and starting them or a terminal without waiting.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/logic/desktop_entry.h"

namespace velkoran::app {

// The folders and settings the lookup reads, gathered from the environment by
// XdgFromEnvironment (tests make their own).
struct XdgSetting {
  std::string dataHome;                 // $XDG_DATA_HOME, else ~/.local/share
  std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
  std::string configHome;               // $XDG_CONFIG_HOME, else ~/.config
  std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS, else /etc/xdg
  DesktopContext context;
};

XdgSetting XdgFromEnvironment();

// The association files, most important first: for each config folder (home, then the
// others) and then each data folder's applications/ (home, then the others), the
// "<desktop>-mimeapps.list" of every current desktop (lower case), then mimeapps.list.
std::vector<std::string> MimeAppsListPaths(const XdgSetting& xdg);

// The applications for a file whose types are mimeTypes (its own type first, then its
// aliases and the types it derives from). Defaults first (each type's [Default
// Applications], in the order of the types and of the files), then for each type the
// applications added for it ([Added Associations], less any that a file as important or
// more removes) and those whose entry lists the type (by name). Each application once;
// entries that cannot start here are left out. An entry's id is its path below
// applications/ with "/" as "-"; the first folder holding an id decides its entry.
std::vector<DesktopEntry> ApplicationsFor(const XdgSetting& xdg, const std::vector<std::string>& mimeTypes);

// The installed entries and the association files, read once for several questions (one
// opening of a menu).
class ApplicationCatalogue {
 public:
  explicit ApplicationCatalogue(const XdgSetting& xdg);
  ApplicationCatalogue(const ApplicationCatalogue&) = delete;  // order_ points into installed_
  ApplicationCatalogue& operator=(const ApplicationCatalogue&) = delete;
  // ApplicationsFor over what was read.
  std::vector<DesktopEntry> For(const std::vector<std::string>& mimeTypes) const;
  // The applications that open every one of several files (each file's types as For takes
  // them), in the first file's order.
  std::vector<DesktopEntry> ForAll(const std::vector<std::vector<std::string>>& typesPerFile) const;

  // One association file's groups: type -> application ids.
  struct Associations {
    std::map<std::string, std::vector<std::string>> defaults, added, removed;
  };
  // The installed entries by id; an id whose first entry cannot start here maps to
  // nothing, so that it hides the same id in less important folders.
  using Installed = std::map<std::string, std::optional<DesktopEntry>>;

 private:
  Installed installed_;
  std::vector<const std::string*> order_;  // the ids that can start, folder by folder
  std::vector<Associations> associationFiles_;  // most important first
};

// Starts entry for files without waiting, in the entry's working folder, else the first
// file's folder. The log line when a command could not start, else nothing.
std::optional<std::string> OpenWithApplication(const DesktopEntry& entry, const std::vector<std::string>& files,
                                               const std::vector<std::string>& terminal);

// Starts the terminal in folder without waiting. The log line when it could not start.
std::optional<std::string> OpenTerminalIn(std::string_view folder, const std::vector<std::string>& terminal);

}  // namespace velkoran::app
