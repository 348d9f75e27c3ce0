#include "app/logic/mime_apps.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>

#include "app/logic/ui_text.h"
#include "platform/directory.h"
#include "platform/fileio.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/ui_language.h"

namespace velkoran::app {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::vector<std::string> SplitAt(std::string_view text, char separator) {
  std::vector<std::string> parts;
  while (!text.empty()) {
    const std::size_t at = text.find(separator);
    if (at != 0) parts.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) break;
    text.remove_prefix(at + 1);
  }
  return parts;
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

void CollectEntries(const std::string& dir, const std::string& idPrefix, const DesktopContext& context,
                    ApplicationCatalogue::Installed& installed, std::vector<const std::string*>& order, int depth) {
  if (depth > 8) return;  // applications/ is shallow; a deeper tree is no entry folder
  std::vector<std::pair<std::string, bool>> names;
  platform::ForEachEntry(dir, platform::EnumDetail::TypeOnly, [&](const platform::DirEntry& e) {
    names.emplace_back(std::string(e.name), e.isDirectory);
    return true;
  });
  std::sort(names.begin(), names.end());
  for (const auto& [name, isDirectory] : names) {
    if (isDirectory) {
      CollectEntries(dir + name + "/", idPrefix + name + "-", context, installed, order, depth + 1);
      continue;
    }
    if (name.size() <= 8 || name.compare(name.size() - 8, 8, ".desktop") != 0) continue;
    const std::string id = idPrefix + name;
    if (installed.count(id) != 0) continue;
    std::optional<std::string> text = platform::ReadRegularFile(dir + name);
    std::optional<DesktopEntry> entry = text ? ParseDesktopEntry(*text, id, context) : std::nullopt;
    if (entry) entry->file = dir + name;
    auto [it, added] = installed.emplace(id, std::move(entry));
    if (it->second) order.push_back(&it->first);
  }
}

std::vector<ApplicationCatalogue::Associations> ReadAssociations(const XdgSetting& xdg) {
  std::vector<ApplicationCatalogue::Associations> files;
  for (const std::string& path : MimeAppsListPaths(xdg)) {
    std::optional<std::string> text = platform::ReadRegularFile(path);
    if (!text) continue;
    ApplicationCatalogue::Associations a;
    for (const KeyFileGroup& g : ParseKeyFile(*text)) {
      auto* target = g.name == "Default Applications"  ? &a.defaults
                     : g.name == "Added Associations"  ? &a.added
                     : g.name == "Removed Associations" ? &a.removed
                                                        : nullptr;
      if (target == nullptr) continue;
      for (const auto& [type, ids] : g.entries) {
        std::vector<std::string>& list = (*target)[type];
        for (std::string& id : KeyFileList(ids)) list.push_back(std::move(id));
      }
    }
    files.push_back(std::move(a));
  }
  return files;
}

const std::vector<std::string>& ListOf(const std::map<std::string, std::vector<std::string>>& lists, const std::string& type) {
  static const std::vector<std::string> kNone;
  const auto it = lists.find(type);
  return it == lists.end() ? kNone : it->second;
}

bool NameBefore(const DesktopEntry& a, const DesktopEntry& b) {
  const std::string la = Lower(a.name);
  const std::string lb = Lower(b.name);
  return la != lb ? la < lb : a.id < b.id;
}

std::string StartFailure(std::string_view what, std::string_view program, int error) {
  std::string line = UiText(what);
  line.append(program);
  line += " (";
  line += platform::ErrorText(error);
  line += ')';
  return line;
}

}  // namespace

XdgSetting XdgFromEnvironment() {
  const std::string home = Variable("HOME");
  const auto folder = [&](const char* name, const char* underHome) {
    std::string value = Variable(name);
    return value.empty() || value.front() != '/' ? home + underHome : value;
  };
  const auto folders = [](const char* name, const char* fallback) {
    std::vector<std::string> dirs = SplitAt(Variable(name), ':');
    return dirs.empty() ? SplitAt(fallback, ':') : dirs;
  };
  XdgSetting xdg;
  xdg.dataHome = folder("XDG_DATA_HOME", "/.local/share");
  xdg.dataDirs = folders("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  xdg.configHome = folder("XDG_CONFIG_HOME", "/.config");
  xdg.configDirs = folders("XDG_CONFIG_DIRS", "/etc/xdg");
  xdg.context.desktops = SplitAt(Variable("XDG_CURRENT_DESKTOP"), ':');
  std::string locale = Variable("LC_ALL");
  if (locale.empty()) locale = Variable("LC_MESSAGES");
  if (locale.empty()) locale = Variable("LANG");
  xdg.context.locales = LocaleLookupNames(locale);
  xdg.context.path = Variable("PATH");
  return xdg;
}

std::vector<std::string> MimeAppsListPaths(const XdgSetting& xdg) {
  const platform::PathRules& rules = platform::HostPaths();
  std::vector<std::string> folders{xdg.configHome};
  folders.insert(folders.end(), xdg.configDirs.begin(), xdg.configDirs.end());
  folders.push_back(rules.Join(xdg.dataHome, "applications"));
  for (const std::string& dir : xdg.dataDirs) folders.push_back(rules.Join(dir, "applications"));
  std::vector<std::string> paths;
  for (const std::string& folder : folders) {
    for (const std::string& desktop : xdg.context.desktops) paths.push_back(rules.Join(folder, Lower(desktop) + "-mimeapps.list"));
    paths.push_back(rules.Join(folder, "mimeapps.list"));
  }
  return paths;
}

ApplicationCatalogue::ApplicationCatalogue(const XdgSetting& xdg) {
  std::vector<std::string> dataFolders{xdg.dataHome};
  dataFolders.insert(dataFolders.end(), xdg.dataDirs.begin(), xdg.dataDirs.end());
  for (const std::string& dir : dataFolders) {
    CollectEntries(platform::HostPaths().Join(dir, "applications") + "/", "", xdg.context, installed_, order_, 0);
  }
  associationFiles_ = ReadAssociations(xdg);
}

std::vector<DesktopEntry> ApplicationCatalogue::For(const std::vector<std::string>& mimeTypes) const {
  std::vector<DesktopEntry> result;
  std::set<std::string> taken;
  const auto take = [&](const std::string& id) {
    const auto it = installed_.find(id);
    if (it == installed_.end() || !it->second || !taken.insert(id).second) return;
    result.push_back(*it->second);
  };

  for (const std::string& type : mimeTypes) {
    for (const auto& file : associationFiles_) {
      for (const std::string& id : ListOf(file.defaults, type)) take(id);
    }
  }
  for (const std::string& type : mimeTypes) {
    // A removal holds for its own file and every less important one.
    std::set<std::string> removed;
    for (const auto& file : associationFiles_) {
      const std::vector<std::string>& gone = ListOf(file.removed, type);
      removed.insert(gone.begin(), gone.end());
      for (const std::string& id : ListOf(file.added, type)) {
        if (removed.count(id) == 0) take(id);
      }
    }
    std::vector<DesktopEntry> listing;
    for (const std::string* id : order_) {
      const DesktopEntry& e = *installed_.at(*id);
      if (removed.count(e.id) == 0 && taken.count(e.id) == 0 &&
          std::find(e.mimeTypes.begin(), e.mimeTypes.end(), type) != e.mimeTypes.end()) {
        listing.push_back(e);
      }
    }
    std::sort(listing.begin(), listing.end(), NameBefore);
    for (const DesktopEntry& e : listing) take(e.id);
  }
  return result;
}

std::vector<DesktopEntry> ApplicationCatalogue::ForAll(const std::vector<std::vector<std::string>>& typesPerFile) const {
  if (typesPerFile.empty()) return {};
  std::vector<DesktopEntry> common = For(typesPerFile.front());
  std::set<std::vector<std::string>> asked{typesPerFile.front()};
  for (const std::vector<std::string>& types : typesPerFile) {
    if (common.empty()) break;
    if (!asked.insert(types).second) continue;
    std::set<std::string> ids;
    for (const DesktopEntry& e : For(types)) ids.insert(e.id);
    common.erase(std::remove_if(common.begin(), common.end(), [&](const DesktopEntry& e) { return ids.count(e.id) == 0; }),
                 common.end());
  }
  return common;
}

std::vector<DesktopEntry> ApplicationsFor(const XdgSetting& xdg, const std::vector<std::string>& mimeTypes) {
  return ApplicationCatalogue(xdg).For(mimeTypes);
}

std::optional<std::string> OpenWithApplication(const DesktopEntry& entry, const std::vector<std::string>& files,
                                               const std::vector<std::string>& terminal) {
  const std::vector<std::vector<std::string>> commands = OpenCommands(entry, files, terminal);
  if (commands.empty()) return StartFailure(platform::Translatable("アプリケーションを起動できません: "), LocalText(entry.name), EINVAL);
  const std::string workingDir =
      !entry.workingDir.empty() ? entry.workingDir : (files.empty() ? std::string() : platform::HostPaths().ParentPath(files.front()));
  for (const std::vector<std::string>& argv : commands) {
    if (const int error = platform::StartDetached(argv, workingDir); error != 0) {
      return StartFailure(platform::Translatable("アプリケーションを起動できません: "), LocalText(entry.name), error);
    }
  }
  return std::nullopt;
}

std::optional<std::string> OpenTerminalIn(std::string_view folder, const std::vector<std::string>& terminal) {
  if (const int error = platform::StartDetached(terminal, folder); error != 0) {
    return StartFailure(platform::Translatable("端末を起動できません: "), terminal.empty() ? std::string() : terminal.front(), error);
  }
  return std::nullopt;
}

}  // namespace velkoran::app
