#include "script/host/http_object.h"

#include <cstring>

#include "net/net_http.h"
#include "net/net_https.h"
#include "script/host/host_values.h"
#include "script/host/web_objects.h"

namespace kestrin {

namespace {

// Collects a body into a script string: straight into a string of the announced length
// when the server announced one (up to 1 GiB), else through a growing buffer.
class TBodyText {
 public:
  explicit TBodyText(const velkoran::net::THttpClient& client) : client_(client) {}

  velkoran::net::THttpClient::Receiver Receiver() {
    return {[this](const char* data, std::size_t size) { Add(data, size); },
            [this](std::size_t length) -> char* {
              if (started_ || length > (std::size_t{1} << 30)) return nullptr;
              started_ = true;
              char* room = nullptr;
              text_ = SharedString::Uninitialized(length, room);
              at_ = room + length;  // the client fills it all (or fails)
              return room;
            }};
  }
  TJValue Take() const {
    if (at_ != nullptr) return TJValue::Text(left_ == 0 ? text_ : SharedString(text_.view().substr(0, text_.size() - left_)));
    return TJValue::Text(spill_);
  }

 private:
  void Add(const char* data, std::size_t size) {
    if (!started_) {
      started_ = true;
      const std::int64_t length = client_.ContentLength;
      if (length > 0 && length <= (std::int64_t{1} << 30)) {
        text_ = SharedString::Uninitialized(static_cast<std::size_t>(length), at_);
        left_ = static_cast<std::size_t>(length);
      }
    }
    if (at_ != nullptr && size <= left_) {
      std::memcpy(at_, data, size);
      at_ += size;
      left_ -= size;
      return;
    }
    if (at_ != nullptr) {  // more than announced: keep all in the growing buffer
      spill_.assign(text_.data(), text_.size() - left_);
      at_ = nullptr;
      text_ = SharedString();
    }
    spill_.append(data, size);
  }

  const velkoran::net::THttpClient& client_;
  bool started_ = false;
  SharedString text_;
  char* at_ = nullptr;
  std::size_t left_ = 0;
  std::string spill_;
};

}  // namespace

template <bool Secure>
const TJClassInfo& TJHttpObjectT<Secure>::Info() {
  using H = TJHttpObjectT<Secure>;
  static const TJClassInfo info = [] {
    TJClassBuilder<H> b(Secure ? "HTTPS" : "HTTP");
    b.template Method<&H::GetMethod>("get")
        .template Method<&H::GetFileMethod>("getFile")
        .template Method<&H::PostMethod>("post")
        .template Method<&H::HeadMethod>("head")
        .template Method<&H::RequestMethod>("request")
        .template Method<&H::ResponseMethod>("response")
        .template Method<&H::CaptureMethod>("capture")
        .template Method<&H::ReadlnMethod>("readln")
        .template Method<&H::ReadMethod>("read");
    if (!Secure) b.template Method<&H::WritelnMethod>("writeln").template Method<&H::WriteMethod>("write");
    b.template Method<&H::ConnectMethod>("connect")
        .template Method<&H::ConnectMethod>("open")
        .template Method<&H::DisconnectMethod>("disconnect")
        .template Method<&H::DisconnectMethod>("close")
        .template Property<&H::GetRequestHeader>("requestHeader", TJPropertyType::Object)
        .template Property<&H::GetResponseHeader>("responseHeader", TJPropertyType::Object)
        .template Property<&H::GetVersion, &H::SetVersion>("version", TJPropertyType::String)
        .template Property<&H::GetLength>("length", TJPropertyType::Integer)
        .template Property<&H::GetAutoRedirect, &H::SetAutoRedirect>("autoRedirect", TJPropertyType::Boolean)
        .template Property<&H::GetProxy, &H::SetProxy>("proxy", TJPropertyType::String);
    return b.Build();
  }();
  return info;
}

template <bool Secure>
TJHttpObjectT<Secure>::TJHttpObjectT(TJObjectFactory* factory, const TJValueList* args)
    : TJBaseSocketObject(factory, args) {
  RegisterName(Info());
  if constexpr (Secure) {
    client_ = std::make_unique<velkoran::net::TNetHTTPS>(65536);
  } else {
    client_ = std::make_unique<velkoran::net::TNetHTTP>(65536);
  }
  Attach(*client_);
  if (factory != nullptr) {
    requestHeader_.Reset(factory->CreateObject("Object"));
    responseHeader_.Reset(factory->CreateObject("Response"));
  }
}

template <bool Secure>
TJHttpObjectT<Secure>::~TJHttpObjectT() {
  Detach();
}

template <bool Secure>
void TJHttpObjectT<Secure>::EnumReferences(TJReferenceVisitor& visitor) {
  TJObject::EnumReferences(visitor);
  requestHeader_.Visit(visitor);
  responseHeader_.Visit(visitor);
}

template <bool Secure>
void TJHttpObjectT<Secure>::DropReferences() {
  TJObject::DropReferences();
  requestHeader_.Reset(nullptr);
  responseHeader_.Reset(nullptr);
}

template <bool Secure>
std::string TJHttpObjectT<Secure>::Message(std::string_view operation) {
  return std::string(Secure ? "HTTPS." : "HTTP.") + std::string(operation) + " error";
}

template <bool Secure>
void TJHttpObjectT<Secure>::PrepareHeaders() {
  client_->RequestHeader.Reset();
  TJObject* headers = requestHeader_.Get();
  if (headers == nullptr) return;
  // The lowest class level first, so a name of a higher level wins.
  const TJMemberStore& members = headers->Members();
  for (std::size_t layer = members.LayerCount(); layer-- > 0;) {
    for (std::size_t i = 0; i < members.SlotCount(); ++i) {
      if (members.SlotLayer(i) != layer) continue;
      const TJValue& v = members.Value(i);
      if (v.Kind() == jkString) client_->RequestHeader.Set(members.SlotName(i), v.StrView());
    }
  }
}

template <bool Secure>
void TJHttpObjectT<Secure>::CopyResponse() {
  if (auto* response = dynamic_cast<TJResponseObject*>(responseHeader_.Get())) response->Fill(*client_);
}

template <bool Secure>
TJValue TJHttpObjectT<Secure>::GetLength() {
  return host::Int64Value(client_->ContentLength);
}

template <bool Secure>
void TJHttpObjectT<Secure>::GetMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const std::string url = ToText(args[0]).str();
  TBodyText body(*client_);
  Guarded(Message("get"), [&] {
    PrepareHeaders();
    client_->Get(url, body.Receiver());
  });
  CopyResponse();
  result = body.Take();
}

template <bool Secure>
void TJHttpObjectT<Secure>::GetFileMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has2(&args)) return;
  const std::string url = ToText(args[0]).str();
  const std::string path = ToText(args[1]).str();
  Guarded(Message("get"), [&] {
    PrepareHeaders();
    client_->GetFile(url, path);
  });
  CopyResponse();
}

template <bool Secure>
void TJHttpObjectT<Secure>::PostMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has2(&args)) return;
  const std::string url = ToText(args[0]).str();
  const std::string data = ToText(args[1]).str();
  TBodyText body(*client_);
  Guarded(Message("post"), [&] {
    PrepareHeaders();
    client_->Post(url, data, body.Receiver());
  });
  CopyResponse();
  result = body.Take();
}

template <bool Secure>
void TJHttpObjectT<Secure>::HeadMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) return;
  const std::string url = ToText(args[0]).str();
  Guarded(Message("head"), [&] {
    PrepareHeaders();
    client_->Head(url);
  });
  CopyResponse();
}

template <bool Secure>
void TJHttpObjectT<Secure>::RequestMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has2(&args)) return;
  const std::string method = ToText(args[0]).str();
  const std::string url = ToText(args[1]).str();
  const std::string body = TJValueList::Has3(&args) ? ToText(args[2]).str() : std::string();
  Guarded(Message("request"), [&] {
    PrepareHeaders();
    client_->SendRequest(method, url, body);
  });
}

template <bool Secure>
void TJHttpObjectT<Secure>::ResponseMethod(TJValueList&, TJValue&) {
  Guarded(Message("response"), [&] { client_->ReadResponseHeader(); });
  CopyResponse();
}

template <bool Secure>
void TJHttpObjectT<Secure>::CaptureMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) return;
  const std::string path = ToText(args[0]).str();
  Guarded(Message("capture"), [&] { client_->ReadToFile(path); });
}

template <bool Secure>
void TJHttpObjectT<Secure>::ReadlnMethod(TJValueList&, TJValue& result) {
  std::string line;
  Guarded(Message("readln"), [&] { line = client_->ReadLine(); });
  result = TJValue::Text(line);
}

template <bool Secure>
void TJHttpObjectT<Secure>::ReadMethod(TJValueList& args, TJValue& result) {
  const std::int64_t count = TJValueList::Has1(&args) ? host::ToInt64(args[0]) : -1;
  std::string text;
  Guarded(Message("read"), [&] { client_->ReadToString(text, count); });
  result = TJValue::Text(text);
}

template <bool Secure>
void TJHttpObjectT<Secure>::WritelnMethod(TJValueList& args, TJValue&) {
  if constexpr (!Secure) {
    const std::string text = TJValueList::Has1(&args) ? ToText(args[0]).str() : std::string();
    Guarded(Message("writeln"), [&] { static_cast<velkoran::net::TNetHTTP&>(*client_).WriteLine(text); });
  }
}

template <bool Secure>
void TJHttpObjectT<Secure>::WriteMethod(TJValueList& args, TJValue&) {
  if constexpr (!Secure) {
    if (!TJValueList::Has1(&args)) return;
    const std::string text = ToText(args[0]).str();
    Guarded(Message("write"), [&] { static_cast<velkoran::net::TNetHTTP&>(*client_).WriteString(text); });
  }
}

template <bool Secure>
void TJHttpObjectT<Secure>::ConnectMethod(TJValueList&, TJValue&) {
  Guarded(Message("connect"), [&] { client_->Connect(); });
}

template <bool Secure>
void TJHttpObjectT<Secure>::DisconnectMethod(TJValueList&, TJValue&) {
  Guarded(Message("disconnect"), [&] { client_->Disconnect(); });
}

template class TJHttpObjectT<false>;
template class TJHttpObjectT<true>;

}  // namespace kestrin
