// TJWin32Object, the script class "Win32": pausing the script, starting a program, and
// letting the window handle its pending events during a long script.
#pragma once

#include "script/object.h"

namespace kestrin {

class TJWin32Object : public TJObject {
 public:
  TJWin32Object(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

 private:
  void SleepMethod(TJValueList& args, TJValue& result);
  void WinExecMethod(TJValueList& args, TJValue& result);
  void ProcessMessagesMethod(TJValueList& args, TJValue& result);
};

}  // namespace kestrin
