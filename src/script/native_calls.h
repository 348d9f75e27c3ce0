// Calls of native functions that the engine makes without an argument list
// (native_calls.cpp).
#pragma once

#include "script/syntax_tree.h"

namespace kestrin {

// Math.f(x) or Math.f(x, y) with f one of Math's functions of that many numbers, the
// name in front a bare name: a call a numeric tree may hold (TJEngine::NumMathCall
// evaluates it, and checks that the name still leads to the built-in function).
bool MathCallTree(const TJExpr* call) noexcept;

}  // namespace kestrin
