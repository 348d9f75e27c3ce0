// Calls of native functions, and built-in values, that numeric trees work out without an
// argument list or a boxed result (native_calls.cpp).
#pragma once

#include "script/syntax_tree.h"

namespace kestrin {

// Math.f(x) or Math.f(x, y) with f one of Math's functions of that many numbers, the
// name in front a bare name: a call a numeric tree may hold (TJEngine::NumMathCall
// evaluates it, and checks that the name still leads to the built-in function).
bool MathCallTree(const TJExpr* call) noexcept;
// X.charCodeAt(k): the character code of a text, when X holds one (TJEngine::NumCharCodeAt).
bool TextCallTree(const TJExpr* call) noexcept;
// X.length other than this.length: the length of a text or an array, when X holds one
// (TJEngine::NumLengthOf).
bool LengthTree(const TJExpr* member) noexcept;

}  // namespace kestrin
