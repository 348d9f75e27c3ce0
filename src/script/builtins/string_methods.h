// The byte-string algorithms of the script String methods. Positions and lengths count
// bytes; the only character-aware step is lastIndexOf's skipping of trail bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace kestrin::strings {

// The byte at a 0-based position; a negative position gives the first byte; empty beyond
// the end. A view into text.
std::string_view CharAt(std::string_view text, std::int32_t pos);
// The byte value 0..255 at a position (negative = first byte); -1 beyond the end.
int CharCodeAt(std::string_view text, std::int32_t pos);

// First occurrence of `search` at or after `start` (a negative start counts as 0); -1
// when there is none or `search` is empty.
std::int32_t IndexOf(std::string_view text, std::string_view search, std::int32_t start);

// The last position holding any one of the bytes of `chars` that begins a character in
// the code page (the second byte of a double-byte character never counts); with a limit,
// only positions up to it. -1 when there is none.
std::int32_t LastIndexOfAny(std::string_view text, std::string_view chars, velkoran::platform::CodePage cp,
                            std::int32_t limit = INT32_MAX);

// slice/substring: negative positions have the length added once; empty when start >= end
// or start is still negative. A view into text.
std::string_view Slice(std::string_view text, std::int32_t start, std::int32_t end);
// substr: `count` bytes from start (negative start has the length added once; still
// negative takes them from 0); count < 0 means unlimited. A view into text.
std::string_view Substr(std::string_view text, std::int32_t start, std::int64_t count);

// "<" + tag + ">" + text + "</" + tag + ">"; with an attribute: <TAG ATTR="value">.
std::string Tagged(std::string_view text, std::string_view tag);
std::string TaggedWith(std::string_view text, std::string_view tag, std::string_view attribute,
                       std::string_view value, std::string_view close_tag);

// The text as UTF-16 (little-endian byte pairs).
std::string ToWide(std::string_view text, velkoran::platform::CodePage cp);

}  // namespace kestrin::strings
