// TIniImage: an INI file held in memory. Sections and keys compare without regard to
// case; the first matching section and the first matching line answer. Lines that are
// empty or begin with ";" are no keys, and lines before the first section belong to no
// section; all of them are kept so that writing the image back loses nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

class TIniImage {
 public:
  // Replaces the image with the file's sections; a missing file gives an empty image.
  // False when the file exists but cannot be read.
  bool Load(std::string_view path);
  // Replaces the image with the sections of a text (lines split at CR, LF or CR LF).
  void Parse(std::string_view text);

  // The text after "key=" in the section, or nothing.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  // Replaces the key's line by key=value, or adds it (and the section) at the end.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);
  // Key names of the section in file order; empty when it is absent.
  std::vector<std::string> SectionKeys(std::string_view section) const;
  std::vector<std::string> SectionNames() const;
  // The section holds at least one key.
  bool SectionExists(std::string_view section) const { return !SectionKeys(section).empty(); }

  // The image as file text, every line ending in CR LF.
  std::string Render() const;

 private:
  struct Section {
    std::string name;
    std::vector<std::string> lines;  // keys, and the empty and comment lines among them
    bool added = false;              // made by Write, not read from the file
  };
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;

  std::vector<std::string> preamble_;
  std::vector<Section> sections_;
};

// The key of an INI line: the text before its first "=", or nothing without one (and for
// empty and comment lines).
std::optional<std::string_view> IniLineKey(std::string_view line);

}  // namespace kestrin
