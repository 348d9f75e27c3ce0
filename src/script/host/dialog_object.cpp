#include "script/host/dialog_object.h"

#include "platform/questions.h"
#include "script/engine.h"
#include "script/host/host_errors.h"
#include "script/host/strings_object.h"
#include "script/kestrin.h"

namespace kestrin {
namespace {

// A dialog's path, or null when it was cancelled.
TJValue PathOrNull(const std::optional<std::string>& path) { return path ? TJValue::Text(*path) : TJValue::Null(); }

}  // namespace

const TJClassInfo& TJDialogObject::Info() {
  using D = TJDialogObject;
  static const TJClassInfo info = TJClassBuilder<D>("Dialog")
                                      .Method<&D::OpenFileMethod>("openFile")
                                      .Method<&D::OpenFilesMethod>("openFiles")
                                      .Method<&D::SaveFileMethod>("saveFile")
                                      .Method<&D::OpenFolderMethod>("openFolder")
                                      .Build();
  return info;
}

TJDialogObject::TJDialogObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
}

velkoran::platform::UserQuestions& TJDialogObject::Questions(std::string_view operation) {
  TJEngine* engine = Engine();
  velkoran::platform::UserQuestions* questions = engine != nullptr ? engine->Questions() : nullptr;
  if (questions == nullptr || !questions->CanShowDialogs())
    host::ThrowOperationError(errors::kDialog, operation, "this program shows no dialogs");
  return *questions;
}

std::string TJDialogObject::Title(const TJValueList& args) {
  if (TJValueList::Has1(&args)) return ToText(args[0]).str();
  const TJEngine* engine = Engine();
  return engine != nullptr && !engine->Caption().empty() ? engine->Caption() : ProgramCaption();
}

std::string TJDialogObject::Name(const TJValueList& args) {
  return TJValueList::Has2(&args) ? ToText(args[1]).str() : std::string();
}

void TJDialogObject::OpenFileMethod(TJValueList& args, TJValue& result) {
  auto& questions = Questions("openFile error");
  result = PathOrNull(questions.OpenFile(Title(args), Name(args)));
}

void TJDialogObject::OpenFilesMethod(TJValueList& args, TJValue& result) {
  auto& questions = Questions("openFiles error");
  const std::vector<std::string> paths = questions.OpenFiles(Title(args), Name(args));
  if (TJObjectFactory* factory = Factory()) result = TJValue::Object(TJStringsObject::CreateWith(*factory, paths));
}

void TJDialogObject::SaveFileMethod(TJValueList& args, TJValue& result) {
  auto& questions = Questions("saveFile error");
  result = PathOrNull(questions.SaveFile(Title(args), Name(args)));
}

void TJDialogObject::OpenFolderMethod(TJValueList& args, TJValue& result) {
  auto& questions = Questions("openFolder error");
  // The initial folder is given without its trailing separator (a root keeps it).
  std::string initial = Name(args);
  if (initial.size() > 1 && initial.back() == '/') initial.pop_back();
  result = PathOrNull(questions.OpenFolder(Title(args), initial));
}

}  // namespace kestrin
