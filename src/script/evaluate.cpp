// Expression evaluation: the value of every expression node. Operands are evaluated
// right to left (Operand2 before Operand1), argument lists and literals from the last
// element to the first, the callee of a call and the object part of a member access
// before their arguments and keys. `||`, `&&` and `?:` evaluate every operand.
#include <cmath>
#include <cstdint>

#include "script/builtins/array.h"
#include "script/engine.h"
#include "script/evaluator_internals.h"
#include "script/operators.h"

namespace kestrin {

using namespace evaluator;

namespace {

TJName NameOf(const TJExpr* ident) { return TJName(ident->Name, ident->Hash); }

// One operand an object whose text is "[" + its class name + "]", the other null.
inline bool ObjectAgainstNull(const TJValue& a, const TJValue& b) {
  const TJValue& object = a.Kind() == jkObject ? a : b;
  const TJValue& other = a.Kind() == jkObject ? b : a;
  return object.Kind() == jkObject && other.Kind() == jkNull && object.ObjValue() != nullptr &&
         object.ObjValue()->TextIsClassName();
}

// A binary arithmetic operator on values: the number cases here, the rest by the routine.
[[gnu::always_inline]] inline TJValue Operate(std::uint8_t code, const TJValue& a, const TJValue& b) {
  const TJNum r = NumArith(code, NumOf(a), NumOf(b));
  return r.Ok() ? r.Value() : Arithmetic(code, a, b);
}

std::size_t ListLength(const TJExpr* last) {
  std::size_t n = 0;
  for (const TJExpr* c = last; c != nullptr; c = c->Operand1) ++n;
  return n;
}

}  // namespace

TJValue TJEngine::Evaluate(const TJExpr* node) { return Eval(node); }

// ---------------------------------------------------------------------------------------
// Operators

TJValue TJEngine::EvalArithmetic(const TJExpr* n) {
  CheckStack();
  if (NumericRoot(n)) {
    const TJNum r = RootNum(n);
    if (r.Ok()) return r.Value();
    NumericMiss(n);
  }
  TJValue b = Operand(n->Operand2);
  TJValue a = Operand(n->Operand1);
  return Operate(n->Code, a, b);
}

TJValue TJEngine::EvalComparison(const TJExpr* n) {
  CheckStack();
  if (NumericRoot(n)) {
    const TJNum r = RootNum(n);
    if (r.Ok()) return r.Value();
    NumericMiss(n);
  }
  TJValue b = Operand(n->Operand2);
  TJValue a = Operand(n->Operand1);
  const TJNum r = NumCompare(n->Code, NumOf(a), NumOf(b));
  if (r.Ok()) return r.Value();
  if ((n->Code == ecEqual || n->Code == ecNotEqual) && ObjectAgainstNull(a, b)) {
    // An object whose text is its class name ("[Name]") never equals null's text.
    return TJValue::Boolean(n->Code == ecNotEqual);
  }
  return Compare(n->Code, a, b);
}

TJValue TJEngine::EvalNot(const TJExpr* n) {
  CheckStack();
  return Compare(ecNot, Eval(n->Operand1), TJValue());
}

// Unary plus (the absolute value), minus and bitwise not.
TJValue TJEngine::EvalUnary(const TJExpr* n) {
  CheckStack();
  return Unary(n->Code, Eval(n->Operand1));
}

TJValue TJEngine::EvalComma(const TJExpr* n) {
  CheckStack();
  Eval(n->Operand1);
  return Eval(n->Operand2);
}

TJValue TJEngine::EvalThis() { return TJValue::Object(tables_.CurrentThis()); }

TJValue TJEngine::EvalVoid(const TJExpr* n) {
  CheckStack();
  Eval(n->Operand1);
  return TJValue::Null();
}

TJValue TJEngine::EvalTypeof(const TJExpr* n) {
  CheckStack();
  return TJValue::Text(TypeName(Eval(n->Operand1)));
}

// Every part is evaluated: else, then, condition.
TJValue TJEngine::EvalConditional(const TJExpr* n) {
  CheckStack();
  const ConditionalParts parts = PartsOfConditional(*n);
  TJValue otherwise = Eval(parts.otherwise);
  TJValue then = Eval(parts.then);
  TJValue condition = Eval(parts.condition);
  return Choose(condition, then, otherwise);
}

// Empty nodes, properties and list cells outside their context, unknown codes: their
// operands are evaluated for their effects, the second first as everywhere.
TJValue TJEngine::EvalOther(const TJExpr* n) {
  CheckStack();
  Eval(n->Operand2);
  Eval(n->Operand1);
  return TJValue();
}

// The slow half of a bare-name read (engine.h has the fast half): the full lookup, and
// remembering in the node where a name of the module's variables lives.
TJValue TJEngine::EvalIdentifierSlow(const TJExpr* n, bool withLocals) {
  TJSymbolTable& t = tables_.Current();
  // Inside a method whose object cannot hide the name: the module variable's slot.
  if (!withLocals && n->CacheEpoch == MemberEpoch() && n->CacheTable == &t && t.CurrentThis() != t.GlobalObject() &&
      ThisLacks(n, *t.CurrentThis())) {
    if (const TJValue* v = RememberedVariable(n, t)) return *v;
  }
  TJValue v;
  const TJName name = NameOf(n);
  switch (t.LookupWhere(name, v, withLocals)) {
    case TJSymbolTable::Found::Vars:
      RememberVariable(n, t, name);
      return v;
    case TJSymbolTable::Found::Nowhere:
      if (!tables_.LookupElsewhere(name, v)) ThrowScriptError(errors::kName, n->Name);
      return v;
    default:
      return v;
  }
}

bool TJEngine::RememberVariable(const TJExpr* n, TJSymbolTable& t, const TJName& name) {
  const bool method = t.CurrentThis() != t.GlobalObject();
  // Inside a method the variable may be one the global object hides at module level.
  if (method && t.GlobalObject() != nullptr && t.GlobalObject()->HasKey(name)) return false;
  if (method) NoteThisLacks(n, *t.CurrentThis());
  const std::int64_t slot = t.Vars().IndexOf(n->Name, n->Hash);
  if (slot < 0) return false;
  n->CacheEpoch = MemberEpoch();
  n->CacheTable = &t;
  n->CacheSlot = static_cast<std::uint32_t>(slot);
  return true;
}

// Assignment to a bare name: the innermost local scope when a function runs (its slot when
// the node belongs to that function), else the module's variables (through the node's
// remembered slot when it still holds the name).
void TJEngine::StoreIdentifier(const TJExpr* n, const TJValue& value) {
  if (TJValue* slot = LocalSlotOf(n)) {
    StoreLocal(slot, value);
    return;
  }
  TJSymbolTable& t = tables_.Current();
  if (!t.HasLocal()) {
    TJHash& vars = t.Vars();
    if (n->CacheTable == &t && n->CacheSlot < vars.Count() && vars.Entry(n->CacheSlot).Is(n->Name, n->Hash)) {
      vars.Assign(n->CacheSlot, value);
      return;
    }
    vars.Set(NameOf(n), value);
    const std::int64_t slot = vars.IndexOf(n->Name, n->Hash);
    if (slot >= 0 && n->CacheTable != &t) {
      n->CacheEpoch = 0;  // a read still has to establish that nothing hides the variable
      n->CacheTable = &t;
      n->CacheSlot = static_cast<std::uint32_t>(slot);
    } else if (slot >= 0) {
      n->CacheSlot = static_cast<std::uint32_t>(slot);
    }
    return;
  }
  t.TopLocal().Set(NameOf(n), value);
}

// ---------------------------------------------------------------------------------------
// Member access

TJObject* TJEngine::TemporaryFor(const TJValue& base, std::string_view className) {
  TJValueList args;
  args.Add(base);
  return factory_.CreateObject(className, &args);
}

TJSymbolTable& TJEngine::ModuleTable(const TJFunction& module, std::string_view name) {
  // A module value of an earlier run may name a table that is gone.
  if (module.Generation != generation_ || module.Definition == nullptr) ThrowScriptError(errors::kName, name);
  return *static_cast<TJSymbolTable*>(const_cast<void*>(module.Definition));
}

TJValue TJEngine::ReadModuleMember(TJFunction& module, const TJName& name) {
  TJSymbolTable* table = &ModuleTable(module, name.Text());
  TJValue v;
  table->LookupMember(name, v);
  if (v.Kind() == jkFunction && v.FuncValue() != nullptr && v.FuncValue()->FuncKind == TJFunctionKind::Script) {
    v.FuncValue()->ScopeName = table->TableName();
  }
  return v;
}

// ---------------------------------------------------------------------------------------
// Inline caches of dot access: a member-name node remembers a shape and what its name is
// in objects of that shape (an entry's slot, an entry of the top layer, or a native method
// of a class layer, or a property a class publishes, which comes before them all). Only
// objects whose dot access is TJObject's own use them.

bool TJEngine::FillMemberCache(TJObject& object, const TJExpr* member) {
  const TJMemberStore& store = object.Members();
  const TJShape* shape = store.Shape();
  if (shape->Dictionary()) return false;
  const TJName name = NameOf(member);
  TJShape::Found found;
  if (const TJPropertyInfo* p = object.FindPropertyInfo(name)) {
    member->CacheKind = kProperty;
    member->CacheMethod = p;
  } else if (found = store.Resolve(name); found.slot >= 0) {
    member->CacheKind = shape->SlotAt(static_cast<std::size_t>(found.slot)).layer + 1 == shape->LayerCount() ? kTopSlot : kSlot;
    member->CacheMemberSlot = static_cast<std::uint32_t>(found.slot);
  } else if (found.method != nullptr) {
    member->CacheKind = kNativeMethod;
    member->CacheMethod = found.method;
  } else {
    return false;
  }
  member->CacheShapeId = shape->Id();
  return true;
}

bool TJEngine::ReadStandardMember(TJObject& object, const TJExpr* member, TJValue& out) {
  if (member->CacheShapeId != object.Members().Shape()->Id() && !FillMemberCache(object, member)) return false;
  switch (member->CacheKind) {
    case kNativeMethod:
      out = function_factory::Native(static_cast<const TJMethodInfo*>(member->CacheMethod)->Method, &object);
      return true;
    case kProperty: {
      // As TJObject::GetValue: a property of object type without an object gives way to
      // the member of that name.
      const auto* p = static_cast<const TJPropertyInfo*>(member->CacheMethod);
      if (p->Get == nullptr) ThrowScriptError(errors::kSetOnly);
      TJValue v = p->Get(object);
      if (p->Type == TJPropertyType::Object && (v.Kind() != jkObject || v.ObjValue() == nullptr)) {
        out = TJValue();
        if (!object.ReadMember(NameOf(member), out)) ThrowScriptError(errors::kName, member->Name);
        return true;
      }
      out = std::move(v);
      return true;
    }
    default:
      out = object.Members().Read(member->CacheMemberSlot, &object);
      return true;
  }
}

bool TJEngine::WriteStandardMember(TJObject& object, const TJExpr* member, const TJValue& value) {
  if (member->CacheShapeId != object.Members().Shape()->Id() && !FillMemberCache(object, member)) return false;
  if (member->CacheKind != kTopSlot) return false;  // a new entry of the top layer: by name
  object.Members().Assign(member->CacheMemberSlot, value);
  return true;
}

TJValue TJEngine::ReadMember(const TJValue& base, const TJExpr* member, bool bracket, const TJValue& key) {
  TJObject* object = nullptr;
  switch (base.Kind()) {
    case jkObject:
      object = base.ObjValue();
      break;
    case jkString: {
      TJValue out;
      if ((bracket || member != nullptr) && ReadStringMember(base, member, bracket, key, out)) return out;
      object = TemporaryFor(base, "String");
      break;
    }
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
    if (!object->StandardMemberAccess() || !ReadStandardMember(*object, member, out)) {
      object->GetValue(NameOf(member), false, out);
    }
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
  CheckStack();
  // An element of an array by a numeric key, or a number in a member, read in place.
  if (n->Code != ecSuperMember && NumericRoot(n)) {
    const TJNum r = Num(n);
    if (r.Ok()) return r.Value();
    NumericMiss(n);
  }
  if (n->Code == ecSuperMember) {
    TJObject* self = tables_.CurrentThis();
    const TJExpr* member = n->Operand2;
    TJValue out;
    self->GetSuperValue(NameOf(member), out);
    if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(self);
    return out;
  }
  const TJValue base = Eval(n->Operand1);
  // A member of an object in the dot form: through the name node's cache when it answers.
  if (n->Code == ecMember && base.Kind() == jkObject && base.ObjValue() != nullptr) {
    TJObject* object = base.ObjValue();
    const TJExpr* member = n->Operand2;
    TJValue out;
    if (member != nullptr && member->Code == ecIdentifier && object->StandardMemberAccess() &&
        ReadStandardMember(*object, member, out)) {
      if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(object);
      return out;
    }
  }
  // An element of an object read with an integer key (an array, say).
  if (n->Code == ecIndex && base.Kind() == jkObject && base.ObjValue() != nullptr) {
    const TJValue key = Eval(n->Operand2);
    TJValue out;
    if (key.Kind() != jkInteger || !base.ObjValue()->GetIndexed(key.IntValue(), out)) {
      return ReadMember(base, n->Operand2, true, key);
    }
    if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(base.ObjValue());
    return out;
  }
  return MemberOf(base, n);
}

// ---------------------------------------------------------------------------------------
// Assignment targets

void TJEngine::ResolveTarget(const TJExpr* node, Target& t, bool willRead) {
  t.node = node;
  if (node == nullptr) return;
  if (node->Code == ecIdentifier) {
    t.kind = Target::Kind::Identifier;
    return;
  }
  if (node->Code != ecMember && node->Code != ecIndex) return;
  ResolveMemberTarget(node, Eval(node->Operand1), t, willRead);
}

void TJEngine::ResolveMemberTarget(const TJExpr* node, TJValue base, Target& t, bool willRead) {
  t.node = node;
  t.kind = Target::Kind::Member;
  t.base = std::move(base);
  const TJExpr* member = node->Operand2;
  t.bracket = !(node->Code == ecMember && member != nullptr && member->Code == ecIdentifier);
  if (t.bracket && KeyIsEvaluated(t.base, willRead)) t.key = Eval(member);
}

// Only a base that can take the member computes the key; the others fail first (a read
// of a string's member goes through a String object, a write to it fails).
bool TJEngine::KeyIsEvaluated(const TJValue& base, bool willRead) noexcept {
  switch (base.Kind()) {
    case jkObject:
      return true;
    case jkString:
      return willRead;
    case jkFunction:
      return base.FuncValue() != nullptr && base.FuncValue()->FuncKind == TJFunctionKind::Module;
    default:
      return false;
  }
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
      StoreIdentifier(t.node, value);
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
      if (!object->StandardMemberAccess() || !WriteStandardMember(*object, member, value)) {
        object->SetValue(NameOf(member), value, false);
      }
    } else if (t.key.Kind() != jkInteger || !object->SetIndexed(t.key.IntValue(), value)) {
      const SharedString text = ToText(t.key);
      object->SetValue(TJName(text), value, true);
    }
    return;
  }
  if (t.base.Kind() == jkFunction && t.base.FuncValue() != nullptr &&
      t.base.FuncValue()->FuncKind == TJFunctionKind::Module) {
    // A module's variables, never the running function's locals.
    TJSymbolTable* table = &ModuleTable(*t.base.FuncValue(), member != nullptr ? std::string_view(member->Name) : std::string_view());
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
  CheckStack();
  TJNum number;
  if (AssignLocalNumber(n, number) || AssignElementNumber(n, number) || AssignMemberNumber(n, number)) {
    return number.Value();
  }
  return AssignValue(n);
}

TJValue TJEngine::AssignValue(const TJExpr* n) {
  TJValue value = Eval(n->Operand2);
  const TJExpr* target = n->Operand1;
  if (target != nullptr && target->Code == ecIdentifier) {
    StoreIdentifier(target, value);
    return value;
  }
  Target t;
  if (target != nullptr && (target->Code == ecMember || target->Code == ecIndex)) {
    TJValue base = Eval(target->Operand1);
    // A member or element of an object: straight to the object.
    if (base.Kind() == jkObject && base.ObjValue() != nullptr) {
      TJObject* object = base.ObjValue();
      const TJExpr* member = target->Operand2;
      if (target->Code == ecMember && member != nullptr && member->Code == ecIdentifier) {
        if (!object->StandardMemberAccess() || !WriteStandardMember(*object, member, value)) {
          object->SetValue(NameOf(member), value, false);
        }
        return value;
      }
      const TJValue key = Eval(member);
      if (key.Kind() != jkInteger || !object->SetIndexed(key.IntValue(), value)) {
        const SharedString text = ToText(key);
        object->SetValue(TJName(text), value, true);
      }
      return value;
    }
    ResolveMemberTarget(target, std::move(base), t, false);
  } else {
    ResolveTarget(target, t, false);
  }
  WriteTarget(t, value);
  return value;
}

TJValue TJEngine::EvalCompoundAssign(const TJExpr* n) {
  CheckStack();
  const std::uint8_t code = CompoundOperator(n->Code);
  TJValue value = Eval(n->Operand2);
  // A bound local of the running function: read and written in its slot.
  if (TJValue* slot = BoundLocal(n->Operand1)) {
    TJValue result = Operate(code, *slot, value);
    StoreLocal(slot, result);
    return result;
  }
  // The target's object and key are evaluated once, for the read and the write.
  Target t;
  ResolveTarget(n->Operand1, t, true);
  const TJValue old = ReadTarget(t);
  TJValue result = Operate(code, old, value);
  WriteTarget(t, result);
  return result;
}

TJValue TJEngine::EvalIncrement(const TJExpr* n) {
  CheckStack();
  const bool up = n->Code == ecPreIncrement || n->Code == ecPostIncrement;
  const bool prefix = n->Code == ecPreIncrement || n->Code == ecPreDecrement;
  const auto step = [up](const TJValue& v) {
    return TJValue::Integer(Wrap(static_cast<std::int64_t>(ToInteger(v)) + (up ? 1 : -1)));
  };
  if (TJValue* slot = BoundLocal(n->Operand1)) {
    TJValue old = *slot;
    const TJValue stepped = step(old);
    StoreLocal(slot, stepped);
    return prefix ? stepped : old;
  }
  Target t;
  ResolveTarget(n->Operand1, t, true);
  TJValue old = ReadTarget(t);
  const TJValue stepped = step(old);
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
  if (lastCell == nullptr) return;
  if (lastCell->Operand1 == nullptr) {  // one argument, the common case
    out.Add(Operand(lastCell->Operand2));
    return;
  }
  const std::size_t n = ListLength(lastCell);
  out.Reserve(n);
  for (const TJExpr* c = lastCell; c != nullptr; c = c->Operand1) out.Add(Operand(c->Operand2));
  // Evaluated last to first; handed over in source order.
  for (std::size_t i = 0, j = n - 1; i < j; ++i, --j) out.Exchange(i, j);
}

namespace {

// An expression whose evaluation runs no script code and changes no member: constants,
// names, `this`, member reads and operators over them (a few levels deep).
bool RunsNoScript(const TJExpr* n, int depth) {
  if (n == nullptr) return true;
  switch (n->Code) {
    case ecConstant:
    case ecIdentifier:
    case ecThis:
      return true;
    case ecMember:
    case ecIndex:
    case ecAdd:
    case ecSubtract:
    case ecMultiply:
    case ecDivide:
    case ecRemainder:
    case ecLess:
    case ecGreater:
    case ecLessEqual:
    case ecGreaterEqual:
    case ecEqual:
    case ecNotEqual:
    case ecStrictEqual:
    case ecStrictNotEqual:
    case ecNot:
    case ecMinus:
      return depth > 0 && RunsNoScript(n->Operand1, depth - 1) && RunsNoScript(n->Operand2, depth - 1);
    default:
      return false;
  }
}

bool ArgumentsRunNoScript(const TJExpr* lastCell) {
  for (const TJExpr* c = lastCell; c != nullptr; c = c->Operand1) {
    if (!RunsNoScript(c->Operand2, 3)) return false;
  }
  return true;
}

}  // namespace

TJValue TJEngine::EvalCall(const TJExpr* n) {
  CheckStack();
  const TJExpr* calleeNode = n->Operand1;
  TJValue callee;
  if (calleeNode != nullptr && calleeNode->Code == ecMember) {
    const TJExpr* member = calleeNode->Operand2;
    const TJValue base = Eval(calleeNode->Operand1);
    if (TJValue r; base.Kind() == jkString && CallStringMethod(base, member, n->Operand2, r)) return r;
    TJObject* object = base.Kind() == jkObject ? base.ObjValue() : nullptr;
    if (object != nullptr && member != nullptr && member->Code == ecIdentifier && object->StandardMemberAccess() &&
        (member->CacheShapeId == object->Members().Shape()->Id() || FillMemberCache(*object, member))) {
      // A native method of the object's class is called without a record (a record made
      // for the read would be dropped at once).
      if (member->CacheKind == kNativeMethod) {
        return CallNativeMethod(*object, *static_cast<const TJMethodInfo*>(member->CacheMethod), n->Operand2);
      }
      // A script class's method that the object still holds as the class's stand-in runs
      // with the object, no record made, when nothing the arguments do could see the
      // record (it would be bound to the object by this read).
      TJValue* held = member->CacheKind != kProperty ? &object->Members().Value(member->CacheMemberSlot) : nullptr;
      if (held != nullptr && held->Kind() == jkFunction && held->FuncValue() != nullptr &&
          held->FuncValue()->StandIn != TJStandIn::None && ArgumentsRunNoScript(n->Operand2)) {
        if (held->FuncValue()->StandIn == TJStandIn::Unbound) *held = TJValue::Function(held->FuncValue()->BoundTwin);
        const TJValue method = *held;
        return CallWithArguments(*method.FuncValue(), object, n->Operand2);
      }
    }
    if (TJValue r; object != nullptr && CallTableMethod(*object, member, n->Operand2, r)) return r;
    callee = MemberOf(base, calleeNode);
  } else {
    callee = Operand(calleeNode);
  }
  if (callee.Kind() != jkFunction) ThrowScriptError(errors::kCallFailed);
  TJFunction* f = callee.FuncValue();
  if (f != nullptr && f->FuncKind == TJFunctionKind::Script) return CallWithArguments(*f, nullptr, n->Operand2);
  TJValueList args;
  EvalArguments(n->Operand2, args);
  return Call(callee, args);
}

// A script function with at most two arguments gets them without a list.
TJValue TJEngine::CallWithArguments(TJFunction& f, TJObject* self, const TJExpr* last) {
  if (last == nullptr) return CallScriptOn(f, self, nullptr, 0);
  if (last->Operand1 == nullptr) {
    const TJValue one = Operand(last->Operand2);
    return CallScriptOn(f, self, &one, 1);
  }
  if (last->Operand1->Operand1 == nullptr) {
    TJValue two[2];
    two[1] = Operand(last->Operand2);
    two[0] = Operand(last->Operand1->Operand2);
    return CallScriptOn(f, self, two, 2);
  }
  return CallWithArgumentList(f, self, last);
}

TJValue TJEngine::EvalNew(const TJExpr* n) {
  CheckStack();
  const NewParts parts = PartsOfNew(*n);
  TJValueList args;
  EvalArguments(parts.lastArgument, args);
  const TJName className(parts.className->Name, parts.className->Hash);
  if (parts.module == nullptr) return TJValue::Object(CreateScriptObject(className, &args, 0, 0, parts.className));
  const TJCurrentTableScope inModule(tables_, SharedString(parts.module->Name));
  tables_.Current();  // an unknown module raises ENameError here
  return TJValue::Object(CreateScriptObject(className, &args, 0, 0, parts.className));
}

TJValue TJEngine::EvalObjectLiteral(const TJExpr* n) {
  CheckStack();
  TJObject* object = factory_.CreatePlainObject();
  for (const TJExpr* c = n->Operand1; c != nullptr; c = c->Operand1) {
    if (c->Operand2 == nullptr) continue;
    const PropertyParts property = PartsOfProperty(*c->Operand2);
    if (property.name == nullptr) continue;
    const TJValue value = Eval(property.value);
    object->SetValue(NameOf(property.name), value, true);
  }
  return TJValue::Object(object);
}

TJValue TJEngine::EvalArrayLiteral(const TJExpr* n) {
  CheckStack();
  TJValueList elements;
  EvalArguments(n->Operand1, elements);
  return TJValue::Object(factory_.CreateArray(&elements));
}

}  // namespace kestrin
