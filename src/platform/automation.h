// The automation seam: an interface shaped like the platform's dispatch interface (names
// to ids, invoke as property get, property put or method call, property names). Values
// hold it by intrusive reference count. The Linux backend comes later; until then no
// object implements it and creation from a program id fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkoran::platform {

// The VARIANT subset that crosses the seam.
struct Variant {
  enum class Type { Empty, Null, Int16, Int32, Byte, Single, Double, String, Bool, Dispatch, Other };
  Type type = Type::Empty;
  std::int32_t intValue = 0;
  double numValue = 0;
  std::string strValue;
  bool boolValue = false;
  class Automation* dispValue = nullptr;  // counted while the variant holds it
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

}  // namespace velkoran::platform
