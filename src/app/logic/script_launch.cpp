#include "app/logic/script_launch.h"

#include <algorithm>

#include "app/logic/name_order.h"
#include "app/logic/ui_text.h"
#include "platform/directory.h"
#include "platform/fileio.h"

namespace velkoran::app {
namespace {

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

std::vector<std::string> ListScriptFiles(std::string_view dir) {
  std::vector<std::string> names;
  const std::string base = platform::HostPaths().AddTrailingSeparator(dir);
  platform::ForEachEntry(dir, platform::EnumDetail::TypeOnly, [&](const platform::DirEntry& e) {
    if (e.isDirectory || !platform::MatchesMask(e.name, "*.txt")) return true;
    if (e.isSymlink) {
      // A link is listed when it leads to something that is not a directory.
      platform::FileInfo target;
      if (platform::StatFollow(base + std::string(e.name), target) && target.kind == platform::PathKind::Directory) {
        return true;
      }
    }
    names.emplace_back(e.name);
    return true;
  });
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NameSortsBefore(a, b); });
  return names;
}

std::string ScriptCaption(std::string_view fileName) {
  // '.' is never the trail byte of a double-byte character, so a byte search is safe.
  const std::size_t dot = fileName.rfind('.');
  return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

std::string ScriptPrologue() {
  return "Velko = new Velkoran;\r\n"
         "Files = new Array;\r\n"
         "Directorys = new Array;\r\n";
}

std::string ScriptDirectoryPath(const platform::PathRules& rules, std::string_view path) {
  std::string p(path);
  while (p.size() > 1 && rules.HasTrailingSeparator(p) && !rules.IsRoot(p)) p = rules.RemoveTrailingSeparator(p);
  return p;
}

std::string ScriptStringExpression(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') {
      out += "' + \"'\" + '";
    } else {
      out += c;
    }
  }
  out += '\'';
  return out;
}

std::string TreeScriptPrefix(const platform::PathRules& rules, const std::optional<std::string>& selectedNodePath) {
  std::string text = ScriptPrologue();
  if (selectedNodePath.has_value()) {
    text += "Temporary_dir_var = new Directory(";
    text += ScriptStringExpression(ScriptDirectoryPath(rules, *selectedNodePath));
    text += "); Directorys.add(Temporary_dir_var);";
  }
  return text;
}

std::string ListScriptPrefix(const platform::PathRules& rules, const std::vector<ScriptSelectionEntry>& selection) {
  std::string text = ScriptPrologue();
  for (const ScriptSelectionEntry& e : selection) {
    if (e.isDirectory) {
      text += "Temporary_dir_var = new Directory(";
      text += ScriptStringExpression(ScriptDirectoryPath(rules, e.path));
      text += "); Directorys.add(Temporary_dir_var);\r\n";
    } else {
      text += "Temporary_file_var = new File(";
      text += ScriptStringExpression(e.path);
      text += "); Files.add(Temporary_file_var);\r\n";
    }
  }
  return text;
}

std::int32_t ScriptHeadLines(std::string_view prefix) {
  return static_cast<std::int32_t>(std::count(prefix.begin(), prefix.end(), '\n')) + 1;
}

std::string ScriptHeadLabel() { return UiText("選択項目から生成した前置き"); }

void AppendScriptLines(std::string& program, std::string_view fileText) {
  std::size_t pos = 0;
  while (pos < fileText.size()) {
    std::size_t end = fileText.find('\n', pos);
    const std::size_t next = end == std::string_view::npos ? fileText.size() : end + 1;
    if (end == std::string_view::npos) end = fileText.size();
    std::size_t lineEnd = end;
    if (lineEnd > pos && fileText[lineEnd - 1] == '\r' && end < fileText.size()) --lineEnd;
    program += kCrLf;
    program.append(fileText.substr(pos, lineEnd - pos));
    pos = next;
  }
}

ScriptFileText ReadScriptFile(std::string_view path) {
  ScriptFileText result;
  int error = 0;
  // Only a regular file: a pipe in the script folder must not freeze the window.
  if (auto text = platform::ReadRegularFile(path, &error)) {
    result.text = std::move(*text);
    result.ok = true;
  } else {
    result.error = platform::ErrorText(error);
  }
  return result;
}

std::string ScriptOpenFailureMessage(std::string_view path, std::string_view error) {
  std::string line = UiText("スクリプトファイルを開けません: ");
  line.append(path);
  line += " (";
  line.append(error);
  line += ')';
  return line;
}

std::optional<std::string> ScriptOutputLines::Add(std::string_view text) {
  if (text.size() >= 2 && text.substr(text.size() - 2) == kCrLf) {
    lineBuffer_.append(text.substr(0, text.size() - 2));
    std::string line = std::move(lineBuffer_);
    lineBuffer_.clear();
    return line;
  }
  lineBuffer_.append(text);
  return std::nullopt;
}

}  // namespace velkoran::app
