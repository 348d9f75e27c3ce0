#include "script/lexer.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "script/value.h"

namespace kestrin {

namespace {

using velkoran::platform::CodePage;

struct KeywordRow {
  const char* word;
  std::int32_t code;
};

constexpr KeywordRow kKeywordRows[] = {
    {"var", tk::kVar},         {"function", tk::kFunction}, {"if", tk::kIf},
    {"else", tk::kElse},       {"while", tk::kWhile},       {"for", tk::kFor},
    {"continue", tk::kContinue}, {"break", tk::kBreak},     {"return", tk::kReturn},
    {"with", tk::kWith},       {"this", tk::kThis},         {"null", tk::kNull},
    {"true", tk::kTrue},       {"false", tk::kFalse},       {"new", tk::kNew},
    {"delete", tk::kDelete},   {"void", tk::kVoid},         {"typeof", tk::kTypeof},
    {"try", tk::kTry},         {"catch", tk::kCatch},       {"finally", tk::kFinally},
    {"throw", tk::kThrow},     {"undefined", tk::kUndefined}, {"infinity", tk::kInfinity},
    {"in", tk::kIn},           {"case", tk::kCase},         {"class", tk::kClass},
    {"const", tk::kConst},     {"debugger", tk::kDebugger}, {"do", tk::kDo},
    {"enum", tk::kEnum},       {"export", tk::kExport},     {"extends", tk::kExtends},
    {"import", tk::kImport},   {"super", tk::kSuper},       {"switch", tk::kSwitch},
    {"div", tk::kDiv},         {"NaN", tk::kNaN},
};

constexpr std::size_t kKeywordBuckets = 100;

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsWordByte(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_';
}

}  // namespace

TJLex::TJLex(CodePage cp) : keywords_(kKeywordBuckets, false), cp_(cp) {
  for (const KeywordRow& row : kKeywordRows) keywords_.AddInteger(row.word, row.code);
}

std::int32_t TJLex::KeywordCode(std::string_view word) const {
  return static_cast<std::int32_t>(keywords_.GetInteger(word));
}

TJLex::TJLex() : TJLex(velkoran::platform::ActiveCodePage()) {}

void TJLex::Reset() {
  lineNo_ = 1;
  pos_ = 0;
  token_ = 0;
  atEnd_ = true;
  source_.clear();
  tokenText_.clear();
  intValue_ = 0;
  numValue_ = 0;
  sub_ = 0;
}

void TJLex::SetSource(std::string text) {
  Reset();
  source_ = std::move(text);
  atEnd_ = source_.empty();
}

void TJLex::InsertText(std::string_view text) {
  if (text.empty()) return;
  source_.insert(pos_, text);
  atEnd_ = false;
}

void TJLex::Consume(std::size_t count) {
  const char* begin = source_.data() + pos_;
  lineNo_ += static_cast<std::int32_t>(std::count(begin, begin + count, '\n'));
  pos_ += count;
}

bool TJLex::Next() {
  // The "." rules look at the token delivered last; blanks and comments in between do
  // not change it.
  const std::int32_t previous = token_;
  std::int32_t kind = 0;
  tokenText_.clear();
  sub_ = 0;
  while (kind == 0 && pos_ < source_.size()) {
    const int c = static_cast<unsigned char>(source_[pos_]);
    if (c <= 32 || c >= 127) {
      // A multi-byte character is skipped whole, so a trail byte that looks like ASCII
      // never turns into a token of its own.
      std::size_t step = c >= 128 ? velkoran::platform::CharStep(source_, pos_, cp_) : 1;
      Consume(step);
      continue;
    }
    tokenText_.clear();
    if (c == '"' || c == '\'') {
      kind = ScanString();
    } else if (IsDigit(c)) {
      kind = ScanNumber();
    } else if (IsWordByte(c)) {
      kind = ScanWord(previous);
    } else {
      kind = ScanSymbol(previous);
    }
  }
  token_ = kind;
  atEnd_ = kind == 0;
  if (kind != 0 && OnLexDebug) {
    OnLexDebug(std::to_string(kind) + "( " + tokenText_ + " )");
  }
  return kind != 0;
}

std::int32_t TJLex::ScanString() {
  const char quote = source_[pos_];
  Consume(1);
  const bool escapes = quote == '"';
  while (pos_ < source_.size()) {
    // Copy the run of plain bytes in one step.
    std::size_t end = pos_;
    while (end < source_.size() && source_[end] != quote && !(escapes && source_[end] == '\\')) {
      ++end;
    }
    tokenText_.append(source_, pos_, end - pos_);
    Consume(end - pos_);
    if (pos_ >= source_.size()) break;
    if (source_[pos_] == quote) {
      Consume(1);
      return tk::kString;
    }
    // A backslash in a double-quoted string, byte-wise: the trail byte 0x5C of a
    // two-byte character starts an escape too, as scripts for this language expect.
    if (pos_ + 1 >= source_.size()) {
      Consume(1);
      break;
    }
    const char escaped = source_[pos_ + 1];
    Consume(2);
    switch (escaped) {
      case '\\': tokenText_ += '\\'; break;
      case 'b': tokenText_ += '\b'; break;
      case 'f': tokenText_ += '\f'; break;
      case 'n': tokenText_ += "\r\n"; break;
      case 'r': tokenText_ += '\r'; break;
      case 't': tokenText_ += '\t'; break;
      case '"': tokenText_ += '"'; break;
      default: break;  // an unknown escape drops both bytes
    }
  }
  // Unterminated: the rest of the input is gone and no token is delivered.
  return 0;
}

std::int32_t TJLex::ScanNumber() {
  const std::size_t start = pos_;
  bool floating = false;
  for (;;) {
    const int c = PeekAt(0);
    if (IsDigit(c) || c == 'x') {
      Consume(1);
    } else if (c == '.' && IsDigit(PeekAt(1))) {
      floating = true;
      Consume(2);
    } else if ((c == 'e' || c == 'E') &&
               (PeekAt(1) == '+' || PeekAt(1) == '-' || IsDigit(PeekAt(1)))) {
      floating = true;
      Consume(2);
    } else {
      break;
    }
  }
  tokenText_.assign(source_, start, pos_ - start);
  if (floating) {
    const std::optional<double> d = ParseDecimal(tokenText_);
    if (!d) return 0;
    numValue_ = *d;
    return tk::kFloat;
  }
  const std::optional<std::int32_t> i = ParseInteger(tokenText_);
  if (!i) return 0;
  intValue_ = *i;
  return tk::kInteger;
}

std::int32_t TJLex::ScanWord(std::int32_t previous) {
  const std::size_t start = pos_;
  std::size_t end = pos_;
  while (end < source_.size() && IsWordByte(static_cast<unsigned char>(source_[end]))) ++end;
  pos_ = end;  // a word holds no line feed
  tokenText_.assign(source_, start, end - start);
  if (previous == tk::kDot) return tk::kIdentifier;  // obj.delete, x.class, a.div
  const std::int32_t code = KeywordCode(tokenText_);
  if (code == 0) return tk::kIdentifier;
  if (code == tk::kDiv) {
    sub_ = 'd';
    return tk::kMultiplicative;
  }
  return code;
}

std::int32_t TJLex::Operator(std::int32_t kind, char sub, std::size_t length) {
  tokenText_.assign(source_, pos_, length);
  Consume(length);
  sub_ = sub;
  return kind;
}

std::int32_t TJLex::ScanSymbol(std::int32_t previous) {
  const char c = source_[pos_];
  const int n1 = PeekAt(1);
  const int n2 = PeekAt(2);
  const int n3 = PeekAt(3);
  switch (c) {
    case '!':
      if (n1 == '=' && n2 == '=') return Operator(tk::kEquality, '2', 3);
      if (n1 == '=') return Operator(tk::kEquality, '!', 2);
      return Operator(tk::kUnaryOp, '!', 1);
    case '%':
    case '*':
      if (n1 == '=') return Operator(tk::kCompoundAssign, c, 2);
      return Operator(tk::kMultiplicative, c, 1);
    case '/':
      if (n1 == '/') {
        const std::size_t lf = source_.find('\n', pos_ + 2);
        Consume(lf == std::string::npos ? source_.size() - pos_ : lf + 1 - pos_);
        return 0;
      }
      if (n1 == '*') {
        const std::size_t close = source_.find("*/", pos_ + 2);
        Consume(close == std::string::npos ? source_.size() - pos_ : close + 2 - pos_);
        return 0;
      }
      if (n1 == '=') return Operator(tk::kCompoundAssign, '/', 2);
      return Operator(tk::kMultiplicative, '/', 1);
    case '+':
    case '-':
      if (n1 == c) return Operator(tk::kIncDec, c, 2);
      if (n1 == '=') return Operator(tk::kCompoundAssign, c, 2);
      return Operator(tk::kAdditive, c, 1);
    case '&':
      if (n1 == '&') return Operator(tk::kAndAnd, 0, 2);
      if (n1 == '=') return Operator(tk::kCompoundAssign, '&', 2);
      return Operator(tk::kBitAnd, 0, 1);
    case '|':
      if (n1 == '|') return Operator(tk::kOrOr, 0, 2);
      if (n1 == '=') return Operator(tk::kCompoundAssign, '|', 2);
      return Operator(tk::kBitOr, 0, 1);
    case '^':
      if (n1 == '=') return Operator(tk::kCompoundAssign, '^', 2);
      return Operator(tk::kBitXor, 0, 1);
    case '<':
      if (n1 == '=') return Operator(tk::kRelational, '(', 2);
      if (n1 == '<' && n2 == '=') return Operator(tk::kCompoundAssign, '<', 3);
      if (n1 == '<') return Operator(tk::kShift, '<', 2);
      return Operator(tk::kRelational, '<', 1);
    case '>':
      if (n1 == '=') return Operator(tk::kRelational, ')', 2);
      if (n1 == '>' && n2 == '>' && n3 == '=') return Operator(tk::kCompoundAssign, '3', 4);
      if (n1 == '>' && n2 == '>') return Operator(tk::kShift, '3', 3);
      if (n1 == '>' && n2 == '=') return Operator(tk::kCompoundAssign, '>', 3);
      if (n1 == '>') return Operator(tk::kShift, '>', 2);
      return Operator(tk::kRelational, '>', 1);
    case '=':
      if (n1 == '=' && n2 == '=') return Operator(tk::kEquality, '3', 3);
      if (n1 == '=') return Operator(tk::kEquality, '=', 2);
      return Operator(tk::kAssign, 0, 1);
    case '~': return Operator(tk::kUnaryOp, '~', 1);
    case '(': return Operator(tk::kLParen, 0, 1);
    case ')': return Operator(tk::kRParen, 0, 1);
    case '{': return Operator(tk::kLBrace, 0, 1);
    case '}': return Operator(tk::kRBrace, 0, 1);
    case '[': return Operator(tk::kLBracket, 0, 1);
    case ']': return Operator(tk::kRBracket, 0, 1);
    case ';': return Operator(tk::kSemicolon, 0, 1);
    case ',': return Operator(tk::kComma, 0, 1);
    case '?': return Operator(tk::kQuestion, 0, 1);
    case ':': return Operator(tk::kColon, 0, 1);
    case '.': return Operator(tk::kDot, 0, 1);
    case '$':
      // The match registers RegExp.$1 ... RegExp.$9.
      if (previous == tk::kDot && n1 >= '1' && n1 <= '9') {
        return Operator(tk::kIdentifier, 0, 2);
      }
      Consume(1);
      return 0;
    default:
      Consume(1);  // a byte the language has no use for
      return 0;
  }
}

}  // namespace kestrin
