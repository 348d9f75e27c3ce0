// Base64 with the standard alphabet and "=" padding, without line breaks.
#pragma once

#include <string>
#include <string_view>

namespace kestrin {

std::string Base64Encode(std::string_view bytes);

// CR and LF are skipped, as are other bytes outside the alphabet; "=" in the third or
// fourth place of a group ends it after one or two bytes. A final group of two or three
// characters without padding still yields its one or two bytes.
std::string Base64Decode(std::string_view text);

}  // namespace kestrin
