#include "app/logic/desktop_entry.h"

#include <unistd.h>

#include <algorithm>

#include "platform/process.h"

namespace velkoran::app {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool IsTrue(const std::string* raw) { return raw != nullptr && *raw == "true"; }

const std::string* LocalizedValue(const KeyFileGroup& group, std::string_view key, const std::vector<std::string>& locales) {
  for (const std::string& locale : locales) {
    if (const std::string* v = group.Find(std::string(key) + "[" + locale + "]")) return v;
  }
  return group.Find(key);
}

// Whether word holds a file field code (%f %F %u %U, not escaped as "%%").
bool HoldsFileCode(std::string_view word) {
  for (std::size_t i = 0; i + 1 < word.size(); ++i) {
    if (word[i] != '%') continue;
    const char code = word[++i];
    if (code == 'f' || code == 'F' || code == 'u' || code == 'U') return true;
  }
  return false;
}

bool ListHolds(const std::vector<std::string>& list, const std::vector<std::string>& any) {
  return std::any_of(any.begin(), any.end(),
                     [&](const std::string& d) { return std::find(list.begin(), list.end(), d) != list.end(); });
}

}  // namespace

// ---- Key files --------------------------------------------------------------------------

const std::string* KeyFileGroup::Find(std::string_view key) const {
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->first == key) return &it->second;
  }
  return nullptr;
}

std::vector<KeyFileGroup> ParseKeyFile(std::string_view text) {
  std::vector<KeyFileGroup> groups;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      groups.push_back({std::string(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    const std::size_t eq = line.find('=');
    if (groups.empty() || eq == std::string_view::npos || eq == 0) continue;
    groups.back().entries.emplace_back(std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))));
  }
  return groups;
}

std::string KeyFileString(std::string_view raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    switch (raw[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default:  // not a string escape (a list's "\;"): kept for the caller
        out += '\\';
        out += raw[i];
    }
  }
  return out;
}

std::vector<std::string> KeyFileList(std::string_view raw) {
  std::vector<std::string> items;
  std::string item;
  const auto finish = [&] {
    if (!item.empty()) items.push_back(KeyFileString(item));
    item.clear();
  };
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == ';') {
      item += ';';
      ++i;
    } else if (raw[i] == ';') {
      finish();
    } else {
      item += raw[i];
    }
  }
  finish();
  return items;
}

std::vector<std::string> LocaleLookupNames(std::string_view locale) {
  if (locale.empty() || locale == "C" || locale == "POSIX") return {};
  std::string_view modifier;
  if (const std::size_t at = locale.find('@'); at != std::string_view::npos) {
    modifier = locale.substr(at);
    locale = locale.substr(0, at);
  }
  locale = locale.substr(0, locale.find('.'));  // the encoding plays no part
  const std::string_view lang = locale.substr(0, locale.find('_'));
  std::vector<std::string> names;
  const auto add = [&](std::string_view base, std::string_view mod) {
    std::string name = std::string(base) + std::string(mod);
    if (!base.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
  };
  if (!modifier.empty()) add(locale, modifier);
  add(locale, {});
  if (!modifier.empty()) add(lang, modifier);
  add(lang, {});
  return names;
}

// ---- Application entries ---------------------------------------------------------------

bool FindsExecutable(std::string_view name, std::string_view path) {
  if (name.empty()) return false;
  if (name.find('/') != std::string_view::npos) return ::access(std::string(name).c_str(), X_OK) == 0;
  while (true) {
    const std::size_t colon = path.find(':');
    const std::string_view dir = path.substr(0, colon);
    const std::string candidate = std::string(dir.empty() ? std::string_view(".") : dir) + "/" + std::string(name);
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    path.remove_prefix(colon + 1);
  }
}

std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text, std::string id, const DesktopContext& context) {
  const std::vector<KeyFileGroup> groups = ParseKeyFile(text);
  const auto group = std::find_if(groups.begin(), groups.end(), [](const KeyFileGroup& g) { return g.name == "Desktop Entry"; });
  if (group == groups.end()) return std::nullopt;
  const KeyFileGroup& g = *group;
  const std::string* type = g.Find("Type");
  const std::string* exec = g.Find("Exec");
  const std::string* name = LocalizedValue(g, "Name", context.locales);
  if (type == nullptr || *type != "Application" || IsTrue(g.Find("Hidden")) || exec == nullptr || name == nullptr) {
    return std::nullopt;
  }
  if (const std::string* tryExec = g.Find("TryExec"); tryExec != nullptr && !FindsExecutable(KeyFileString(*tryExec), context.path)) {
    return std::nullopt;
  }
  if (const std::string* only = g.Find("OnlyShowIn"); only != nullptr && !ListHolds(KeyFileList(*only), context.desktops)) {
    return std::nullopt;
  }
  if (const std::string* hide = g.Find("NotShowIn"); hide != nullptr && ListHolds(KeyFileList(*hide), context.desktops)) {
    return std::nullopt;
  }
  DesktopEntry entry;
  entry.id = std::move(id);
  entry.name = KeyFileString(*name);
  entry.exec = KeyFileString(*exec);
  if (const std::string* icon = g.Find("Icon")) entry.icon = KeyFileString(*icon);
  if (const std::string* dir = g.Find("Path")) entry.workingDir = KeyFileString(*dir);
  entry.terminal = IsTrue(g.Find("Terminal"));
  if (const std::string* types = g.Find("MimeType")) entry.mimeTypes = KeyFileList(*types);
  return entry;
}

// ---- Command lines ---------------------------------------------------------------------

std::vector<std::vector<std::string>> OpenCommands(const DesktopEntry& entry, const std::vector<std::string>& files,
                                                   const std::vector<std::string>& terminal) {
  std::optional<std::vector<std::string>> words = platform::SplitCommandLine(entry.exec);
  if (!words || words->empty()) return {};
  const bool takesAll = std::any_of(words->begin(), words->end(), [](const std::string& w) { return w == "%F" || w == "%U"; });
  if (!takesAll && std::none_of(words->begin(), words->end(), [](const std::string& w) { return HoldsFileCode(w); })) {
    words->push_back("%f");
  }

  // One file, or all of them (nullptr) for the words that take a list.
  const auto expand = [&](const std::string* one) {
    std::vector<std::string> argv = terminal.empty() || !entry.terminal ? std::vector<std::string>{} : terminal;
    if (!argv.empty()) argv.push_back("-e");
    for (const std::string& word : *words) {
      if (word == "%i") {  // the icon as an option of its own, when the entry has one
        if (!entry.icon.empty()) argv.insert(argv.end(), {"--icon", entry.icon});
        continue;
      }
      if (word == "%F" || word == "%U") {
        if (one != nullptr) {
          argv.push_back(*one);
        } else {
          argv.insert(argv.end(), files.begin(), files.end());
        }
        continue;
      }
      std::string out;
      for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%' || i + 1 == word.size()) {
          out += word[i];
          continue;
        }
        const char code = word[++i];
        if (code == '%') {
          out += '%';
        } else if (code == 'f' || code == 'u' || code == 'F' || code == 'U') {
          out += one != nullptr ? *one : (files.empty() ? std::string() : files.front());
        } else if (code == 'c') {
          out += entry.name;
        } else if (code == 'k') {
          out += entry.file;
        }  // any other code (the deprecated ones) stands for nothing here
      }
      // A word that was nothing but dropped codes is no argument.
      if (!out.empty() || word.empty()) argv.push_back(std::move(out));
    }
    return argv;
  };

  std::vector<std::vector<std::string>> commands;
  if (takesAll || files.empty()) {
    commands.push_back(expand(nullptr));
  } else {
    for (const std::string& file : files) commands.push_back(expand(&file));
  }
  return commands;
}

std::vector<std::string> TerminalCommand(const char* terminalVariable) {
  if (terminalVariable != nullptr && *terminalVariable != '\0') {
    std::optional<std::vector<std::string>> words = platform::SplitCommandLine(terminalVariable);
    if (words && !words->empty()) return *words;
  }
  return {"x-terminal-emulator"};
}

}  // namespace velkoran::app
