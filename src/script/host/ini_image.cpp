#include "script/host/ini_image.h"

#include "script/host/host_files.h"
#include "script/host/string_list.h"

namespace kestrin {

std::optional<std::string_view> IniLineKey(std::string_view line) {
  if (line.empty() || line.front() == ';') return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return line.substr(0, eq);
}

namespace {

bool KeyMatches(std::string_view line, std::string_view key) {
  const auto k = IniLineKey(line);
  return k && CompareText(*k, key) == 0;
}

}  // namespace

bool TIniImage::Load(std::string_view path) {
  preamble_.clear();
  sections_.clear();
  if (!host::IsExistingFile(path)) return !host::IsExistingDirectory(path);
  const auto bytes = host::ReadWholeFile(path);
  if (!bytes) return false;
  Parse(*bytes);
  return true;
}

void TIniImage::Parse(std::string_view text) {
  preamble_.clear();
  sections_.clear();
  TStringList lines;
  lines.SetText(text);
  for (const std::string& line : lines.Lines()) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections_.push_back(Section{line.substr(1, line.size() - 2), {}, false});
    } else if (sections_.empty()) {
      preamble_.push_back(line);
    } else {
      sections_.back().lines.push_back(line);
    }
  }
}

TIniImage::Section* TIniImage::FindSection(std::string_view name) {
  for (Section& s : sections_) {
    if (CompareText(s.name, name) == 0) return &s;
  }
  return nullptr;
}

const TIniImage::Section* TIniImage::FindSection(std::string_view name) const {
  return const_cast<TIniImage*>(this)->FindSection(name);
}

std::optional<std::string> TIniImage::Read(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  for (const std::string& line : s->lines) {
    if (KeyMatches(line, key)) return line.substr(line.find('=') + 1);
  }
  return std::nullopt;
}

void TIniImage::Write(std::string_view section, std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  Section* s = FindSection(section);
  if (s == nullptr) {
    sections_.push_back(Section{std::string(section), {}, true});
    s = &sections_.back();
  }
  for (std::string& existing : s->lines) {
    if (KeyMatches(existing, key)) {
      existing = std::move(line);
      return;
    }
  }
  // After the section's last line that is not empty, so the blank line that separates it
  // from the next section stays below.
  std::size_t at = s->lines.size();
  while (at > 0 && s->lines[at - 1].empty()) --at;
  s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void TIniImage::DeleteKey(std::string_view section, std::string_view key) {
  Section* s = FindSection(section);
  if (s == nullptr) return;
  for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
    if (KeyMatches(*it, key)) {
      s->lines.erase(it);
      return;
    }
  }
}

void TIniImage::EraseSection(std::string_view section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (CompareText(it->name, section) == 0) {
      sections_.erase(it);
      return;
    }
  }
}

std::vector<std::string> TIniImage::SectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* s = FindSection(section);
  if (s == nullptr) return keys;
  for (const std::string& line : s->lines) {
    if (const auto k = IniLineKey(line); k && !k->empty()) keys.emplace_back(*k);
  }
  return keys;
}

std::vector<std::string> TIniImage::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

std::string TIniImage::Render() const {
  std::string out;
  bool lastEmpty = true;
  auto emit = [&](std::string_view line) {
    out += line;
    out += "\r\n";
    lastEmpty = line.empty();
  };
  for (const std::string& line : preamble_) emit(line);
  for (const Section& s : sections_) {
    // A section the file did not have is set apart from what precedes it.
    if (s.added && !out.empty() && !lastEmpty) emit("");
    emit("[" + s.name + "]");
    for (const std::string& line : s.lines) emit(line);
  }
  return out;
}

}  // namespace kestrin
