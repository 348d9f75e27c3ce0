#include "script/builtins/string_methods.h"

#include <algorithm>

namespace kestrin::strings {

std::string_view CharAt(std::string_view text, std::int32_t pos) {
  if (pos < 0) pos = 0;
  if (static_cast<std::size_t>(pos) >= text.size()) return {};
  return text.substr(static_cast<std::size_t>(pos), 1);
}

int CharCodeAt(std::string_view text, std::int32_t pos) {
  if (pos < 0) pos = 0;
  if (static_cast<std::size_t>(pos) >= text.size()) return -1;
  return static_cast<unsigned char>(text[static_cast<std::size_t>(pos)]);
}

std::int32_t IndexOf(std::string_view text, std::string_view search, std::int32_t start) {
  if (search.empty()) return -1;
  if (start < 0) start = 0;
  if (static_cast<std::size_t>(start) >= text.size()) return -1;
  const std::size_t at = text.find(search, static_cast<std::size_t>(start));
  return at == std::string_view::npos ? -1 : static_cast<std::int32_t>(at);
}

std::int32_t LastIndexOfAny(std::string_view text, std::string_view chars, velkoran::platform::CodePage cp,
                            std::int32_t limit) {
  if (chars.empty() || limit < 0) return -1;
  bool wanted[256] = {};
  for (char c : chars) wanted[static_cast<unsigned char>(c)] = true;
  std::int32_t found = -1;
  const std::size_t last = std::min(text.size(), static_cast<std::size_t>(limit) + 1);
  for (std::size_t i = 0; i < last;) {
    const std::size_t step = velkoran::platform::CharStep(text, i, cp);
    if (wanted[static_cast<unsigned char>(text[i])]) found = static_cast<std::int32_t>(i);
    i += step;
  }
  return found;
}

std::string_view Slice(std::string_view text, std::int32_t start, std::int32_t end) {
  const auto len = static_cast<std::int64_t>(text.size());
  std::int64_t s = start, e = end;
  if (s < 0) s += len;
  if (e < 0) e += len;
  if (s < 0 || s >= e) return {};
  e = std::min(e, len);
  if (s >= e) return {};
  return text.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s));
}

std::string_view Substr(std::string_view text, std::int32_t start, std::int64_t count) {
  const auto len = static_cast<std::int64_t>(text.size());
  std::int64_t s = start;
  if (s < 0) s += len;
  if (s < 0) s = 0;
  if (s >= len || count == 0) return {};
  const std::int64_t n = count < 0 ? len - s : std::min(count, len - s);
  return text.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(n));
}

std::string Tagged(std::string_view text, std::string_view tag) {
  std::string out;
  out.reserve(text.size() + 2 * tag.size() + 5);
  out.append("<").append(tag).append(">").append(text).append("</").append(tag).append(">");
  return out;
}

std::string TaggedWith(std::string_view text, std::string_view tag, std::string_view attribute,
                       std::string_view value, std::string_view close_tag) {
  std::string out;
  out.append("<").append(tag).append(" ").append(attribute).append("=\"").append(value).append("\">");
  out.append(text).append("</").append(close_tag).append(">");
  return out;
}

std::string ToWide(std::string_view text, velkoran::platform::CodePage cp) {
  const std::u16string wide = velkoran::platform::ToUtf16(text, cp);
  std::string out;
  out.reserve(wide.size() * 2);
  for (char16_t c : wide) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

}  // namespace kestrin::strings
