// TJActiveXObject, the script class "ActiveXObject": one automation object (the platform's
// dispatch seam, platform/automation.h) whose members scripts read, write and call as if
// they were its own. `new ActiveXObject(id)` creates the object a program id names (on
// Linux a D-Bus object, docs/automation.md); `new ActiveXObject(dispatchValue)` wraps a
// dispatch value a call returned, without creating anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/hash_table.h"
#include "script/object.h"

namespace kestrin {

class TJActiveXObject : public TJObject {
 public:
  // EActiveXError "create error " + id when the object cannot be created.
  TJActiveXObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  // The automation object's readable properties.
  std::vector<std::string> PropertyNames() override;
  // Names the object does not define itself are the automation object's: a readable
  // property yields its value, anything else a method value that is kept as a member.
  void GetValue(const TJName& name, bool bracket, TJValue& out) override;
  // Names the object does not define itself are put as the automation object's
  // properties; EActiveXError with the name when that fails.
  void SetValue(const TJName& name, const TJValue& value, bool bracket) override;
  bool KeepsStandardMemberAccess() const noexcept override { return false; }

 private:
  TJValue GetDisp() { return disp_; }
  void SetDisp(const TJValue& value) { disp_ = value; }
  // The member's dispatch id, asked once per name; EActiveXError with the name when the
  // object has no such member.
  std::int32_t DispIdOf(const TJName& name);

  TJValue disp_;  // the wrapped object (jkDispatch), or undefined
  TCustomHashTable dispIds_{100, false};
};

}  // namespace kestrin
