// TJLex: turns the bytes of a script into tokens for the parser.
//
// One pass over a byte string in the system code page with one byte of look-ahead. It
// never reports an error: bytes it cannot use are dropped, and the parser turns the gap
// in the token stream into a syntax error. InsertText splices further source in at the
// current position (textual library inclusion).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "script/hash_table.h"

namespace kestrin {

// Token kinds. The codes are fixed: the trace text and the parser use them.
namespace tk {
inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kVar = 257;
inline constexpr std::int32_t kFunction = 258;
inline constexpr std::int32_t kIf = 260;
inline constexpr std::int32_t kElse = 261;
inline constexpr std::int32_t kWhile = 262;
inline constexpr std::int32_t kFor = 263;
inline constexpr std::int32_t kContinue = 264;
inline constexpr std::int32_t kBreak = 265;
inline constexpr std::int32_t kReturn = 266;
inline constexpr std::int32_t kWith = 267;
inline constexpr std::int32_t kThis = 268;
inline constexpr std::int32_t kNull = 269;
inline constexpr std::int32_t kTrue = 270;
inline constexpr std::int32_t kFalse = 271;
inline constexpr std::int32_t kNew = 272;
inline constexpr std::int32_t kDelete = 273;
inline constexpr std::int32_t kVoid = 274;
inline constexpr std::int32_t kTypeof = 275;
inline constexpr std::int32_t kTry = 276;
inline constexpr std::int32_t kCatch = 277;
inline constexpr std::int32_t kFinally = 278;
inline constexpr std::int32_t kThrow = 279;
inline constexpr std::int32_t kUndefined = 280;
inline constexpr std::int32_t kInfinity = 281;
inline constexpr std::int32_t kIn = 282;
inline constexpr std::int32_t kCase = 283;
inline constexpr std::int32_t kClass = 284;
inline constexpr std::int32_t kConst = 285;
inline constexpr std::int32_t kDebugger = 286;
inline constexpr std::int32_t kDo = 287;
inline constexpr std::int32_t kEnum = 288;
inline constexpr std::int32_t kExport = 289;
inline constexpr std::int32_t kExtends = 290;
inline constexpr std::int32_t kImport = 291;
inline constexpr std::int32_t kSuper = 292;
inline constexpr std::int32_t kSwitch = 293;
inline constexpr std::int32_t kString = 294;
inline constexpr std::int32_t kIdentifier = 295;
inline constexpr std::int32_t kInteger = 296;
inline constexpr std::int32_t kFloat = 297;
inline constexpr std::int32_t kLParen = 299;
inline constexpr std::int32_t kRParen = 300;
inline constexpr std::int32_t kLBrace = 301;
inline constexpr std::int32_t kRBrace = 302;
inline constexpr std::int32_t kLBracket = 303;
inline constexpr std::int32_t kRBracket = 304;
inline constexpr std::int32_t kSemicolon = 305;
inline constexpr std::int32_t kComma = 306;
inline constexpr std::int32_t kAdditive = 308;        // "+" "-"
inline constexpr std::int32_t kShift = 309;           // "<<" ">>" ">>>" (sub-code "3")
inline constexpr std::int32_t kMultiplicative = 310;  // "*" "/" "%" and div (sub-code "d")
inline constexpr std::int32_t kRelational = 311;      // "<" ">" "<=" ("(") ">=" (")")
inline constexpr std::int32_t kEquality = 312;        // "==" ("=") "!=" ("!") "===" ("3") "!==" ("2")
inline constexpr std::int32_t kCompoundAssign = 313;  // "+=" ... sub-code is the operator byte
inline constexpr std::int32_t kIncDec = 314;          // "++" "--"
inline constexpr std::int32_t kUnaryOp = 315;         // "!" "~"
inline constexpr std::int32_t kAssign = 316;
inline constexpr std::int32_t kQuestion = 317;
inline constexpr std::int32_t kColon = 318;
inline constexpr std::int32_t kOrOr = 319;
inline constexpr std::int32_t kAndAnd = 320;
inline constexpr std::int32_t kBitOr = 321;
inline constexpr std::int32_t kBitXor = 322;
inline constexpr std::int32_t kBitAnd = 323;
inline constexpr std::int32_t kDot = 324;
inline constexpr std::int32_t kDiv = 501;  // the keyword "div"; delivered as kMultiplicative "d"
inline constexpr std::int32_t kNaN = 502;
}  // namespace tk

class TJLex {
 public:
  // The trace hook receives one text per delivered token: code "( " text " )".
  using DebugHook = std::function<void(std::string_view)>;

  // Multi-byte characters outside strings and comments are skipped whole in `cp`.
  TJLex();
  explicit TJLex(velkoran::platform::CodePage cp);
  TJLex(const TJLex&) = delete;
  TJLex& operator=(const TJLex&) = delete;

  void Reset();
  void SetSource(std::string text);
  // Scans the next token; false at the end of the input (then Token() is 0 and AtEnd()).
  bool Next();
  // Splices text into the source before the next byte to read.
  void InsertText(std::string_view text);

  std::int32_t Token() const noexcept { return token_; }
  // The one-character sub-code of an operator token.
  char SubCode() const noexcept { return sub_; }
  std::int32_t IntValue() const noexcept { return intValue_; }
  double NumValue() const noexcept { return numValue_; }
  // The token's bytes; the decoded contents of a string literal.
  const std::string& TokenText() const noexcept { return tokenText_; }
  std::int32_t LineNo() const noexcept { return lineNo_; }
  bool AtEnd() const noexcept { return atEnd_; }
  // 1-based index of the next byte to read.
  std::size_t Position() const noexcept { return pos_ + 1; }
  std::size_t SourceLength() const noexcept { return source_.size(); }
  const std::string& Source() const noexcept { return source_; }
  velkoran::platform::CodePage TextCodePage() const noexcept { return cp_; }

  // The keyword code of a word, or 0; "div" gives tk::kDiv.
  std::int32_t KeywordCode(std::string_view word) const;

  DebugHook OnLexDebug;

 private:
  int PeekAt(std::size_t ahead) const noexcept {
    const std::size_t i = pos_ + ahead;
    return i < source_.size() ? static_cast<unsigned char>(source_[i]) : -1;
  }
  // Consumes `count` bytes, counting every line feed among them once.
  void Consume(std::size_t count);

  std::int32_t ScanString();
  std::int32_t ScanNumber();
  std::int32_t ScanWord(std::int32_t previous);
  std::int32_t ScanSymbol(std::int32_t previous);
  std::int32_t Operator(std::int32_t kind, char sub, std::size_t length);

  TIntegerHashTable keywords_;  // keyword spelling -> token code, case-sensitive
  velkoran::platform::CodePage cp_;
  std::int32_t token_ = 0;
  std::string source_;
  std::int32_t lineNo_ = 1;
  std::size_t pos_ = 0;  // 0-based index of the next byte to read
  bool atEnd_ = true;
  std::int32_t intValue_ = 0;
  double numValue_ = 0;
  char sub_ = 0;
  std::string tokenText_;
};

}  // namespace kestrin
