// Calls of native functions without an argument list. A call of a native method builds a
// list of its arguments, calls the method through its record's routine and boxes the
// result; for Math's functions inside a numeric tree (`d = Math.sqrt(x * x + y * y)`)
// the engine checks that the name still leads to the built-in function and calls it on
// the numbers directly.
#include "script/native_calls.h"

#include "script/builtins/array.h"
#include "script/builtins/math.h"
#include "script/evaluator_internals.h"

namespace kestrin {

using namespace evaluator;

namespace {

// The arguments of a call, last first; at most two are looked at.
std::size_t CountArguments(const TJExpr* lastCell) noexcept {
  std::size_t n = 0;
  for (const TJExpr* c = lastCell; c != nullptr && n < 3; c = c->Operand1) ++n;
  return n;
}

}  // namespace

bool MathCallTree(const TJExpr* call) noexcept {
  const TJExpr* callee = call->Operand1;
  if (callee == nullptr || callee->Code != ecMember || callee->Operand1 == nullptr ||
      callee->Operand1->Code != ecIdentifier || callee->Operand2 == nullptr || callee->Operand2->Code != ecIdentifier) {
    return false;
  }
  const TJExpr* member = callee->Operand2;
  const TJMethodInfo* method = TJMathObject::Info().FindMethod(member->Name, member->Hash);
  const TJMathFunction* f = TJMathObject::FunctionOf(method);
  if (f == nullptr || CountArguments(call->Operand2) != (f->one != nullptr ? 1u : 2u)) return false;
  // The call node keeps the method its name means in Math and the function behind it.
  call->CacheMethod = method;
  call->CacheTable = f;
  return true;
}

bool TextCallTree(const TJExpr* call) noexcept {
  const TJExpr* callee = call->Operand1;
  return callee != nullptr && callee->Code == ecMember && callee->Operand1 != nullptr && callee->Operand2 != nullptr &&
         callee->Operand2->Code == ecIdentifier && callee->Operand2->Name == "charCodeAt" &&
         CountArguments(call->Operand2) == 1;
}

bool LengthTree(const TJExpr* member) noexcept {
  return member->Operand1 != nullptr && member->Operand1->Code != ecThis && member->Operand2 != nullptr &&
         member->Operand2->Code == ecIdentifier && member->Operand2->Name == "length";
}

// The general way evaluates the name, finds the method through the member node's cache,
// then the arguments, last first; none of that has an effect here, and a fault raises
// the error the method raises. Anything unexpected (the name now holds another object,
// the member was replaced, an argument that is no number) is left to the general way.
TJNum TJEngine::NumMathCall(TJEngine& e, const TJExpr* call) {
  const TJExpr* callee = call->Operand1;
  const TJExpr* member = callee->Operand2;
  const TJValue base = e.EvalIdentifier(callee->Operand1);
  TJObject* object = base.Kind() == jkObject ? base.ObjValue() : nullptr;
  if (object == nullptr || !object->StandardMemberAccess()) return TJNum::None();
  if (member->CacheShapeId != object->Members().Shape()->Id() && !e.FillMemberCache(*object, member)) {
    return TJNum::None();
  }
  if (member->CacheKind != kNativeMethod || member->CacheMethod != call->CacheMethod) return TJNum::None();
  const auto* f = static_cast<const TJMathFunction*>(call->CacheTable);
  const TJExpr* last = call->Operand2;
  if (f->one != nullptr) {
    const TJNum x = e.NumOperand(last->Operand2);
    return x.Ok() ? NumOf(f->one(x.Value())) : x;
  }
  const TJNum y = e.NumOperand(last->Operand2);
  if (!y.Ok()) return y;
  const TJNum x = e.NumOperand(last->Operand1->Operand2);
  return x.Ok() ? NumOf(f->two(x.Value(), y.Value())) : x;
}

// An object used as a table has a shape of its own that changes in place, so the member
// node cannot remember what a name is there; its class's native methods (hasKey, say)
// used to be read as a record bound to the object and called through it. The name is
// resolved as that read resolves it (published properties first, then the table's own
// entry, then the class's methods), and a native method is called on the object.
bool TJEngine::CallTableMethod(TJObject& object, const TJExpr* member, const TJExpr* lastArgument, TJValue& result) {
  if (member == nullptr || member->Code != ecIdentifier || !object.StandardMemberAccess() ||
      !object.Members().Shape()->Dictionary()) {
    return false;
  }
  const TJName name(member->Name, member->Hash);
  if (object.FindPropertyInfo(name) != nullptr) return false;
  const TJShape::Found found = object.Members().Resolve(name);
  if (found.slot >= 0 || found.method == nullptr) return false;
  TJValueList args;
  EvalArguments(lastArgument, args);
  found.method->Method(object, args, result);
  return true;
}

// A native method found through the member node's cache. The list of arguments is what
// every native method takes; Math's functions of one or two numbers and an array's push
// of one value are called with the values themselves. Arguments run last to first in
// either case.
TJValue TJEngine::CallNativeMethod(TJObject& object, const TJMethodInfo& method, const TJExpr* lastArgument) {
  static const TJMethodInfo* const push = TJArrayObject::Info().FindMethod("push", HashName("push"));
  const std::size_t count = CountArguments(lastArgument);
  if (count == 1 && &method == push) {
    if (TJArrayObject* array = TJArrayObject::Exactly(&object)) {
      array->Append(Operand(lastArgument->Operand2));
      return TJValue::Integer(static_cast<std::int32_t>(array->Length()));
    }
  } else if (const TJMathFunction* f = count <= 2 ? TJMathObject::FunctionOf(&method) : nullptr) {
    if (count == 1 && f->one != nullptr) return f->one(Operand(lastArgument->Operand2));
    if (count == 2 && f->two != nullptr) {
      const TJValue y = Operand(lastArgument->Operand2);
      const TJValue x = Operand(lastArgument->Operand1->Operand2);
      return f->two(x, y);
    }
  }
  TJValueList args;
  EvalArguments(lastArgument, args);
  TJValue result;
  method.Method(object, args, result);
  return result;
}

}  // namespace kestrin
