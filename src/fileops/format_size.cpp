#include "fileops/format_size.h"

#include <charconv>

namespace velkoran::fileops {

std::string FormatSize(std::uint64_t bytes, SizeFormat mode) {
  std::uint64_t whole = bytes;
  double decimal = static_cast<double>(bytes);
  const char* wholeUnit = "";
  const char* decimalUnit = "";
  static constexpr const char* kUnits[] = {"K", "M", "G"};
  double divisor = 1;
  for (const char* unit : kUnits) {
    divisor *= 1024;
    const double scaled = static_cast<double>(bytes) / divisor;
    if (scaled >= 10) {
      whole = static_cast<std::uint64_t>(scaled);
      wholeUnit = unit;
    }
    if (scaled >= 1) {
      decimal = scaled;
      decimalUnit = unit;
    }
  }
  if (mode == SizeFormat::Whole) return std::to_string(whole) + wholeUnit;

  // The shortest general form (to_chars keeps "." whatever the locale), then cut (not
  // rounded) two digits after the point.
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, decimal, std::chars_format::general, 15);
  std::string s(text, written.ptr);
  if (auto point = s.find('.'); point != std::string::npos && s.size() > point + 3) {
    s.resize(point + 3);
  }
  return s + decimalUnit;
}

}  // namespace velkoran::fileops
