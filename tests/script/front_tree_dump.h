// A compact text form of expression trees for the front-end tests: operators by their
// spelling, identifiers by name, constants by value, lists in source order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "script/syntax_tree.h"

namespace kestrin::testing {

inline const char* OperatorName(std::uint8_t code) {
  static const char* const kNames[] = {
      "empty", ",",   "+",   "-",      "/",    "*",    "%",      "div",   "=",     "*=",
      "/=",    "+=",  "-=",  "%=",     "<<=",  ">>=",  ">>>=",   "&=",    "^=",    "|=",
      "const", "id",  "u+",  "u-",     "this", ".",    "[]",     "prop",  "super.", "new",
      "{}",    "[..]", "call", "list", "++x",  "--x",  "x++",    "x--",   "delete", "void",
      "typeof", "!",  "||",  "&&",     "<<",   ">>",   ">>>",    "<",     ">",     "<=",
      ">=",    "==",  "!=",  "===",    "!==",  "&",    "^",      "|",     "~",     "?:"};
  return code < sizeof(kNames) / sizeof(kNames[0]) ? kNames[code] : "?";
}

inline std::string DumpConstant(const TJValue& v) {
  switch (v.Kind()) {
    case jkInteger: return std::to_string(v.IntValue());
    case jkNumber: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "#%g", v.NumValue());
      return buf;
    }
    case jkString: return "'" + std::string(v.StrView()) + "'";
    case jkBoolean: return v.BoolValue() ? "true" : "false";
    case jkNull: return "null";
    case jkNaN: return "NaN";
    default: return "<kind " + std::to_string(v.Kind()) + ">";
  }
}

inline std::string Dump(const TJExpr* e);

// A list (chain of cells referenced by its last cell) in source order.
inline std::string DumpList(const TJExpr* last) {
  std::vector<std::string> items;
  for (const TJExpr* cell = last; cell != nullptr; cell = cell->Operand1) {
    items.insert(items.begin(), Dump(cell->Operand2));
  }
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? " " : "") + items[i];
  return out + "]";
}

inline std::string Dump(const TJExpr* e) {
  if (e == nullptr) return "_";
  switch (e->Code) {
    case ecConstant: return e->Constant ? DumpConstant(*e->Constant) : "<no constant>";
    case ecIdentifier:
      return e->Operand1 == nullptr ? e->Name : "(" + e->Name + " " + Dump(e->Operand1) + ")";
    case ecListCell: return DumpList(e);
    default: break;
  }
  std::string out = std::string("(") + OperatorName(e->Code);
  const TJExpr* operands[] = {e->Operand1, e->Operand2, e->Operand3};
  int count = 3;
  while (count > 0 && operands[count - 1] == nullptr) --count;
  for (int i = 0; i < count; ++i) out += " " + Dump(operands[i]);
  return out + ")";
}

}  // namespace kestrin::testing
