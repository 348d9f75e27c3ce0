// TJParser: recursive descent over the tokens of TJLex with one token of look-ahead,
// building the syntax tree in its two factories and folding constants on the way.
//
// Syntax errors raise EJSyntaxError with "SyntaxError: Line( n ) Text( token )"; a failing
// constant fold raises its script error (EJThrow). `import name;` parses the library file
// with a sub-parser; `import name.*;` splices the file's text into this source.
//
// Errors name the line of the file they are in: text spliced in by an import does not
// count towards the importer's lines, and an error inside a library is prefixed with the
// library's path ("lib.js: SyntaxError: Line( 2 ) Text( ; )"). A named text (Origin) is
// reported the same way, after its generated head.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/lexer.h"
#include "script/syntax_tree.h"

namespace kestrin {

// Where the text given to Parse comes from, for its error messages. Unnamed, they read as
// they always have; named, they start with the name, and lines count from the end of a
// generated head of HeadLines lines (an error inside the head is reported with HeadLabel and
// its line in the whole text).
struct TJSourceOrigin {
  std::string Name;
  std::int32_t HeadLines = 0;
  std::string HeadLabel;
};

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
  TJSourceOrigin Origin;
  // Where the last Parse stopped on a failing constant fold: "" for the unnamed text, else
  // "name: Line( n ): " (the fold's script error carries no place of its own).
  const std::string& FoldErrorPlace() const noexcept { return foldPlace_; }

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
  // A syntax error with a message of its own ("file not found: …"), placed like a fold error.
  [[noreturn]] void ImportError(std::string_view message) const;
  struct Place {
    std::string prefix;  // "" for the unnamed text, else "name: " (and the head's label)
    std::int32_t line = 0;
  };
  // The file and line of the current token.
  Place Here() const;
  // Place of Here() as a message prefix: "" for the unnamed text, else "name: Line( n ): ".
  std::string LinePrefix() const;
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
  void CheckCycle(const std::string& identity, const std::string& fileName) const;

  TJExprFactory exprs_;
  TJStatementFactory stmts_;
  TJLex lexer_;
  TJStatement* root_ = nullptr;
  std::vector<std::unique_ptr<TJParser>> subParsers_;

  // Set by the identifier, member and index rules; decides whether "=" may follow.
  bool assignable_ = false;
  int depth_ = 0;

  // Library files being parsed by the parsers above this one.
  std::vector<std::string> importChain_;
  // The regions of this source that hold spliced files, in the order they were spliced (so
  // by their start); a region grows with what is spliced into it.
  struct Splice {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string identity;
    std::string path;  // as found on the library path, for messages
  };
  std::vector<Splice> splices_;
  std::string foldPlace_;
};

}  // namespace kestrin
