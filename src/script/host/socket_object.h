// What the network script classes share: TJBaseSocketObject (the published properties
// timeout and debug over a client of the network library, its traces to the script's
// output, its waits tied to the engine's abort hook, and the translation of every client
// failure into one ESocketError), and THeldObject, a counted reference that a host object
// keeps to a script object it owns (a Response's Cookie, an HTTP's requestHeader).
#pragma once

#include <string>
#include <string_view>

#include "net/net_endpoint.h"
#include "script/object.h"

namespace kestrin {

class THeldObject {
 public:
  THeldObject() = default;
  THeldObject(const THeldObject&) = delete;
  THeldObject& operator=(const THeldObject&) = delete;
  ~THeldObject() { Reset(nullptr); }

  void Reset(TJObject* object) {
    if (object != nullptr) object->AddRef();
    if (object_ != nullptr) object_->Release();
    object_ = object;
  }
  TJObject* Get() const noexcept { return object_; }
  TJValue Value() const { return TJValue::Object(object_); }
  void Visit(TJReferenceVisitor& visitor) const {
    if (object_ != nullptr) visitor.Visit(*object_);
  }

 private:
  TJObject* object_ = nullptr;
};

class TJBaseSocketObject : public TJObject {
 public:
  TJBaseSocketObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

 protected:
  // Connects the client: its traces reach the script's output while debug is on, and
  // every wait runs the engine's poll hook and ends with an abort when one is asked for.
  void Attach(velkoran::net::TNetEndpoint& client);
  // Before the client goes: nothing may call back into this object any more.
  void Detach();
  velkoran::net::TNetEndpoint& Client() const { return *client_; }

  // Runs a client call; any failure of the client becomes ESocketError with message.
  // Script control flow (an abort) passes through unchanged.
  template <typename F>
  void Guarded(std::string_view message, F&& call) {
    try {
      call();
    } catch (const EJException&) {
      throw;
    } catch (const std::exception&) {
      ThrowScriptError(errors::kSocket, message);
    }
  }

 private:
  TJValue GetTimeout();
  void SetTimeout(const TJValue& value);
  TJValue GetDebug();
  void SetDebug(const TJValue& value);
  void Trace(std::string_view text);

  velkoran::net::TNetEndpoint* client_ = nullptr;
  bool debug_ = false;
};

}  // namespace kestrin
