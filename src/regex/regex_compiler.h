// Pattern compiler: parses the pattern text into a syntax tree, checks its limits and
// emits the matcher's program together with its search hints.
#pragma once

#include <string_view>

#include "regex/regex_program.h"

namespace velkoran::regex {

struct Modifiers {
  bool ignore_case = false;    // i
  bool extended_ranges = true; // r
  bool single_line = true;     // s
  bool operator==(const Modifiers&) const = default;
};

// Compiles the pattern under the given modifiers; raises ERegexEngine on a bad pattern.
Program Compile(std::string_view pattern, Modifiers modifiers);

}  // namespace velkoran::regex
