// The INI image over any text: every section and key it lists reads back, and rendering
// is stable (the rendered text parses to an image that renders the same).
#include <string>

#include "fuzz_check.h"
#include "script/host/ini_image.h"

using namespace velkoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzing::Halves parts = fuzzing::SplitAtNul(fuzzing::Bytes(data, size));
  kestrin::TIniImage image;
  image.Parse(parts.first);
  for (const std::string& section : image.SectionNames()) {
    for (const std::string& key : image.SectionKeys(section)) FUZZ_CHECK(image.Read(section, key).has_value());
  }
  const std::string rendered = image.Render();
  kestrin::TIniImage again;
  again.Parse(rendered);
  FUZZ_CHECK(again.Render() == rendered);

  // The rest of the input drives writes and deletes: "section", "key" and "value" lines.
  const fuzzing::Halves write = fuzzing::SplitAtNul(parts.second);
  const std::size_t cut = write.first.find('=');
  const std::string_view key = write.first.substr(0, cut);
  const std::string_view value = cut == std::string_view::npos ? std::string_view() : write.first.substr(cut + 1);
  image.Write(write.second, key, value);
  image.Read(write.second, key);
  image.SectionKeys(write.second);
  image.DeleteKey(write.second, key);
  image.EraseSection(write.second);
  image.Render();
  return 0;
}
