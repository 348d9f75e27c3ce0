// Function records: the record behind every jkFunction value (script functions, native
// and automation methods, script classes, modules), the weak links through which a record
// remembers the object it is bound to, and the function factory that makes records.
//
// Records are counted by the values that name them (value.h) and freed with the last one,
// so a function value never outlives its record. value.h includes this header; nothing
// here needs the value record itself.
#pragma once

#include <cstdint>

#include "platform/automation.h"
#include "script/shared_string.h"

namespace kestrin {

class TJObject;
class TJValue;
class TJValueList;
class TJSymbolTable;
struct TJStatement;
using IDispatchRef = velkoran::platform::Automation;

// ---------------------------------------------------------------------------------------
// Weak object links: callable records remember the object they are bound to without
// keeping it alive; when the object is freed the link reads as null.

struct TJObjectLink {
  TJObject* Object = nullptr;
  std::uint32_t Refs = 0;
};

class TJWeakObject {
 public:
  TJWeakObject() noexcept = default;
  TJWeakObject(const TJWeakObject&) = delete;
  TJWeakObject& operator=(const TJWeakObject&) = delete;
  ~TJWeakObject() { Reset(nullptr); }
  TJObject* Get() const noexcept { return link_ != nullptr ? link_->Object : nullptr; }
  void Reset(TJObject* object);

 private:
  TJObjectLink* link_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// Callable records

// A native method: the object it was fetched from (its owner), the arguments, the result
// (undefined unless the method sets it).
using TJNativeMethod = void (*)(TJObject& self, TJValueList& args, TJValue& result);

enum class TJFunctionKind : std::uint8_t { Script = 0, Native = 1, Automation = 2, Class = 3, Module = 4 };

// A script class's method lives in every instance as that instance's own record (its
// `This` changes with each read). Until a script reads it as a value, an instance holds
// a stand-in shared by the class instead: Unbound for a record whose `This` would still
// be empty, Bound for one whose `This` would be the instance (a dot read or call set it).
// Whoever takes the value out of the instance makes the record first (OwnRecord below);
// a call o.m(...) runs a stand-in with o directly (calls.cpp, evaluate.cpp).
enum class TJStandIn : std::uint8_t { None = 0, Unbound = 1, Bound = 2 };

// Objects are held weakly: a method whose owner is gone can no longer be called.
struct TJFunction {
  TJFunction() = default;
  TJFunction(const TJFunction&) = delete;
  TJFunction& operator=(const TJFunction&) = delete;
  ~TJFunction();

  std::uint32_t Refs = 0;                   // the values that name the record (value.h)
  TJFunctionKind FuncKind = TJFunctionKind::Script;
  TJStandIn StandIn = TJStandIn::None;      // a class's stand-in for instance records
  std::int32_t DispId = 0;                  // automation method: the member's dispatch id
  const TJStatement* Params = nullptr;      // script function: first parameter node
  IDispatchRef* Dispatch = nullptr;         // automation method: the object (counted)
  TJWeakObject This;                        // the object it was last fetched from as a member
  SharedString ScopeName;                   // script function: its module table's name
  const void* Definition = nullptr;         // declaration node, class node or module table
  TJNativeMethod Method = nullptr;          // native method: the routine
  TJWeakObject Owner;                       // native method: the object that registered it
  std::uint32_t Generation = 0;             // script function or class: the engine's run
  const void* Info = nullptr;               // the engine's prepared view of Definition
  TJFunction* BoundTwin = nullptr;          // an Unbound stand-in: its Bound one (counted)

  TJObject* OwnerObject() const noexcept { return Owner.Get(); }
};

// Same callable: same kind and same identifying references.
bool SameCallable(const TJFunction& a, const TJFunction& b) noexcept;

// The function factory: each call makes a record and returns the value that names it.
namespace function_factory {
TJValue Native(TJNativeMethod method, TJObject* owner);
TJValue Automation(IDispatchRef* dispatch, std::int32_t dispId);
TJValue Script(const TJStatement* definition, const TJStatement* params, SharedString scopeName,
               std::uint32_t generation, const void* info);
TJValue Class(const TJStatement* definition, std::uint32_t generation);
TJValue Module(TJSymbolTable* table, std::uint32_t generation);
// The Unbound stand-in for the instance records of a script method record (and its Bound
// twin); the record itself is left as it is.
TJValue StandIn(const TJFunction& method);
// Replaces the stand-in in an instance's slot by the instance's own record, bound to
// owner when the stand-in was Bound (slot holds a stand-in).
void OwnRecord(TJValue& slot, TJObject* owner);
}  // namespace function_factory

// Frees a record whose count reached zero.
void DestroyFunction(TJFunction* f) noexcept;

}  // namespace kestrin
