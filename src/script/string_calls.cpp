// Members of string values without a String object per access. A read or call of a
// string's member used to make a temporary String object (lookup of the class by name, a
// shape, the new-object hooks), then a function record for the method. When nobody watches
// object creation and "String" names the built-in class, the engine instead runs the
// class's own routine on one scratch String object that holds the text for the duration
// of the call: the same routine, the same results and errors. What the member name is in a
// String object is remembered in the member node. A method read as a value (`f = s.charAt`)
// still gets its temporary, since the record keeps the object it belongs to.
#include "script/builtins/array.h"
#include "script/builtins/string_methods.h"
#include "script/builtins/string_object.h"
#include "script/engine.h"

namespace kestrin {

namespace {

// The member node's cache for a string base: a shape id no shape has, and what the name is
// in a String object. Object caches never match the id, and this one never matches a shape.
constexpr std::uint64_t kStringValueShape = ~std::uint64_t{0};
enum : std::uint8_t {
  kTextMethod = 0x10,
  kTextCharAt = 0x11,  // methods that the engine calls with one argument without a list
  kTextCharCodeAt = 0x12,
  kTextProperty = 0x13,
  kTextLength = 0x14,
  kTextNothing = 0x15,
};

const TJPropertyInfo* LengthProperty() {
  static const TJPropertyInfo* length = TJStringObject::Info().FindProperty("length", HashName("length"));
  return length;
}

}  // namespace

// The scratch String object holds a text only while one routine runs; a routine that
// reaches another string member meanwhile (none does today) gets a temporary instead.
class TJEngine::ScratchText {
 public:
  ScratchText(TJEngine& engine, const TJValue& text) : engine_(engine) {
    engine_.textScratchBusy_ = true;
    Object().Rebind(text.StrValue());
  }
  ~ScratchText() {
    Object().Rebind(SharedString());
    engine_.textScratchBusy_ = false;
  }
  ScratchText(const ScratchText&) = delete;
  ScratchText& operator=(const ScratchText&) = delete;
  TJStringObject& Object() { return static_cast<TJStringObject&>(*engine_.textScratch_); }

 private:
  TJEngine& engine_;
};

bool TJEngine::StringMembersDirect() {
  static const TJClassInfo* const builtIn = &TJStringObject::Info();
  if ((OnNewObject && ReportValueTemporaries) || textScratchBusy_ || factory_.StringClass() != builtIn) return false;
  if (!textScratch_) textScratch_ = std::make_unique<TJStringObject>(&factory_, nullptr);
  return true;
}

std::uint8_t TJEngine::StringMemberKind(const TJExpr* member) {
  if (member->CacheShapeId == kStringValueShape) return member->CacheKind;
  // Published properties come before members, as in TJObject::GetValue.
  const TJName name(member->Name, member->Hash);
  if (const TJPropertyInfo* p = TJStringObject::Info().FindProperty(name.Text(), name.Hash())) {
    member->CacheKind = p == LengthProperty() ? kTextLength : kTextProperty;
    member->CacheMethod = p;
  } else if (const TJShape::Found found = textScratch_->Members().Resolve(name); found.method != nullptr) {
    member->CacheKind = TJStringObject::IsCharAt(*found.method)       ? kTextCharAt
                        : TJStringObject::IsCharCodeAt(*found.method) ? kTextCharCodeAt
                                                                      : kTextMethod;
    member->CacheMethod = found.method;
  } else {
    member->CacheKind = kTextNothing;  // the temporary's path raises the error
  }
  member->CacheShapeId = kStringValueShape;
  return member->CacheKind;
}

bool TJEngine::CallStringMethod(const TJValue& base, const TJExpr* member, const TJExpr* lastArgument, TJValue& result) {
  if (member == nullptr || member->Code != ecIdentifier || !StringMembersDirect()) return false;
  const std::uint8_t kind = StringMemberKind(member);
  if (kind != kTextMethod && kind != kTextCharAt && kind != kTextCharCodeAt) return false;
  // The two of a parser's every step, with their one argument: no list, no object.
  if (kind != kTextMethod && lastArgument != nullptr && lastArgument->Operand1 == nullptr) {
    const TJValue position = Operand(lastArgument->Operand2);
    result = kind == kTextCharAt ? TJStringObject::CharAtOf(base.StrView(), position)
                                 : TJStringObject::CharCodeAtOf(base.StrView(), position);
    return true;
  }
  // The temporary's read had no effects, so the arguments may come first.
  const auto method = static_cast<const TJMethodInfo*>(member->CacheMethod)->Method;
  TJValueList args;
  EvalArguments(lastArgument, args);
  ScratchText scratch(*this, base);
  method(scratch.Object(), args, result);
  return true;
}

bool TJEngine::ReadStringMember(const TJValue& base, const TJExpr* member, bool bracket, const TJValue& key, TJValue& out) {
  if (!StringMembersDirect()) return false;
  if (bracket) {
    ScratchText scratch(*this, base);
    if (key.Kind() != jkInteger || !scratch.Object().GetIndexed(key.IntValue(), out)) {
      const SharedString text = ToText(key);
      scratch.Object().GetValue(TJName(text), true, out);
    }
    return true;
  }
  switch (StringMemberKind(member)) {
    case kTextLength:
      out = TJValue::Integer(static_cast<std::int32_t>(base.StrView().size()));
      return true;
    case kTextProperty: {
      ScratchText scratch(*this, base);
      const TJName name(member->Name, member->Hash);
      scratch.Object().GetValue(name, false, out);
      return true;
    }
    default:
      return false;  // a method as a value, or an error: through the temporary
  }
}

// ---------------------------------------------------------------------------------------
// In a numeric tree (see TextCallTree and LengthTree)

// As CallStringMethod: with a host watching new objects, or "String" naming another
// class, the general way makes a temporary String object, so it must run.
TJNum TJEngine::NumCharCodeAt(const TJValue& text, const TJExpr* call) {
  if (text.Kind() != jkString || !StringMembersDirect() || StringMemberKind(call->Operand1->Operand2) != kTextCharCodeAt) {
    return TJNum::None();
  }
  const TJNum position = NumOperand(call->Operand2->Operand2);
  // Outside the text the code is NaN, which is no number here: the general way gives it.
  if (position.kind == jkInteger) {
    const int code = strings::CharCodeAt(text.StrView(), position.i);  // what CharCodeAtOf reads
    return code >= 0 ? TJNum::Int(code) : TJNum::None();
  }
  return position.Ok() ? NumOf(TJStringObject::CharCodeAtOf(text.StrView(), position.Value())) : position;
}

// An array's published length comes before any member of that name, as a text's does.
TJNum TJEngine::NumLengthOf(const TJValue& base, const TJExpr* member) {
  if (base.Kind() == jkString) {
    if (!StringMembersDirect() || StringMemberKind(member) != kTextLength) return TJNum::None();
    return TJNum::Int(static_cast<std::int32_t>(base.StrView().size()));
  }
  const TJArrayObject* array = base.Kind() == jkObject ? TJArrayObject::Exactly(base.ObjValue()) : nullptr;
  return array != nullptr ? TJNum::Int(static_cast<std::int32_t>(array->Length())) : TJNum::None();
}

}  // namespace kestrin
