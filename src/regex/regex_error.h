// Errors of the regular-expression engine: a numeric code, the pattern position where a
// compile error was found, and the fixed message text that scripts and logs show.
#pragma once

#include <stdexcept>
#include <string>

namespace velkoran::regex {

// Error codes. Below 1000 they come from compiling, from 1000 on from matching.
enum ErrorCode : int {
  kNoError = 0,
  kNullArgument = 100,
  kRegexpTooBig = 101,
  kTooManyGroups = 102,
  kUnmatchedOpen = 103,
  kUnmatchedClose = 104,
  kJunkOnEnd = 105,
  kOperandCouldBeEmpty = 106,
  kNestedQuantifier = 107,
  kBadHexDigit = 108,
  kInvalidRange = 109,
  kClassTrailingBackslash = 110,
  kNoHexCode = 111,
  kHexCodeTooBig = 112,
  kUnmatchedBracket = 113,
  kInternalUrp = 114,
  kQuantifierFollowsNothing = 115,
  kTrailingBackslash = 116,
  kAtomInternalDisaster = 119,
  kBracesTooBig = 122,
  kBracesMinGreaterMax = 124,
  kUnclosedComment = 125,
  kBracesAfterComplex = 126,
  kUnknownModifier = 127,
  kRepeatInappropriate = 1000,
  kMemoryCorruption = 1001,
  kCorruptedPointers = 1002,
  kNoExpression = 1003,
  kCorruptedProgram = 1004,
  kNoInput = 1005,
  kOffsetBelowOne = 1006,
  kNextWithoutSearch = 1007,
  kInputNotSet = 1008,
  kCorruptedOpcode = 1011,
  kAfterCompileError = 1012,
  kBadModifier = 1013,
  kStackExceeded = 1014,
  kLoopWithoutEntry = 1015,
  kInputTooLong = 1016,
  kBacktrackLimit = 1017,
};

// The message of an error code as the engine reports it ("Unknown error" for codes
// without text).
std::string ErrorText(int code);

class ERegexEngine : public std::runtime_error {
 public:
  // For compile errors (code below 1000) the message carries " (pos N)".
  ERegexEngine(int code, long position);
  int code() const { return code_; }
  long position() const { return position_; }

 private:
  int code_;
  long position_;
};

}  // namespace velkoran::regex
