#include "script/host/win32_object.h"

#include "platform/process.h"
#include "script/engine.h"
#include "script/host/host_errors.h"

namespace kestrin {

const TJClassInfo& TJWin32Object::Info() {
  using W = TJWin32Object;
  static const TJClassInfo info = TJClassBuilder<W>("Win32")
                                      .Method<&W::SleepMethod>("sleep")
                                      .Method<&W::WinExecMethod>("WinExec")
                                      .Method<&W::ProcessMessagesMethod>("processMessages")
                                      .Build();
  return info;
}

TJWin32Object::TJWin32Object(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
}

void TJWin32Object::SleepMethod(TJValueList& args, TJValue&) {
  if (TJValueList::Has1(&args)) velkoran::platform::SleepMilliseconds(ToInteger(args[0]));
}

void TJWin32Object::WinExecMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) ThrowScriptError(errors::kWin32, "WinExec error");
  const auto words = velkoran::platform::SplitCommandLine(ToText(args[0]).view());
  if (!words || words->empty() || velkoran::platform::StartDetached(*words) != 0)
    ThrowScriptError(errors::kWin32, "WinExec error");
}

void TJWin32Object::ProcessMessagesMethod(TJValueList&, TJValue&) {
  // The engine's poll hook is where the host handles its pending events.
  if (TJEngine* engine = Engine(); engine != nullptr && engine->OnPoll) engine->OnPoll(*engine);
}

}  // namespace kestrin
