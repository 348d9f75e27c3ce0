// The automation seam: an interface shaped like the platform's dispatch interface (names
// to ids, invoke as property get, property put or method call, property names). Values
// hold it by intrusive reference count. The Linux backend speaks to D-Bus services
// (automation_dbus.cpp, see docs/automation.md); collections it returns are
// AutomationCollection objects (automation_collection.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkoran::platform {

class Automation;

// The VARIANT subset that crosses the seam. A variant holding a dispatch interface keeps
// one reference to it: copies take another, destruction gives it back.
struct Variant {
  enum class Type { Empty, Null, Int16, Int32, Byte, Single, Double, String, Bool, Dispatch, Other };
  Type type = Type::Empty;
  std::int32_t intValue = 0;
  double numValue = 0;
  std::string strValue;
  bool boolValue = false;
  Automation* dispValue = nullptr;  // counted while the variant holds it

  Variant() = default;
  Variant(const Variant& o);
  Variant(Variant&& o) noexcept;
  Variant& operator=(Variant o) noexcept;
  ~Variant();
  // A dispatch variant holding d (a reference is taken).
  static Variant FromDispatch(Automation* d);
};

enum class InvokeKind { Method, PropertyGet, PropertyPut };

class Automation {
 public:
  virtual void AddRef() = 0;
  virtual void Release() = 0;
  // Dispatch id of a member name, or nothing when the object has no such member.
  virtual std::optional<std::int32_t> IdOfName(std::string_view name) = 0;
  // Arguments arrive in reverse order, as the platform's dispatch interface passes them.
  // Returns false on failure.
  virtual bool Invoke(std::int32_t dispId, InvokeKind kind, const std::vector<Variant>& reversedArgs,
                      Variant& result) = 0;
  virtual std::vector<std::string> PropertyNames() = 0;

 protected:
  virtual ~Automation() = default;
};

// Reference counting for implementations: an object starts at zero and the last Release
// deletes it. Objects belong to the thread that runs the script.
class CountedAutomation : public Automation {
 public:
  void AddRef() override { ++refs_; }
  void Release() override {
    if (--refs_ == 0) delete this;
  }

 private:
  std::int32_t refs_ = 0;
};

// Creates the object a program id names (the backend's syntax, docs/automation.md): a
// dispatch variant holding it, or an empty variant when it cannot be had. The reason goes
// to the debug output (standard error).
Variant CreateAutomationObject(std::string_view programId);

// A backend that blocks on a call runs the innermost hook of the calling thread between
// its waits, at most every 50 ms; a hook that answers true abandons the call, which then
// fails. Scopes nest: a hook is in force from its construction to its destruction.
class AutomationAbortHook {
 public:
  explicit AutomationAbortHook(std::function<bool()> poll) : poll_(std::move(poll)), outer_(current_) {
    current_ = this;
  }
  ~AutomationAbortHook() { current_ = outer_; }
  AutomationAbortHook(const AutomationAbortHook&) = delete;
  AutomationAbortHook& operator=(const AutomationAbortHook&) = delete;

  // Runs the innermost hook; false when none is in force.
  static bool AbortRequested() { return current_ != nullptr && current_->poll_ && current_->poll_(); }

 private:
  std::function<bool()> poll_;
  AutomationAbortHook* outer_;
  static inline thread_local AutomationAbortHook* current_ = nullptr;
};

inline Variant::Variant(const Variant& o)
    : type(o.type), intValue(o.intValue), numValue(o.numValue), strValue(o.strValue),
      boolValue(o.boolValue), dispValue(o.dispValue) {
  if (dispValue != nullptr) dispValue->AddRef();
}
inline Variant::Variant(Variant&& o) noexcept
    : type(o.type), intValue(o.intValue), numValue(o.numValue), strValue(std::move(o.strValue)),
      boolValue(o.boolValue), dispValue(o.dispValue) {
  o.dispValue = nullptr;
  o.type = Type::Empty;
}
inline Variant& Variant::operator=(Variant o) noexcept {
  std::swap(type, o.type);
  std::swap(intValue, o.intValue);
  std::swap(numValue, o.numValue);
  std::swap(strValue, o.strValue);
  std::swap(boolValue, o.boolValue);
  std::swap(dispValue, o.dispValue);
  return *this;
}
inline Variant::~Variant() {
  if (dispValue != nullptr) dispValue->Release();
}
inline Variant Variant::FromDispatch(Automation* d) {
  Variant v;
  v.type = Type::Dispatch;
  v.dispValue = d;
  if (d != nullptr) d->AddRef();
  return v;
}

}  // namespace velkoran::platform
