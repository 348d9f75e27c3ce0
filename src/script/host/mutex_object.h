// TJMutexObject, the script class "Mutex": a mutex shared by name between processes (and
// between script runs), over the platform's named mutex.
#pragma once

#include <cstdint>

#include "platform/mutex.h"
#include "script/object.h"

namespace kestrin {

// TMutex: one named mutex with the wait time of tryLock (milliseconds; 10000 at
// creation; 0xFFFFFFFF waits without limit).
class TMutex {
 public:
  explicit TMutex(velkoran::platform::NamedMutex handle) : handle_(std::move(handle)) {}

  const std::string& MutexName() const noexcept { return handle_.Name(); }
  bool Existed() const noexcept { return handle_.Existed(); }
  std::int32_t Timeout = 10000;

  void Lock() { handle_.Lock(); }
  bool TryLock();
  void Unlock() { handle_.Unlock(); }

 private:
  velkoran::platform::NamedMutex handle_;
};

class TJMutexObject : public TJObject {
 public:
  // EMutexError "create error: " + name when the mutex cannot be opened.
  TJMutexObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  TMutex& Mutex() noexcept { return *mutex_; }

 private:
  void LockMethod(TJValueList& args, TJValue& result);
  void UnlockMethod(TJValueList& args, TJValue& result);
  void TryLockMethod(TJValueList& args, TJValue& result);

  TJValue GetTimeout();
  void SetTimeout(const TJValue& value);
  TJValue GetExisted();

  std::optional<TMutex> mutex_;
};

}  // namespace kestrin
