#include "script/parser.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "platform/fileio.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "script/signals.h"

namespace kestrin {

namespace {

// Binary levels from the loosest (logical or) to the tightest (multiplicative); each maps
// the current token to its node code, or 0 when the token does not belong to the level.
constexpr int kBinaryLevels = 10;

std::uint8_t BinaryCode(int level, std::int32_t token, char sub) {
  switch (level) {
    case 0: return token == tk::kOrOr ? ecOr : 0;
    case 1: return token == tk::kAndAnd ? ecAnd : 0;
    case 2: return token == tk::kBitOr ? ecBitOr : 0;
    case 3: return token == tk::kBitXor ? ecBitXor : 0;
    case 4: return token == tk::kBitAnd ? ecBitAnd : 0;
    case 5:
      if (token != tk::kEquality) return 0;
      switch (sub) {
        case '=': return ecEqual;
        case '!': return ecNotEqual;
        case '3': return ecStrictEqual;
        case '2': return ecStrictNotEqual;
        default: return 0;
      }
    case 6:
      if (token != tk::kRelational) return 0;
      switch (sub) {
        case '<': return ecLess;
        case '>': return ecGreater;
        case '(': return ecLessEqual;
        case ')': return ecGreaterEqual;
        default: return 0;
      }
    case 7:
      if (token != tk::kShift) return 0;
      switch (sub) {
        case '<': return ecShl;
        case '>': return ecShr;
        case '3': return ecUShr;
        default: return 0;
      }
    case 8:
      if (token != tk::kAdditive) return 0;
      return sub == '+' ? ecAdd : (sub == '-' ? ecSubtract : 0);
    case 9:
      if (token != tk::kMultiplicative) return 0;
      switch (sub) {
        case '*': return ecMultiply;
        case '/': return ecDivide;
        case '%': return ecRemainder;
        case 'd': return ecIntDivide;
        default: return 0;
      }
    default:
      return 0;
  }
}

std::uint8_t CompoundAssignCode(char sub) {
  switch (sub) {
    case '*': return ecMulAssign;
    case '/': return ecDivAssign;
    case '+': return ecAddAssign;
    case '-': return ecSubAssign;
    case '%': return ecModAssign;
    case '<': return ecShlAssign;
    case '>': return ecShrAssign;
    case '3': return ecUShrAssign;
    case '&': return ecAndAssign;
    case '^': return ecXorAssign;
    case '|': return ecOrAssign;
    default: return ecAssign;
  }
}

// A statement chain built front to back.
struct ChainBuilder {
  TJStatement* first = nullptr;
  TJStatement* last = nullptr;
  void Append(TJStatement* s) {
    TJStatementFactory::Link(last, s);
    if (first == nullptr) first = s;
    last = s;
  }
};

std::string FileIdentity(const std::string& path) {
  std::error_code ec;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : canonical.string();
}

}  // namespace

// Counts one level of nesting for as long as a rule runs.
class TJParser::DepthGuard {
 public:
  explicit DepthGuard(TJParser& parser) : parser_(parser) {
    if (++parser_.depth_ > kMaxNesting) {
      --parser_.depth_;
      parser_.SyntaxError();
    }
  }
  ~DepthGuard() { --parser_.depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  TJParser& parser_;
};

TJParser::TJParser() : TJParser(velkoran::platform::ActiveCodePage()) {}

TJParser::TJParser(velkoran::platform::CodePage cp)
    : LibraryPath{std::string(), velkoran::platform::ProgramDir()}, stmts_(exprs_), lexer_(cp) {}

TJParser::~TJParser() = default;

void TJParser::SetSource(std::string text) { lexer_.SetSource(std::move(text)); }

bool TJParser::Parse(std::string text) {
  SetSource(std::move(text));
  return Parse();
}

bool TJParser::Parse() {
  root_ = nullptr;
  depth_ = 0;
  assignable_ = false;
  splices_.clear();
  foldPlace_.clear();
  try {
    Advance();
    if (Current() == 0) return false;
    root_ = ParseProgram();
  } catch (const EJThrow&) {
    // A library's parser has placed its own fold error already.
    if (foldPlace_.empty()) foldPlace_ = LinePrefix();
    throw;
  }
  return root_ != nullptr;
}

void TJParser::Clear() {
  lexer_.Reset();
  exprs_.Clear();
  stmts_.Clear();
  subParsers_.clear();
  splices_.clear();
  root_ = nullptr;
}

// ---- tokens ----

TJParser::Place TJParser::Here() const {
  const std::string& source = lexer_.Source();
  // The current token's last byte; at the end, the end of the text.
  const std::size_t pos = lexer_.Position() - 1;
  const std::size_t offset = lexer_.AtEnd() || pos == 0 ? source.size() : pos - 1;
  const Splice* inner = nullptr;
  for (const Splice& s : splices_) {
    if (s.begin <= offset && offset < s.end) inner = &s;  // later ones lie inside earlier ones
  }
  // Line ends of this file only: the regions spliced into it are passed over whole.
  std::size_t from = inner != nullptr ? inner->begin : 0;
  std::int32_t line = 1;
  const auto countLines = [&](std::size_t to) {
    line += static_cast<std::int32_t>(std::count(source.begin() + static_cast<std::ptrdiff_t>(from),
                                                 source.begin() + static_cast<std::ptrdiff_t>(to), '\n'));
  };
  for (const Splice& s : splices_) {
    if (&s == inner || s.begin < from || s.end > offset) continue;
    countLines(s.begin);
    from = s.end;
  }
  countLines(offset);

  Place place;
  const std::string& name = inner != nullptr ? inner->path : Origin.Name;
  if (inner == nullptr && Origin.HeadLines > 0) {
    if (line <= Origin.HeadLines) {
      if (!Origin.HeadLabel.empty()) place.prefix = Origin.HeadLabel + ": ";
    } else {
      line -= Origin.HeadLines;
    }
  }
  if (!name.empty()) place.prefix.insert(0, name + ": ");
  place.line = line;
  return place;
}

std::string TJParser::LinePrefix() const {
  const Place place = Here();
  if (place.prefix.empty()) return {};
  return place.prefix + "Line( " + std::to_string(place.line) + " ): ";
}

void TJParser::SyntaxError() const {
  const Place place = Here();
  throw EJSyntaxError(place.prefix + "SyntaxError: Line( " + std::to_string(place.line) + " ) Text( " +
                      lexer_.TokenText() + " )");
}

void TJParser::ImportError(std::string_view message) const {
  throw EJSyntaxError(LinePrefix() + std::string(message));
}

void TJParser::Expect(std::int32_t token) {
  if (!At(token)) SyntaxError();
  Advance();
}

TJExpr* TJParser::ExpectIdentifier() {
  if (!At(tk::kIdentifier)) SyntaxError();
  TJExpr* ident = exprs_.NewIdentifier(lexer_.TokenText());
  Advance();
  return ident;
}

// ---- program and declarations ----

// program -> source-element*   (the first token that starts none ends the program)
TJStatement* TJParser::ParseProgram() {
  ChainBuilder program;
  // A token that starts no source element (or a declaration that yields nothing) ends the
  // program; the rest of the text is ignored.
  while (Current() != 0) {
    TJStatement* s = ParseSourceElement();
    if (s == nullptr) break;
    program.Append(s);
  }
  return program.first;
}

// source-element -> var-statement | function | class | import | statement
TJStatement* TJParser::ParseSourceElement() {
  switch (Current()) {
    case tk::kVar: return ParseVarStatement();
    case tk::kFunction: return ParseFunction();
    case tk::kClass: return ParseClass();
    case tk::kImport: return ParseImport();
    default: return ParseStatement();
  }
}

// var-statement -> "var" declarator ("," declarator)* ";"
TJStatement* TJParser::ParseVarStatement() {
  Advance();
  TJStatement* first = ParseDeclarator(nullptr);
  TJStatement* last = first;
  while (At(tk::kComma)) {
    Advance();
    last = ParseDeclarator(last);
  }
  Expect(tk::kSemicolon);
  return stmts_.NewVar(first);
}

// declarator -> identifier ["=" assignment]
TJStatement* TJParser::ParseDeclarator(TJStatement* previous) {
  TJExpr* ident = ExpectIdentifier();
  if (At(tk::kAssign)) {
    Advance();
    ident->Operand1 = RequireAssignment();
  }
  return stmts_.NewDeclarator(previous, ident);
}

// function -> "function" identifier "(" [identifier ("," identifier)*] ")" block
TJStatement* TJParser::ParseFunction() {
  Advance();
  TJExpr* name = ExpectIdentifier();
  Expect(tk::kLParen);
  TJStatement* parameters = nullptr;
  if (At(tk::kIdentifier)) {
    parameters = stmts_.NewParameter(nullptr, ExpectIdentifier());
    while (At(tk::kComma)) {
      Advance();
      parameters = stmts_.NewParameter(parameters, ExpectIdentifier());
    }
  } else {
    parameters = stmts_.NewParameter(nullptr, nullptr);  // no parameter: one empty node
  }
  Expect(tk::kRParen);
  if (!At(tk::kLBrace)) SyntaxError();
  TJStatement* body = ParseBlock();
  return stmts_.NewFunction(name, parameters, body);
}

// class -> "class" identifier ["(" [identifier] ")" | "extends" identifier] "{" class-member* "}"
// class-member -> function | declarator ";"
TJStatement* TJParser::ParseClass() {
  Advance();
  TJExpr* name = ExpectIdentifier();
  if (At(tk::kLParen)) {
    Advance();
    if (At(tk::kIdentifier)) name->Operand1 = ExpectIdentifier();
    Expect(tk::kRParen);
  } else if (At(tk::kExtends)) {
    Advance();
    name->Operand1 = ExpectIdentifier();
  } else if (!At(tk::kLBrace)) {
    SyntaxError();
  }
  // After a base clause a missing "{" makes the declaration yield nothing, which ends the
  // program without an error.
  if (!At(tk::kLBrace)) return nullptr;
  Advance();
  ChainBuilder members;
  for (;;) {
    if (At(tk::kFunction)) {
      members.Append(ParseFunction());
    } else if (At(tk::kIdentifier)) {
      members.Append(ParseDeclarator(nullptr));
      Expect(tk::kSemicolon);
    } else {
      break;
    }
  }
  Expect(tk::kRBrace);
  return stmts_.NewClass(name, members.first);
}

// ---- import ----

std::string TJParser::FindLibrary(const std::string& fileName) const {
  const velkoran::platform::PathRules& paths = velkoran::platform::HostPaths();
  for (const std::string& entry : LibraryPath) {
    const std::string candidate =
        entry.empty() ? fileName : paths.AddTrailingSeparator(entry) + fileName;
    // A directory of that name is no library file; the search goes on.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(candidate, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status)) return candidate;
  }
  ImportError("file not found: " + fileName);
}

std::string TJParser::ReadLibrary(const std::string& path, const std::string& fileName) const {
  // Only a regular file: a pipe on the library path must not hang the compile.
  std::optional<std::string> text = velkoran::platform::ReadRegularFile(path);
  if (!text) ImportError("can not open: " + fileName);
  return std::move(*text);
}

// A library that (directly or through others) imports itself would be parsed forever.
void TJParser::CheckCycle(const std::string& identity, const std::string& fileName) const {
  // The current token (";") has been read; a splice whose text still holds it is active.
  const std::size_t at = lexer_.Position() - 1;
  bool cycle = false;
  for (const std::string& open : importChain_) cycle = cycle || open == identity;
  for (const Splice& splice : splices_) cycle = cycle || (splice.end >= at && splice.identity == identity);
  if (cycle) ImportError("circular import: " + fileName);
}

// import -> "import" identifier ";" | "import" identifier "." "*" ";"
TJStatement* TJParser::ParseImport() {
  Advance();
  TJExpr* name = ExpectIdentifier();
  const std::string fileName = name->Name + ".js";
  const std::string path = FindLibrary(fileName);
  std::string text = ReadLibrary(path, fileName);
  const std::string identity = FileIdentity(path);

  if (At(tk::kSemicolon)) {
    CheckCycle(identity, fileName);
    const std::size_t at = lexer_.Position() - 1;
    Advance();
    auto sub = std::make_unique<TJParser>(lexer_.TextCodePage());
    sub->LibraryPath = LibraryPath;
    sub->Origin.Name = path;
    sub->importChain_ = importChain_;
    for (const Splice& splice : splices_) {
      if (splice.end >= at) sub->importChain_.push_back(splice.identity);
    }
    sub->importChain_.push_back(identity);
    sub->Lexer().OnLexDebug = lexer_.OnLexDebug;
    TJParser& parser = *sub;
    subParsers_.push_back(std::move(sub));
    try {
      parser.Parse(std::move(text));
    } catch (const EJThrow&) {
      foldPlace_ = parser.foldPlace_;
      throw;
    }
    return stmts_.NewImport(name, parser.Root());
  }
  if (!At(tk::kDot)) SyntaxError();
  Advance();
  if (!AtOperator(tk::kMultiplicative, '*')) SyntaxError();
  Advance();
  if (!At(tk::kSemicolon)) return nullptr;  // anything but ";" after "*": the import yields nothing
  CheckCycle(identity, fileName);
  TJStatement* placeholder = stmts_.NewEmpty();
  const std::size_t at = lexer_.Position() - 1;
  if (!text.empty()) {
    // The text goes in inside every splice that is still being read.
    for (Splice& splice : splices_) {
      if (splice.end >= at) splice.end += text.size();
    }
    splices_.push_back({at, at + text.size(), identity, path});
    lexer_.InsertText(text);
  }
  Advance();
  return placeholder;
}

// ---- statements ----

// A statement that must be there (a syntax error where none starts).
TJStatement* TJParser::RequireStatement() { return Required(ParseStatement()); }

// statement -> block | ";" | if | while | for | do | "break" ";" | "continue" ";"
//            | "return" [comma] ";" | "try" statement | catch | "finally" statement
//            | "throw" [comma] ";" | with | comma ";"
TJStatement* TJParser::ParseStatement() {
  DepthGuard guard(*this);
  switch (Current()) {
    case tk::kLBrace: return ParseBlock();
    case tk::kSemicolon: Advance(); return stmts_.NewEmpty();
    case tk::kIf: return ParseIf();
    case tk::kWhile: return ParseWhile();
    case tk::kFor: return ParseFor();
    case tk::kDo: return ParseDo();
    case tk::kContinue:
    case tk::kBreak: {
      const bool isBreak = At(tk::kBreak);
      Advance();
      if (!At(tk::kSemicolon)) SyntaxError();  // the ";" stays: it reads as an empty statement
      return isBreak ? stmts_.NewBreak() : stmts_.NewContinue();
    }
    case tk::kReturn: {
      Advance();
      TJExpr* value = ParseComma();
      Expect(tk::kSemicolon);
      return stmts_.NewReturn(value);
    }
    case tk::kThrow: {
      Advance();
      TJExpr* value = ParseComma();
      Expect(tk::kSemicolon);
      return stmts_.NewThrow(value);
    }
    case tk::kTry: Advance(); return stmts_.NewTry(RequireStatement());
    case tk::kCatch: return ParseCatch();
    case tk::kFinally: Advance(); return stmts_.NewFinally(RequireStatement());
    case tk::kWith: return ParseWith();
    default: {
      TJExpr* expr = ParseComma();
      if (expr == nullptr) return nullptr;
      Expect(tk::kSemicolon);
      return stmts_.NewExpression(expr);
    }
  }
}

// block -> "{" statement* "}"
TJStatement* TJParser::ParseBlock() {
  Advance();
  ChainBuilder contents;
  while (TJStatement* s = ParseStatement()) contents.Append(s);
  Expect(tk::kRBrace);
  return stmts_.NewBlock(contents.first);
}

// parenthesised -> "(" comma ")"
TJExpr* TJParser::ParseParenthesised() {
  Expect(tk::kLParen);
  TJExpr* e = RequireComma();
  Expect(tk::kRParen);
  return e;
}

// if -> "if" parenthesised statement ["else" statement]
TJStatement* TJParser::ParseIf() {
  Advance();
  TJExpr* condition = ParseParenthesised();
  TJStatement* thenPart = RequireStatement();
  TJStatement* elsePart = nullptr;
  if (At(tk::kElse)) {
    Advance();
    elsePart = RequireStatement();
  }
  return stmts_.NewIf(condition, thenPart, elsePart);
}

// while -> "while" parenthesised statement
TJStatement* TJParser::ParseWhile() {
  Advance();
  TJExpr* condition = ParseParenthesised();
  return stmts_.NewWhile(condition, RequireStatement());
}

// for -> "for" "(" [comma] ";" [comma] ";" [comma] ")" statement
//      | "for" "(" comma "in" postfix ")" statement
TJStatement* TJParser::ParseFor() {
  Advance();
  Expect(tk::kLParen);
  TJExpr* init = At(tk::kSemicolon) ? nullptr : RequireComma();
  if (init != nullptr && At(tk::kIn)) {
    Advance();
    TJExpr* object = Required(ParsePostfix());
    Expect(tk::kRParen);
    return stmts_.NewForIn(init, object, RequireStatement());
  }
  Expect(tk::kSemicolon);
  TJExpr* condition = ParseComma();
  Expect(tk::kSemicolon);
  TJExpr* update = ParseComma();
  Expect(tk::kRParen);
  return stmts_.NewFor(init, condition, update, RequireStatement());
}

// do -> "do" statement "while" parenthesised ";"   (the ";" stays, an empty statement)
TJStatement* TJParser::ParseDo() {
  Advance();
  TJStatement* body = RequireStatement();
  Expect(tk::kWhile);
  TJExpr* condition = ParseParenthesised();
  if (!At(tk::kSemicolon)) SyntaxError();  // required, and left to read as an empty statement
  return stmts_.NewDoWhile(body, condition);
}

// catch -> "catch" ["(" identifier ")"] statement
TJStatement* TJParser::ParseCatch() {
  Advance();
  TJExpr* variable = nullptr;
  if (At(tk::kLParen)) {
    Advance();
    variable = ExpectIdentifier();
    Expect(tk::kRParen);
  }
  return stmts_.NewCatch(variable, RequireStatement());
}

// with -> "with" parenthesised statement
TJStatement* TJParser::ParseWith() {
  Advance();
  TJExpr* object = ParseParenthesised();
  return stmts_.NewWith(object, RequireStatement());
}

// ---- expressions ----

// Any rule inside brackets: an assignment target found in there does not count outside.
TJExpr* TJParser::ParseNested(TJExpr* (TJParser::*rule)()) {
  const bool saved = assignable_;
  TJExpr* e = (this->*rule)();
  assignable_ = saved;
  return e;
}

// comma -> assignment ("," assignment)*
TJExpr* TJParser::ParseComma() {
  TJExpr* left = ParseAssignment();
  if (left == nullptr) return nullptr;
  while (At(tk::kComma)) {
    Advance();
    left = exprs_.NewBinary(ecComma, left, RequireAssignment());
  }
  return left;
}

// A comma expression that must be there.
TJExpr* TJParser::RequireComma() { return Required(ParseComma()); }

// assignment -> conditional [("=" | compound-assignment) assignment]   (only after a target)
TJExpr* TJParser::ParseAssignment() {
  DepthGuard guard(*this);
  // Whether this assignment's own left operand holds a target decides; the finding is
  // passed on outwards, as the operand is part of any enclosing left operand too.
  const bool outer = assignable_;
  assignable_ = false;
  TJExpr* left = ParseConditional();
  const bool target = assignable_;
  if (left != nullptr && target && (At(tk::kAssign) || At(tk::kCompoundAssign))) {
    const std::uint8_t code = At(tk::kAssign) ? static_cast<std::uint8_t>(ecAssign) : CompoundAssignCode(lexer_.SubCode());
    Advance();
    left = exprs_.NewBinary(code, left, RequireAssignment());
  }
  assignable_ = outer || target;
  return left;
}

// An assignment expression that must be there.
TJExpr* TJParser::RequireAssignment() { return Required(ParseAssignment()); }

// conditional -> logical-or ["?" comma ":" conditional]
TJExpr* TJParser::ParseConditional() {
  DepthGuard guard(*this);
  TJExpr* condition = ParseBinaryLevel(0);
  if (condition == nullptr || !At(tk::kQuestion)) return condition;
  Advance();
  TJExpr* thenPart = RequireComma();
  Expect(tk::kColon);
  TJExpr* elsePart = Required(ParseConditional());
  return exprs_.NewTernary(ecConditional, condition, thenPart, elsePart);
}

// binary(level) -> binary(level + 1) (operator-of-level binary(level + 1))*
// levels, loosest first: "||", "&&", "|", "^", "&", equality, relational, shift,
// additive, multiplicative; past the last: unary
TJExpr* TJParser::ParseBinaryLevel(int level) {
  if (level == kBinaryLevels) return ParseUnary();
  TJExpr* left = ParseBinaryLevel(level + 1);
  if (left == nullptr) return nullptr;
  for (;;) {
    const std::uint8_t code = BinaryCode(level, Current(), lexer_.SubCode());
    if (code == 0) return left;
    Advance();
    TJExpr* right = Required(ParseBinaryLevel(level + 1));
    left = exprs_.NewBinary(code, left, right);
  }
}

// unary -> ("++" | "--" | "+" | "-" | "!" | "~") unary | postfix
TJExpr* TJParser::ParseUnary() {
  std::uint8_t code = 0;
  if (At(tk::kIncDec)) {
    code = lexer_.SubCode() == '+' ? ecPreIncrement : ecPreDecrement;
  } else if (At(tk::kAdditive)) {
    code = lexer_.SubCode() == '+' ? ecPlus : ecMinus;
  } else if (At(tk::kUnaryOp)) {
    code = lexer_.SubCode() == '!' ? ecNot : ecBitNot;
  } else {
    return ParsePostfix();
  }
  DepthGuard guard(*this);
  Advance();
  TJExpr* operand = Required(ParseUnary());
  return exprs_.NewUnary(code, operand);
}

// postfix -> primary ("[" comma "]" | "(" [arguments] ")" | "." identifier | "++" | "--")*
TJExpr* TJParser::ParsePostfix() {
  TJExpr* e = ParsePrimary();
  if (e == nullptr) return nullptr;
  for (;;) {
    if (At(tk::kLBracket)) {
      Advance();
      TJExpr* key = ParseNested(&TJParser::RequireComma);
      Expect(tk::kRBracket);
      e = exprs_.NewBinary(ecIndex, e, key);
      assignable_ = true;
    } else if (At(tk::kLParen)) {
      Advance();
      TJExpr* arguments = ParseArgumentsUntil(tk::kRParen);
      Expect(tk::kRParen);
      e = exprs_.NewBinary(ecCall, e, arguments);
    } else if (At(tk::kDot)) {
      Advance();
      e = exprs_.NewBinary(ecMember, e, ExpectIdentifier());
      assignable_ = true;
    } else if (At(tk::kIncDec)) {
      e = exprs_.NewUnary(lexer_.SubCode() == '+' ? ecPostIncrement : ecPostDecrement, e);
      Advance();
    } else {
      return e;
    }
  }
}

// arguments -> assignment ("," assignment)*   (possibly none, ending before `close`)
TJExpr* TJParser::ParseArgumentsUntil(std::int32_t close) {
  if (At(close)) return nullptr;
  const bool saved = assignable_;
  TJExpr* list = exprs_.NewListCell(nullptr, RequireAssignment());
  while (At(tk::kComma)) {
    Advance();
    list = exprs_.NewListCell(list, RequireAssignment());
  }
  assignable_ = saved;
  return list;
}

// typeof-void-delete -> ("typeof" | "void") "(" comma ")" | ("typeof" | "void" | "delete") comma
TJExpr* TJParser::ParseOperandOf(std::uint8_t code) {
  Advance();
  // typeof and void have a parenthesised form that ends at ")"; without parentheses, and
  // always for delete, the operand is a whole comma expression.
  if (code != ecDelete && At(tk::kLParen)) {
    Advance();
    TJExpr* operand = ParseNested(&TJParser::RequireComma);
    Expect(tk::kRParen);
    return exprs_.NewUnary(code, operand);
  }
  return exprs_.NewUnary(code, ParseNested(&TJParser::RequireComma));
}

// object-literal -> "{" [property ("," property)*] "}"
// property -> identifier [":" assignment]
TJExpr* TJParser::ParseObjectLiteral() {
  Advance();
  const bool saved = assignable_;
  TJExpr* list = nullptr;
  if (!At(tk::kRBrace)) {
    for (;;) {
      TJExpr* name = ExpectIdentifier();
      TJExpr* value = nullptr;
      if (At(tk::kColon)) {
        Advance();
        value = RequireAssignment();
      }
      list = exprs_.NewListCell(list, exprs_.NewProperty(name, value));
      if (!At(tk::kComma)) break;
      Advance();
    }
  }
  Expect(tk::kRBrace);
  assignable_ = saved;
  return exprs_.NewUnary(ecObjectLiteral, list);
}

// new -> "new" identifier ["." identifier] ["(" [arguments] ")"]
TJExpr* TJParser::ParseNew() {
  Advance();
  TJExpr* className = ExpectIdentifier();
  TJExpr* module = nullptr;
  if (At(tk::kDot)) {
    Advance();
    module = className;
    className = ExpectIdentifier();
  }
  TJExpr* arguments = nullptr;
  if (At(tk::kLParen)) {
    Advance();
    arguments = ParseArgumentsUntil(tk::kRParen);
    Expect(tk::kRParen);
  }
  return exprs_.NewTernary(ecNew, className, arguments, module);
}

// primary -> "(" comma ")" | typeof-void-delete | object-literal | "[" [arguments] "]"
//          | identifier | literal | "this" | new | "super" ["." identifier]
TJExpr* TJParser::ParsePrimary() {
  TJExpr* e = nullptr;
  switch (Current()) {
    case tk::kLParen: {
      Advance();
      e = ParseNested(&TJParser::RequireComma);
      Expect(tk::kRParen);
      return e;
    }
    case tk::kTypeof: return ParseOperandOf(ecTypeof);
    case tk::kVoid: return ParseOperandOf(ecVoid);
    case tk::kDelete: return ParseOperandOf(ecDelete);
    case tk::kLBrace: return ParseObjectLiteral();
    case tk::kLBracket: {
      Advance();
      TJExpr* elements = ParseArgumentsUntil(tk::kRBracket);
      Expect(tk::kRBracket);
      return exprs_.NewUnary(ecArrayLiteral, elements);
    }
    case tk::kIdentifier:
      e = exprs_.NewIdentifier(lexer_.TokenText());
      assignable_ = true;
      break;
    case tk::kInteger: e = exprs_.NewInteger(lexer_.IntValue()); break;
    case tk::kFloat: e = exprs_.NewNumber(lexer_.NumValue()); break;
    case tk::kString: e = exprs_.NewString(lexer_.TokenText()); break;
    case tk::kTrue: e = exprs_.NewBoolean(true); break;
    case tk::kFalse: e = exprs_.NewBoolean(false); break;
    case tk::kNull: e = exprs_.NewNull(); break;
    case tk::kNaN: e = exprs_.NewNaN(); break;
    case tk::kThis: e = exprs_.NewThis(); break;
    case tk::kNew: return ParseNew();
    case tk::kSuper: {
      Advance();
      if (!At(tk::kDot)) return exprs_.NewThis();
      Advance();
      assignable_ = true;
      return exprs_.NewSuperMember(ExpectIdentifier());
    }
    default:
      return nullptr;
  }
  Advance();
  return e;
}

}  // namespace kestrin
