#include "regex/regex_error.h"

namespace velkoran::regex {
namespace {

const char* TextOf(int code) {
  switch (code) {
    case kNoError: return "No errors";
    case kNullArgument: return "TRegexEngine(comp): Null Argument";
    case kRegexpTooBig: return "TRegexEngine(comp): Regexp Too Big";
    case kTooManyGroups: return "TRegexEngine(comp): ParseReg Too Many ()";
    case kUnmatchedOpen:
    case kUnmatchedClose: return "TRegexEngine(comp): ParseReg Unmatched ()";
    case kJunkOnEnd: return "TRegexEngine(comp): ParseReg Junk On End";
    case kOperandCouldBeEmpty: return "TRegexEngine(comp): *+ Operand Could Be Empty";
    case kNestedQuantifier: return "TRegexEngine(comp): Nested *?+";
    case kBadHexDigit: return "TRegexEngine(comp): Bad Hex Digit";
    case kInvalidRange: return "TRegexEngine(comp): Invalid [] Range";
    case kClassTrailingBackslash: return "TRegexEngine(comp): Parse Atom Trailing \\";
    case kNoHexCode: return "TRegexEngine(comp): No Hex Code After \\x";
    case kHexCodeTooBig: return "TRegexEngine(comp): Hex Code After \\x Is Too Big";
    case kUnmatchedBracket: return "TRegexEngine(comp): Unmatched []";
    case kInternalUrp: return "TRegexEngine(comp): Internal Urp";
    case kQuantifierFollowsNothing: return "TRegexEngine(comp): ?+*{ Follows Nothing";
    case kTrailingBackslash: return "TRegexEngine(comp): Trailing \\";
    case kAtomInternalDisaster: return "TRegexEngine(comp): RarseAtom Internal Disaster";
    case kBracesTooBig: return "TRegexEngine(comp): BRACES Argument Too Big";
    case kBracesMinGreaterMax: return "TRegexEngine(comp): BRACE Min Param Greater then Max";
    case kUnclosedComment: return "TRegexEngine(comp): Unclosed (?#Comment)";
    case kBracesAfterComplex:
      return "TRegexEngine(comp): If you want take part in beta-testing BRACES '{min,max}' "
             "for complex cases - remove '.' from {.$DEFINE ComplexBraces}";
    case kUnknownModifier: return "TRegexEngine(comp): Urecognized Modifier";
    case kRepeatInappropriate: return "TRegexEngine(exec): RegRepeat Called Inappropriately";
    case kMemoryCorruption: return "TRegexEngine(exec): MatchPrim Memory Corruption";
    case kCorruptedPointers: return "TRegexEngine(exec): MatchPrim Corrupted Pointers";
    case kNoExpression: return "TRegexEngine(exec): Not Assigned Expression Property";
    case kCorruptedProgram: return "TRegexEngine(exec): Corrupted Program";
    case kNoInput: return "TRegexEngine(exec): No Inpit String Specified";
    case kOffsetBelowOne: return "TRegexEngine(exec): Offset Must Be Greater Then 0";
    case kNextWithoutSearch: return "TRegexEngine(exec): ExecNext Without Exec[Pos]";
    case kInputNotSet: return "TRegexEngine(exec): GetInputString Without InputString";
    case kCorruptedOpcode: return "TRegexEngine(dump): Corrupted Opcode";
    case kAfterCompileError: return "TRegexEngine(exec): Exec After Compilation Error";
    case kStackExceeded: return "TRegexEngine(exec): Loop Stack Exceeded";
    case kLoopWithoutEntry: return "TRegexEngine(exec): Loop Without LoopEntry !";
    case kInputTooLong: return "TRegexEngine(exec): Input String Too Long";
    case kBacktrackLimit: return "TRegexEngine(exec): Backtracking Limit Exceeded";
    default: return "Unknown error";
  }
}

std::string MessageOf(int code, long position) {
  std::string text = TextOf(code);
  if (code < 1000) text += " (pos " + std::to_string(position) + ")";
  return text;
}

}  // namespace

std::string ErrorText(int code) { return TextOf(code); }

ERegexEngine::ERegexEngine(int code, long position)
    : std::runtime_error(MessageOf(code, position)), code_(code), position_(position) {}

}  // namespace velkoran::regex
