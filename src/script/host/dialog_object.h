// TJDialogObject, the script class "Dialog": the open, save and folder dialogs. They are
// asked through the host's user-question interface; where the host can show no dialog
// (the console runner) each method raises EDialogError.
#pragma once

#include <string>

#include "script/object.h"

namespace velkoran::platform {
class UserQuestions;
}

namespace kestrin {

class TJDialogObject : public TJObject {
 public:
  TJDialogObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

 private:
  void OpenFileMethod(TJValueList& args, TJValue& result);
  void OpenFilesMethod(TJValueList& args, TJValue& result);
  void SaveFileMethod(TJValueList& args, TJValue& result);
  void OpenFolderMethod(TJValueList& args, TJValue& result);

  // The host's questions, or EDialogError naming the operation when it shows no dialogs.
  velkoran::platform::UserQuestions& Questions(std::string_view operation);
  // The title argument, or the program's name.
  std::string Title(const TJValueList& args);
  static std::string Name(const TJValueList& args);
};

}  // namespace kestrin
