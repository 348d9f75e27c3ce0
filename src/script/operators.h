// The operator routines of the language: pure functions of their operand values, shared by
// the evaluator and by constant folding at parse time, so a folded constant always equals
// what the same expression yields at run time.
//
// Integer arithmetic wraps around in 32 bits; errors are script errors (EJThrow):
// "ENameError" for an undefined operand, "ETypeError" for an object, function or infinity
// operand, "EZDError" for a division or remainder by zero.
#pragma once

#include <cstdint>

#include "script/value.h"

namespace kestrin {

// Codes 2-7 (add, subtract, divide, multiply, remainder, div), 44-46 (shifts) and
// 55-57 (bitwise and, xor, or) of the expression tree.
TJValue Arithmetic(std::uint8_t code, const TJValue& a, const TJValue& b);

// Codes 41 (not; only a is used), 42, 43 (or, and) and 47-54 (relations and equalities).
// The result is always a boolean value.
TJValue Compare(std::uint8_t code, const TJValue& a, const TJValue& b);

// Codes 22 (unary plus: the absolute value), 23 (minus) and 58 (bitwise not).
TJValue Unary(std::uint8_t code, const TJValue& a);

// The conditional: the then-value when cond converts to true, else the else-value.
TJValue Choose(const TJValue& cond, const TJValue& thenValue, const TJValue& elseValue);

}  // namespace kestrin
