#include "script/host/mutex_object.h"

#include "script/host/host_errors.h"

namespace kestrin {

bool TMutex::TryLock() {
  const auto wait = static_cast<std::uint32_t>(Timeout);
  if (wait == 0xFFFFFFFFu) return handle_.Lock();
  return handle_.Lock(std::chrono::milliseconds(wait));
}

const TJClassInfo& TJMutexObject::Info() {
  using M = TJMutexObject;
  static const TJClassInfo info = TJClassBuilder<M>("Mutex")
                                      .Method<&M::LockMethod>("lock")
                                      .Method<&M::UnlockMethod>("unlock")
                                      .Method<&M::TryLockMethod>("tryLock")
                                      .Property<&M::GetTimeout, &M::SetTimeout>("timeout", TJPropertyType::Integer)
                                      .Property<&M::GetExisted>("existed", TJPropertyType::Boolean)
                                      .Build();
  return info;
}

TJMutexObject::TJMutexObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  const std::string name = TJValueList::Has1(args) ? ToText((*args)[0]).str() : std::string();
  auto handle = velkoran::platform::NamedMutex::Open(name);
  if (!handle) host::ThrowOperationError(errors::kMutex, "create error", name);
  mutex_.emplace(std::move(*handle));
}

void TJMutexObject::LockMethod(TJValueList&, TJValue&) { mutex_->Lock(); }
void TJMutexObject::UnlockMethod(TJValueList&, TJValue&) { mutex_->Unlock(); }
void TJMutexObject::TryLockMethod(TJValueList&, TJValue& result) { result = TJValue::Boolean(mutex_->TryLock()); }

TJValue TJMutexObject::GetTimeout() { return TJValue::Integer(mutex_->Timeout); }
void TJMutexObject::SetTimeout(const TJValue& value) { mutex_->Timeout = value.IntValue(); }
TJValue TJMutexObject::GetExisted() { return TJValue::Boolean(mutex_->Existed()); }

}  // namespace kestrin
