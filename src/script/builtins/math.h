// TJMathObject: the static Math object, its constants and numeric functions.
#pragma once

#include <optional>
#include <random>

#include "script/object.h"

namespace kestrin {

// A Math function of one number or of two (one of the two is set), computed as its
// method computes it; a floating-point fault raises the method's error.
struct TJMathFunction {
  TJValue (*one)(const TJValue& x);
  TJValue (*two)(const TJValue& x, const TJValue& y);
};

class TJMathObject : public TJObject {
 public:
  TJMathObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();
  // The function behind one of the class's methods; null for random and for the methods
  // of other classes. Lets the engine call it without an argument list.
  static const TJMathFunction* FunctionOf(const TJMethodInfo* method) noexcept;

 private:
  void RandomMethod(TJValueList& args, TJValue& result);

  std::mt19937_64 random_;
};

// Math.pow's rule: 1 for a zero exponent, 0 for a zero base and a positive exponent,
// repeated multiplication for whole exponents, else e^(exponent × ln base). Nothing when
// the result is not a finite number.
std::optional<double> MathPower(double base, double exponent);

}  // namespace kestrin
