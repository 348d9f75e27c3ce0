// TJMathObject: the static Math object, its constants and numeric functions.
#pragma once

#include <optional>
#include <random>

#include "script/object.h"

namespace kestrin {

class TJMathObject : public TJObject {
 public:
  TJMathObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

 private:
  void AbsMethod(TJValueList& args, TJValue& result);
  void ExpMethod(TJValueList& args, TJValue& result);
  void LogMethod(TJValueList& args, TJValue& result);
  void SqrtMethod(TJValueList& args, TJValue& result);
  void CeilMethod(TJValueList& args, TJValue& result);
  void FloorMethod(TJValueList& args, TJValue& result);
  void RoundMethod(TJValueList& args, TJValue& result);
  void SinMethod(TJValueList& args, TJValue& result);
  void CosMethod(TJValueList& args, TJValue& result);
  void TanMethod(TJValueList& args, TJValue& result);
  void AsinMethod(TJValueList& args, TJValue& result);
  void AcosMethod(TJValueList& args, TJValue& result);
  void AtanMethod(TJValueList& args, TJValue& result);
  void Atan2Method(TJValueList& args, TJValue& result);
  void MaxMethod(TJValueList& args, TJValue& result);
  void MinMethod(TJValueList& args, TJValue& result);
  void PowMethod(TJValueList& args, TJValue& result);
  void RandomMethod(TJValueList& args, TJValue& result);

  std::mt19937_64 random_;
};

// Math.pow's rule: 1 for a zero exponent, 0 for a zero base and a positive exponent,
// repeated multiplication for whole exponents, else e^(exponent × ln base). Nothing when
// the result is not a finite number.
std::optional<double> MathPower(double base, double exponent);

}  // namespace kestrin
