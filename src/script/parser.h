// TJParser: recursive descent over the tokens of TJLex with one token of look-ahead,
// building the syntax tree in its two factories and folding constants on the way.
//
// Syntax errors raise EJSyntaxError with "SyntaxError: Line( n ) Text( token )"; a failing
// constant fold raises its script error (EJThrow). `import name;` parses the library file
// with a sub-parser; `import name.*;` splices the file's text into this source.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/lexer.h"
#include "script/syntax_tree.h"

namespace kestrin {

class TJParser {
 public:
  // LibraryPath starts with "" (the current directory) and the program folder.
  TJParser();
  explicit TJParser(velkoran::platform::CodePage cp);
  ~TJParser();
  TJParser(const TJParser&) = delete;
  TJParser& operator=(const TJParser&) = delete;

  void SetSource(std::string text);
  // Parses the text given to SetSource; true when it held at least one statement.
  bool Parse();
  // SetSource followed by Parse.
  bool Parse(std::string text);
  // The first statement of the last parsed program, or none.
  TJStatement* Root() const noexcept { return root_; }
  // Frees every node and sub-parser; the tree of the last parse is gone afterwards.
  void Clear();

  // Directories searched in order for "name.js" by import.
  std::vector<std::string> LibraryPath;

  TJLex& Lexer() noexcept { return lexer_; }
  TJExprFactory& ExprFactory() noexcept { return exprs_; }
  TJStatementFactory& StmtFactory() noexcept { return stmts_; }
  std::size_t SubParserCount() const noexcept { return subParsers_.size(); }

  // Nesting of parentheses, blocks and prefix operators deeper than this is a syntax
  // error, so that crafted input cannot exhaust the stack of the parser or the evaluator.
  static constexpr int kMaxNesting = 1000;

 private:
  class DepthGuard;

  // Tokens.
  std::int32_t Current() const noexcept { return lexer_.AtEnd() ? 0 : lexer_.Token(); }
  bool At(std::int32_t token) const noexcept { return Current() == token; }
  bool AtOperator(std::int32_t token, char sub) const noexcept {
    return Current() == token && lexer_.SubCode() == sub;
  }
  void Advance() { lexer_.Next(); }
  void Expect(std::int32_t token);
  [[noreturn]] void SyntaxError() const;
  TJExpr* ExpectIdentifier();
  // The node a Require... function parsed; a syntax error where there was none.
  template <typename Node>
  Node* Required(Node* node) const {
    if (node == nullptr) SyntaxError();
    return node;
  }

  // Program and declarations.
  TJStatement* ParseProgram();
  TJStatement* ParseSourceElement();
  TJStatement* ParseVarStatement();
  TJStatement* ParseDeclarator(TJStatement* previous);
  TJStatement* ParseFunction();
  TJStatement* ParseClass();
  TJStatement* ParseImport();

  // Statements.
  TJStatement* ParseStatement();
  TJStatement* RequireStatement();
  TJStatement* ParseBlock();
  TJStatement* ParseIf();
  TJStatement* ParseWhile();
  TJStatement* ParseFor();
  TJStatement* ParseDo();
  TJStatement* ParseCatch();
  TJStatement* ParseWith();
  TJExpr* ParseParenthesised();

  // Expressions, loosest first; each returns none when no expression starts here.
  TJExpr* ParseComma();
  TJExpr* RequireComma();
  TJExpr* ParseAssignment();
  TJExpr* RequireAssignment();
  TJExpr* ParseConditional();
  TJExpr* ParseBinaryLevel(int level);
  TJExpr* ParseUnary();
  TJExpr* ParsePostfix();
  TJExpr* ParsePrimary();
  TJExpr* ParseArgumentsUntil(std::int32_t close);
  TJExpr* ParseObjectLiteral();
  TJExpr* ParseNew();
  TJExpr* ParseOperandOf(std::uint8_t code);
  TJExpr* ParseNested(TJExpr* (TJParser::*rule)());

  // Import.
  std::string FindLibrary(const std::string& fileName) const;
  std::string ReadLibrary(const std::string& path, const std::string& fileName) const;
  void CheckCycle(const std::string& identity, const std::string& fileName);

  TJExprFactory exprs_;
  TJStatementFactory stmts_;
  TJLex lexer_;
  TJStatement* root_ = nullptr;
  std::vector<std::unique_ptr<TJParser>> subParsers_;

  // Set by the identifier, member and index rules; decides whether "=" may follow.
  bool assignable_ = false;
  int depth_ = 0;

  // Library files being parsed by the parsers above this one, and the regions of this
  // source that hold spliced files (end offset in the source, identity), innermost last.
  std::vector<std::string> importChain_;
  std::vector<std::pair<std::size_t, std::string>> splices_;
};

}  // namespace kestrin
