// TJValue: every value a script computes, stores, passes or returns.
//
// Sixteen bytes: the kind, the length of a string payload, and one eight-byte payload.
// Copying a value of a number, boolean or object kind is a plain copy; strings share their
// buffer by reference count, dispatch values their interface, function values their
// function record (so a record lives exactly as long as some value names it). Objects are
// not owned here: they live by the counts that member tables and counting lists keep
// (see object.h). The function record is defined in function_record.h.
#pragma once

#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation.h"
#include "script/function_record.h"
#include "script/shared_string.h"

namespace kestrin {

class TJObject;

enum TJValueKind : std::uint8_t {
  jkUndefined = 0,
  jkNull = 1,
  jkInteger = 2,
  jkNumber = 3,
  jkString = 4,
  jkObject = 5,
  jkBoolean = 6,
  jkFunction = 7,
  jkInfinity = 8,
  jkNaN = 9,
  jkDispatch = 10,
};

class TJValue {
 public:
  TJValue() noexcept { u_.raw = nullptr; }
  TJValue(const TJValue& o) noexcept : kind_(o.kind_), strLen_(o.strLen_), u_(o.u_) { Retain(); }
  TJValue(TJValue&& o) noexcept : kind_(o.kind_), strLen_(o.strLen_), u_(o.u_) {
    o.kind_ = jkUndefined;
    o.u_.raw = nullptr;
  }
  TJValue& operator=(const TJValue& o) noexcept {
    if (this != &o) {
      TJValue copy(o);
      Swap(copy);
    }
    return *this;
  }
  TJValue& operator=(TJValue&& o) noexcept {
    if (this != &o) {
      Drop();
      kind_ = o.kind_;
      strLen_ = o.strLen_;
      u_ = o.u_;
      o.kind_ = jkUndefined;
      o.u_.raw = nullptr;
    }
    return *this;
  }
  ~TJValue() { Drop(); }

  // Named constructors.
  static TJValue Undefined() noexcept { return TJValue(); }
  static TJValue Null() noexcept { return Tagged(jkNull); }
  static TJValue NaN() noexcept { return Tagged(jkNaN); }
  static TJValue Infinity() noexcept { return Tagged(jkInfinity); }
  static TJValue Integer(std::int32_t i) noexcept {
    TJValue v = Tagged(jkInteger);
    v.u_.i = i;
    return v;
  }
  static TJValue Number(double d) noexcept {
    TJValue v = Tagged(jkNumber);
    v.u_.d = d;
    return v;
  }
  static TJValue Boolean(bool b) noexcept {
    TJValue v = Tagged(jkBoolean);
    v.u_.b = b;
    return v;
  }
  static TJValue Object(TJObject* o) noexcept {
    TJValue v = Tagged(jkObject);
    v.u_.o = o;
    return v;
  }
  static TJValue Function(TJFunction* f) noexcept {
    TJValue v = Tagged(jkFunction);
    v.u_.f = f;
    if (f != nullptr) ++f->Refs;
    return v;
  }
  static TJValue Text(const SharedString& s) noexcept {
    TJValue v = Tagged(jkString);
    v.u_.s = s.buffer();
    v.strLen_ = static_cast<std::uint32_t>(s.size());
    SharedString::AddRef(v.u_.s);
    return v;
  }
  static TJValue Text(std::string_view s) { return Text(SharedString(s)); }
  static TJValue Text(const char* s) { return Text(SharedString(std::string_view(s))); }
  static TJValue Text(const std::string& s) { return Text(SharedString(std::string_view(s))); }
  static TJValue Dispatch(IDispatchRef* d) noexcept {
    TJValue v = Tagged(jkDispatch);
    v.u_.disp = d;
    if (d != nullptr) d->AddRef();
    return v;
  }

  // The mark of a local slot whose name is not bound (yet): never a script value, and
  // never leaves the local scopes (function_layout.h).
  static TJValue Unbound() noexcept { return Tagged(kUnbound); }
  bool IsUnbound() const noexcept { return kind_ == kUnbound; }

  TJValueKind Kind() const noexcept { return kind_; }
  bool Is(TJValueKind k) const noexcept { return kind_ == k; }

  // Payload accessors: each reads the payload of its own kind only (checked in builds
  // with assertions).
  std::int32_t IntValue() const noexcept {
    assert(kind_ == jkInteger);
    return u_.i;
  }
  bool BoolValue() const noexcept {
    assert(kind_ == jkBoolean);
    return u_.b;
  }
  double NumValue() const noexcept {
    assert(kind_ == jkNumber);
    return u_.d;
  }
  TJObject* ObjValue() const noexcept {
    assert(kind_ == jkObject);
    return u_.o;
  }
  TJFunction* FuncValue() const noexcept {
    assert(kind_ == jkFunction);
    return u_.f;
  }
  IDispatchRef* DispValue() const noexcept {
    assert(kind_ == jkDispatch);
    return u_.disp;
  }
  // The string payload; empty for other kinds.
  std::string_view StrView() const noexcept {
    return kind_ == jkString && u_.s != nullptr ? std::string_view(u_.s->data, strLen_)
                                                : std::string_view();
  }
  SharedString StrValue() const noexcept {
    return kind_ == jkString ? SharedString::FromBuffer(u_.s, strLen_) : SharedString();
  }

  void Swap(TJValue& o) noexcept {
    std::swap(kind_, o.kind_);
    std::swap(strLen_, o.strLen_);
    std::swap(u_, o.u_);
  }

 private:
  static TJValue Tagged(TJValueKind k) noexcept {
    TJValue v;
    v.kind_ = k;
    return v;
  }
  static constexpr TJValueKind kUnbound = static_cast<TJValueKind>(0xFF);
  // Kinds below jkString own nothing; that test is the fast path of every copy (an
  // unbound mark owns nothing either).
  void Retain() noexcept {
    if (kind_ < jkString) return;
    if (kind_ == jkString) {
      SharedString::AddRef(u_.s);
    } else if (kind_ == jkFunction) {
      if (u_.f != nullptr) ++u_.f->Refs;
    } else if (kind_ == jkDispatch && u_.disp != nullptr) {
      u_.disp->AddRef();
    }
  }
  void Drop() noexcept {
    if (kind_ < jkString) return;
    if (kind_ == jkString) {
      SharedString::Release(u_.s);
    } else if (kind_ == jkFunction) {
      if (u_.f != nullptr && --u_.f->Refs == 0) DestroyFunction(u_.f);
    } else if (kind_ == jkDispatch && u_.disp != nullptr) {
      u_.disp->Release();
    }
  }

  TJValueKind kind_ = jkUndefined;
  std::uint32_t strLen_ = 0;
  union Payload {
    std::int32_t i;
    bool b;
    double d;
    TJObject* o;
    TJFunction* f;
    SharedString::Buffer* s;
    IDispatchRef* disp;
    void* raw;
  } u_;
};

static_assert(sizeof(TJValue) == 16, "TJValue stays two words");

// A value that owns no buffer and that no member table or list keeps a count for:
// undefined, null, numbers, booleans, NaN, Infinity (and the unbound mark). Such a value
// can be overwritten in place.
[[gnu::always_inline]] inline bool Uncounted(const TJValue& v) noexcept {
  constexpr std::uint32_t kCounted = 1u << jkString | 1u << jkObject | 1u << jkFunction | 1u << jkDispatch;
  const unsigned kind = v.Kind();
  return kind >= 32 || ((kCounted >> kind) & 1u) == 0;
}

// The constructors by their names in the value model.
inline void SetUndefined(TJValue& v) noexcept { v = TJValue(); }
inline void SetNull(TJValue& v) noexcept { v = TJValue::Null(); }
inline void SetInteger(TJValue& v, std::int32_t i) noexcept { v = TJValue::Integer(i); }
inline void SetNumber(TJValue& v, double d) noexcept { v = TJValue::Number(d); }
inline void SetText(TJValue& v, const SharedString& s) noexcept { v = TJValue::Text(s); }
inline void SetObject(TJValue& v, TJObject* o) noexcept { v = TJValue::Object(o); }
inline void SetBoolean(TJValue& v, bool b) noexcept { v = TJValue::Boolean(b); }
inline void SetNaN(TJValue& v) noexcept { v = TJValue::NaN(); }
inline void SetInfinity(TJValue& v) noexcept { v = TJValue::Infinity(); }
inline void SetDispatch(TJValue& v, IDispatchRef* d) noexcept { v = TJValue::Dispatch(d); }

// Kind tests; each is false for an absent value (a null pointer).
inline bool IsUndefined(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkUndefined; }
inline bool IsNull(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkNull; }
inline bool IsInteger(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkInteger; }
inline bool IsNumber(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkNumber; }
inline bool IsString(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkString; }
inline bool IsObject(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkObject; }
inline bool IsBoolean(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkBoolean; }
inline bool IsFunction(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkFunction; }
inline bool IsInfinity(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkInfinity; }
inline bool IsNaN(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkNaN; }
inline bool IsDispatch(const TJValue* v) noexcept { return v != nullptr && v->Kind() == jkDispatch; }

// Conversions. The pointer forms accept an absent value: tests are false, numbers 0,
// texts empty, booleans false.
bool IsNumeric(const TJValue& v);
bool SameKind(const TJValue& a, const TJValue& b) noexcept;
bool SameFunction(const TJValue& a, const TJValue& b) noexcept;
std::int32_t ToInteger(const TJValue& v);
double ToNumber(const TJValue& v);
SharedString ToTextOf(const TJValue& v);
// Strings (the operands of every concatenation) answer without a call.
inline SharedString ToText(const TJValue& v) { return v.Kind() == jkString ? v.StrValue() : ToTextOf(v); }
bool ToBooleanOf(const TJValue& v) noexcept;
// Booleans (the result of every comparison) answer without a call.
inline bool ToBoolean(const TJValue& v) noexcept {
  return v.Kind() == jkBoolean ? v.BoolValue() : ToBooleanOf(v);
}
std::string_view TypeName(const TJValue& v) noexcept;
IDispatchRef* ToDispatch(const TJValue& v) noexcept;

bool IsNumeric(const TJValue* v);
std::int32_t ToInteger(const TJValue* v);
double ToNumber(const TJValue* v);
SharedString ToText(const TJValue* v);
bool ToBoolean(const TJValue* v) noexcept;
std::string_view TypeName(const TJValue* v) noexcept;

// The decimal parse (first step of ToNumber on a string) and the integer parse (ToInteger
// on a string); nothing when the text does not parse.
std::optional<double> ParseDecimal(std::string_view text);
std::optional<std::int32_t> ParseInteger(std::string_view text);

// The general number format of ToText for jkNumber: 15 significant digits.
std::string FormatNumber(double d);

// The automation seam's value conversions. Script arrays and plain objects go out as
// collections (platform/automation_collection.h); other objects as empty.
TJValue VariantToValue(const velkoran::platform::Variant& var);
velkoran::platform::Variant ValueToVariant(const TJValue& v);

// The identity number of a function record in its text form ("function" + these digits).
std::string FunctionIdentity(const TJFunction& f);

}  // namespace kestrin
