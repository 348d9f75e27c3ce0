#include "app/app_script_object.h"

#include "script/value.h"

namespace velkoran::app {

using kestrin::TJClassBuilder;
using kestrin::TJClassInfo;
using kestrin::TJPropertyType;
using kestrin::TJValue;
using kestrin::TJValueList;

const TJClassInfo& TVelkoran::Info() {
  using V = TVelkoran;
  // Properties and methods in the order scripts list them.
  static const TJClassInfo info =
      TJClassBuilder<V>("Velkoran")
          .Property<&V::GetTabIndex>("TabIndex", TJPropertyType::Integer)
          .Property<&V::GetMainBarPosition, &V::SetMainBarPosition>("MainBarPosition", TJPropertyType::Integer)
          .Property<&V::GetSubBarPosition, &V::SetSubBarPosition>("SubBarPosition", TJPropertyType::Integer)
          .Property<&V::GetMainBarMax, &V::SetMainBarMax>("MainBarMax", TJPropertyType::Integer)
          .Property<&V::GetSubBarMax, &V::SetSubBarMax>("SubBarMax", TJPropertyType::Integer)
          .Property<&V::GetTabCount>("TabCount", TJPropertyType::Integer)
          .Property<&V::GetFileBufferIndex, &V::SetFileBufferIndex>("FileBufferIndex", TJPropertyType::Integer)
          .Method<&V::UpdateTreeMethod>("UpdateTree")
          .Method<&V::UpdateFileListMethod>("UpdateFileList")
          .Method<&V::MsgMethod>("Msg")
          .Method<&V::ChangeTabMethod>("ChangeTab")
          .Method<&V::AddToFileBufferMethod>("AddToFileBuffer")
          .Method<&V::ShowFileBufferMethod>("ShowFileBuffer")
          .Build();
  return info;
}

TVelkoran::TVelkoran(kestrin::TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
}

// Properties (written values arrive already converted to integers).

TJValue TVelkoran::GetTabIndex() { return TJValue::Integer(host_ != nullptr ? host_->ScriptTabIndex() : 0); }

TJValue TVelkoran::GetMainBarPosition() {
  return TJValue::Integer(host_ != nullptr ? host_->ScriptProgressPosition(ScriptProgressBar::Main) : 0);
}

void TVelkoran::SetMainBarPosition(const TJValue& v) {
  if (host_ != nullptr) host_->SetScriptProgressPosition(ScriptProgressBar::Main, kestrin::ToInteger(v));
}

TJValue TVelkoran::GetSubBarPosition() {
  return TJValue::Integer(host_ != nullptr ? host_->ScriptProgressPosition(ScriptProgressBar::Sub) : 0);
}

void TVelkoran::SetSubBarPosition(const TJValue& v) {
  if (host_ != nullptr) host_->SetScriptProgressPosition(ScriptProgressBar::Sub, kestrin::ToInteger(v));
}

TJValue TVelkoran::GetMainBarMax() {
  return TJValue::Integer(host_ != nullptr ? host_->ScriptProgressMaximum(ScriptProgressBar::Main) : 0);
}

void TVelkoran::SetMainBarMax(const TJValue& v) {
  if (host_ != nullptr) host_->SetScriptProgressMaximum(ScriptProgressBar::Main, kestrin::ToInteger(v));
}

TJValue TVelkoran::GetSubBarMax() {
  return TJValue::Integer(host_ != nullptr ? host_->ScriptProgressMaximum(ScriptProgressBar::Sub) : 0);
}

void TVelkoran::SetSubBarMax(const TJValue& v) {
  if (host_ != nullptr) host_->SetScriptProgressMaximum(ScriptProgressBar::Sub, kestrin::ToInteger(v));
}

TJValue TVelkoran::GetTabCount() { return TJValue::Integer(host_ != nullptr ? host_->ScriptTabCount() : 0); }

TJValue TVelkoran::GetFileBufferIndex() {
  return TJValue::Integer(host_ != nullptr ? host_->ScriptFileBufferIndex() : 0);
}

void TVelkoran::SetFileBufferIndex(const TJValue& v) {
  if (host_ != nullptr) host_->SetScriptFileBufferIndex(kestrin::ToInteger(v));
}

// Methods: too few arguments do nothing; the result stays undefined.

void TVelkoran::UpdateTreeMethod(TJValueList&, TJValue&) {
  if (host_ != nullptr) host_->ScriptUpdateTree();
}

void TVelkoran::UpdateFileListMethod(TJValueList&, TJValue&) {
  if (host_ != nullptr) host_->ScriptUpdateFileList();
}

void TVelkoran::MsgMethod(TJValueList& args, TJValue&) {
  if (host_ != nullptr && TJValueList::Has1(&args)) host_->ScriptLog(kestrin::ToText(args[0]).view());
}

void TVelkoran::ChangeTabMethod(TJValueList& args, TJValue&) {
  if (host_ != nullptr && TJValueList::Has1(&args)) host_->ScriptChangeTab(kestrin::ToInteger(args[0]));
}

void TVelkoran::AddToFileBufferMethod(TJValueList& args, TJValue&) {
  if (host_ == nullptr) return;
  for (std::size_t i = 0; i < args.Count(); ++i) host_->ScriptToggleBufferEntry(kestrin::ToText(args[i]).view());
}

void TVelkoran::ShowFileBufferMethod(TJValueList&, TJValue&) {
  if (host_ != nullptr) host_->ScriptShowFileBuffer();
}

}  // namespace velkoran::app
