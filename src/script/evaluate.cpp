// Expression evaluation: the value of every expression node. Operands are evaluated
// right to left (Operand2 before Operand1), argument lists and literals from the last
// element to the first, the callee of a call and the object part of a member access
// before their arguments and keys. `||`, `&&` and `?:` evaluate every operand.
#include <cstdint>

#include "script/engine.h"
#include "script/operators.h"

namespace kestrin {

namespace {

TJName NameOf(const TJExpr* ident) { return TJName(ident->Name, ident->Hash); }

// The integer fast paths give exactly what the operator routines give for two integers.
inline bool BothIntegers(const TJValue& a, const TJValue& b) { return a.Kind() == jkInteger && b.Kind() == jkInteger; }

inline std::int32_t Wrap(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

std::size_t ListLength(const TJExpr* last) {
  std::size_t n = 0;
  for (const TJExpr* c = last; c != nullptr; c = c->Operand1) ++n;
  return n;
}

}  // namespace

TJValue TJEngine::Evaluate(const TJExpr* node) { return Eval(node); }

TJValue TJEngine::Eval(const TJExpr* n) {
  if (n == nullptr) return TJValue();
  if (stackLimit_ != nullptr && static_cast<const char*>(__builtin_frame_address(0)) < stackLimit_) {
    ThrowScriptError(kRecursionErrorName, kRecursionErrorText);
  }
  switch (n->Code) {
    case ecConstant:
      return n->Constant ? *n->Constant : TJValue();
    case ecIdentifier:
      return EvalIdentifier(n);

    case ecAdd:
    case ecSubtract: {
      TJValue b = Eval(n->Operand2);
      TJValue a = Eval(n->Operand1);
      if (BothIntegers(a, b)) {
        const std::int64_t r = n->Code == ecAdd ? static_cast<std::int64_t>(a.IntValue()) + b.IntValue()
                                                : static_cast<std::int64_t>(a.IntValue()) - b.IntValue();
        return TJValue::Integer(Wrap(r));
      }
      return Arithmetic(n->Code, a, b);
    }
    case ecDivide:
    case ecMultiply:
    case ecRemainder:
    case ecIntDivide:
    case ecShl:
    case ecShr:
    case ecUShr:
    case ecBitAnd:
    case ecBitXor:
    case ecBitOr: {
      TJValue b = Eval(n->Operand2);
      TJValue a = Eval(n->Operand1);
      return Arithmetic(n->Code, a, b);
    }

    case ecLess:
    case ecGreater:
    case ecLessEqual:
    case ecGreaterEqual:
    case ecEqual:
    case ecNotEqual:
    case ecStrictEqual:
    case ecStrictNotEqual: {
      TJValue b = Eval(n->Operand2);
      TJValue a = Eval(n->Operand1);
      if (BothIntegers(a, b)) {
        const std::int32_t x = a.IntValue();
        const std::int32_t y = b.IntValue();
        switch (n->Code) {
          case ecLess:
            return TJValue::Boolean(x < y);
          case ecGreater:
            return TJValue::Boolean(x > y);
          case ecLessEqual:
            return TJValue::Boolean(x <= y);
          case ecGreaterEqual:
            return TJValue::Boolean(x >= y);
          case ecEqual:
          case ecStrictEqual:
            return TJValue::Boolean(x == y);
          default:
            return TJValue::Boolean(x != y);
        }
      }
      return Compare(n->Code, a, b);
    }
    case ecOr:
    case ecAnd: {
      TJValue b = Eval(n->Operand2);
      TJValue a = Eval(n->Operand1);
      return Compare(n->Code, a, b);
    }
    case ecNot:
      return Compare(ecNot, Eval(n->Operand1), TJValue());

    case ecPlus:
    case ecMinus:
    case ecBitNot:
      return Unary(n->Code, Eval(n->Operand1));

    case ecComma:
      Eval(n->Operand1);
      return Eval(n->Operand2);

    case ecAssign:
      return EvalAssign(n);
    case ecMulAssign:
    case ecDivAssign:
    case ecAddAssign:
    case ecSubAssign:
    case ecModAssign:
    case ecShlAssign:
    case ecShrAssign:
    case ecUShrAssign:
    case ecAndAssign:
    case ecXorAssign:
    case ecOrAssign:
      return EvalCompoundAssign(n);

    case ecThis:
      return TJValue::Object(tables_.CurrentThis());

    case ecMember:
    case ecIndex:
    case ecSuperMember:
      return EvalMemberRead(n);

    case ecNew:
      return EvalNew(n);
    case ecObjectLiteral:
      return EvalObjectLiteral(n);
    case ecArrayLiteral:
      return EvalArrayLiteral(n);
    case ecCall:
      return EvalCall(n);

    case ecPreIncrement:
    case ecPreDecrement:
    case ecPostIncrement:
    case ecPostDecrement:
      return EvalIncrement(n);

    case ecDelete:
      return TJValue();
    case ecVoid:
      Eval(n->Operand1);
      return TJValue::Null();
    case ecTypeof:
      return TJValue::Text(TypeName(Eval(n->Operand1)));

    case ecConditional: {
      TJValue otherwise = Eval(n->Operand3);
      TJValue then = Eval(n->Operand2);
      TJValue condition = Eval(n->Operand1);
      return Choose(condition, then, otherwise);
    }

    default:
      // Empty nodes, properties and list cells outside their context, unknown codes:
      // their operands are evaluated for their effects.
      Eval(n->Operand1);
      Eval(n->Operand2);
      return TJValue();
  }
}

TJValue TJEngine::EvalIdentifier(const TJExpr* n) {
  TJValue v;
  if (!tables_.Lookup(NameOf(n), v)) ThrowScriptError(errors::kName, n->Name);
  return v;
}

// ---------------------------------------------------------------------------------------
// Member access

TJObject* TJEngine::TemporaryFor(const TJValue& base, std::string_view className) {
  TJValueList args;
  args.Add(base);
  return factory_.CreateObject(className, &args);
}

TJValue TJEngine::ReadModuleMember(TJFunction& module, const TJName& name) {
  auto* table = static_cast<TJSymbolTable*>(const_cast<void*>(module.Definition));
  TJValue v;
  if (table == nullptr) return v;
  table->LookupMember(name, v);
  if (v.Kind() == jkFunction && v.FuncValue() != nullptr && v.FuncValue()->FuncKind == TJFunctionKind::Script) {
    v.FuncValue()->ScopeName = table->TableName();
  }
  return v;
}

TJValue TJEngine::ReadMember(const TJValue& base, const TJExpr* member, bool bracket, const TJValue& key) {
  TJObject* object = nullptr;
  switch (base.Kind()) {
    case jkObject:
      object = base.ObjValue();
      break;
    case jkString:
      object = TemporaryFor(base, "String");
      break;
    case jkInteger:
    case jkNumber:
    case jkBoolean:
    case jkDispatch:
      // Only the dot form reaches the members of these.
      if (bracket) ThrowScriptError(errors::kKey, member != nullptr ? std::string_view(member->Name) : std::string_view());
      object = TemporaryFor(base, base.Kind() == jkBoolean    ? "Boolean"
                                  : base.Kind() == jkDispatch ? "ActiveXObject"
                                                              : "Number");
      break;
    case jkFunction:
      if (base.FuncValue() != nullptr && base.FuncValue()->FuncKind == TJFunctionKind::Module) {
        if (bracket) {
          const SharedString text = ToText(key);
          return ReadModuleMember(*base.FuncValue(), TJName(text));
        }
        return ReadModuleMember(*base.FuncValue(), NameOf(member));
      }
      [[fallthrough]];
    default:
      ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
  }
  if (object == nullptr) ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
  TJValue out;
  if (!bracket) {
    object->GetValue(NameOf(member), false, out);
  } else if (key.Kind() != jkInteger || !object->GetIndexed(key.IntValue(), out)) {
    const SharedString text = ToText(key);
    object->GetValue(TJName(text), true, out);
  }
  if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(object);
  return out;
}

TJValue TJEngine::MemberOf(const TJValue& base, const TJExpr* n) {
  const TJExpr* member = n->Operand2;
  const bool dot = n->Code == ecMember && member != nullptr && member->Code == ecIdentifier;
  if (dot) return ReadMember(base, member, false, TJValue());
  // Number, boolean and dispatch values refuse the index form before any key is computed.
  switch (base.Kind()) {
    case jkInteger:
    case jkNumber:
    case jkBoolean:
    case jkDispatch:
      ThrowScriptError(errors::kKey, member != nullptr ? std::string_view(member->Name) : std::string_view());
    case jkObject:
    case jkString:
      break;
    case jkFunction:
      if (base.FuncValue() != nullptr && base.FuncValue()->FuncKind == TJFunctionKind::Module) break;
      [[fallthrough]];
    default:
      ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
  }
  const TJValue key = Eval(member);
  return ReadMember(base, member, true, key);
}

TJValue TJEngine::EvalMemberRead(const TJExpr* n) {
  if (n->Code == ecSuperMember) {
    TJObject* self = tables_.CurrentThis();
    const TJExpr* member = n->Operand2;
    TJValue out;
    self->GetSuperValue(NameOf(member), out);
    if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(self);
    return out;
  }
  const TJValue base = Eval(n->Operand1);
  return MemberOf(base, n);
}

// ---------------------------------------------------------------------------------------
// Assignment targets

void TJEngine::ResolveTarget(const TJExpr* node, Target& t) {
  t.node = node;
  if (node == nullptr) return;
  if (node->Code == ecIdentifier) {
    t.kind = Target::Kind::Identifier;
    return;
  }
  if (node->Code != ecMember && node->Code != ecIndex) return;
  t.kind = Target::Kind::Member;
  t.base = Eval(node->Operand1);
  const TJExpr* member = node->Operand2;
  t.bracket = !(node->Code == ecMember && member != nullptr && member->Code == ecIdentifier);
  if (t.bracket) t.key = Eval(member);
}

TJValue TJEngine::ReadTarget(const Target& t) {
  switch (t.kind) {
    case Target::Kind::Identifier:
      return EvalIdentifier(t.node);
    case Target::Kind::Member:
      return ReadMember(t.base, t.node->Operand2, t.bracket, t.key);
    case Target::Kind::None:
      break;
  }
  return Eval(t.node);
}

void TJEngine::WriteTarget(const Target& t, const TJValue& value) {
  switch (t.kind) {
    case Target::Kind::Identifier:
      tables_.SetVar(NameOf(t.node), value);
      return;
    case Target::Kind::None:
      return;
    case Target::Kind::Member:
      break;
  }
  const TJExpr* member = t.node->Operand2;
  if (t.base.Kind() == jkObject && t.base.ObjValue() != nullptr) {
    TJObject* object = t.base.ObjValue();
    if (!t.bracket) {
      object->SetValue(NameOf(member), value, false);
    } else if (t.key.Kind() != jkInteger || !object->SetIndexed(t.key.IntValue(), value)) {
      const SharedString text = ToText(t.key);
      object->SetValue(TJName(text), value, true);
    }
    return;
  }
  if (t.base.Kind() == jkFunction && t.base.FuncValue() != nullptr &&
      t.base.FuncValue()->FuncKind == TJFunctionKind::Module) {
    // A module's variables, never the running function's locals.
    auto* table = static_cast<TJSymbolTable*>(const_cast<void*>(t.base.FuncValue()->Definition));
    if (!t.bracket) {
      table->Vars().Set(NameOf(member), value);
    } else {
      const SharedString text = ToText(t.key);
      table->Vars().Set(TJName(text), value);
    }
    return;
  }
  ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
}

TJValue TJEngine::EvalAssign(const TJExpr* n) {
  TJValue value = Eval(n->Operand2);
  const TJExpr* target = n->Operand1;
  if (target != nullptr && target->Code == ecIdentifier) {
    tables_.SetVar(NameOf(target), value);
    return value;
  }
  Target t;
  ResolveTarget(target, t);
  WriteTarget(t, value);
  return value;
}

TJValue TJEngine::EvalCompoundAssign(const TJExpr* n) {
  static constexpr std::uint8_t kOperator[] = {
      ecMultiply, ecDivide, ecAdd, ecSubtract, ecRemainder, ecShl, ecShr, ecUShr, ecBitAnd, ecBitXor, ecBitOr,
  };
  const std::uint8_t code = kOperator[n->Code - ecMulAssign];
  TJValue value = Eval(n->Operand2);
  // The target's object and key are evaluated once, for the read and the write.
  Target t;
  ResolveTarget(n->Operand1, t);
  const TJValue old = ReadTarget(t);
  TJValue result;
  if (code == ecAdd && BothIntegers(old, value)) {
    result = TJValue::Integer(Wrap(static_cast<std::int64_t>(old.IntValue()) + value.IntValue()));
  } else {
    result = Arithmetic(code, old, value);
  }
  WriteTarget(t, result);
  return result;
}

TJValue TJEngine::EvalIncrement(const TJExpr* n) {
  const bool up = n->Code == ecPreIncrement || n->Code == ecPostIncrement;
  const bool prefix = n->Code == ecPreIncrement || n->Code == ecPreDecrement;
  Target t;
  ResolveTarget(n->Operand1, t);
  TJValue old = ReadTarget(t);
  const TJValue stepped = TJValue::Integer(Wrap(static_cast<std::int64_t>(ToInteger(old)) + (up ? 1 : -1)));
  // Members of objects and modules receive the new value too; other bases keep theirs.
  const bool store = t.kind == Target::Kind::Identifier ||
                     (t.kind == Target::Kind::Member &&
                      (t.base.Kind() == jkObject ||
                       (t.base.Kind() == jkFunction && t.base.FuncValue() != nullptr &&
                        t.base.FuncValue()->FuncKind == TJFunctionKind::Module)));
  if (store) WriteTarget(t, stepped);
  return prefix ? stepped : old;
}

// ---------------------------------------------------------------------------------------
// Calls, new and literals

void TJEngine::EvalArguments(const TJExpr* lastCell, TJValueList& out) {
  const std::size_t n = ListLength(lastCell);
  if (n == 0) return;
  out.Reserve(n);
  for (const TJExpr* c = lastCell; c != nullptr; c = c->Operand1) out.Add(Eval(c->Operand2));
  // Evaluated last to first; handed over in source order.
  for (std::size_t i = 0, j = n - 1; i < j; ++i, --j) out.Exchange(i, j);
}

TJValue TJEngine::EvalCall(const TJExpr* n) {
  const TJValue callee = Eval(n->Operand1);
  if (callee.Kind() != jkFunction) ThrowScriptError(errors::kCall, "call error");
  TJValueList args;
  EvalArguments(n->Operand2, args);
  return Call(callee, args);
}

TJValue TJEngine::EvalNew(const TJExpr* n) {
  TJValueList args;
  EvalArguments(n->Operand2, args);
  const TJExpr* module = n->Operand3;
  if (module == nullptr) return TJValue::Object(CreateObject(n->Operand1->Name, &args));
  const SharedString saved = tables_.CurrentName();
  struct RestoreCurrent {
    TJSymbolTablesList& tables;
    const SharedString& name;
    ~RestoreCurrent() { tables.SetCurrent(name); }
  } restore{tables_, saved};
  tables_.SetCurrent(SharedString(module->Name));
  tables_.Current();  // an unknown module raises ENameError here
  return TJValue::Object(CreateObject(n->Operand1->Name, &args));
}

TJValue TJEngine::EvalObjectLiteral(const TJExpr* n) {
  TJObject* object = factory_.CreateObject("Object");
  for (const TJExpr* c = n->Operand1; c != nullptr; c = c->Operand1) {
    const TJExpr* property = c->Operand2;
    if (property == nullptr || property->Operand1 == nullptr) continue;
    const TJValue value = Eval(property->Operand2);
    object->SetValue(NameOf(property->Operand1), value, true);
  }
  return TJValue::Object(object);
}

TJValue TJEngine::EvalArrayLiteral(const TJExpr* n) {
  TJValueList elements;
  EvalArguments(n->Operand1, elements);
  return TJValue::Object(factory_.CreateObject("Array", &elements));
}

}  // namespace kestrin
