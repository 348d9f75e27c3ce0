#include "script/host/base64_object.h"

#include "script/builtins/base64.h"
#include "script/builtins/japanese_codes.h"

namespace kestrin {
namespace pf = velkoran::platform;

namespace {

const SharedString& Argument(const TJValueList& args, std::string_view error, SharedString& holder) {
  if (!TJValueList::Has1(&args)) ThrowScriptError(errors::kBase64, error);
  holder = ToText(args[0]);
  return holder;
}

}  // namespace

std::string DecodeHeaderText(std::string_view header, pf::CodePage cp) {
  const std::string jis = DecodeMimeHeader(header);
  if (cp == pf::CodePage::Cp932) return JISToSJIS(jis);
  // Under UTF-8 only the double-byte stretches change: each runs from ESC $ B (or ESC $ @)
  // to the next ESC ( X and becomes UTF-8; a lone ESC ( X is dropped as JISToSJIS drops
  // it; every other byte stays, so UTF-8 text around the words survives.
  std::string out;
  std::size_t pos = 0;
  while (pos < jis.size()) {
    if (jis.compare(pos, 2, "\x1b$") == 0 && pos + 2 < jis.size()) {
      const std::size_t back = jis.find("\x1b(", pos + 3);
      const std::size_t end = back == std::string::npos ? jis.size() : std::min(back + 3, jis.size());
      out += pf::ToUtf8(JISToSJIS(std::string_view(jis).substr(pos, end - pos)), pf::CodePage::Cp932);
      pos = end;
    } else if (jis.compare(pos, 2, "\x1b(") == 0 && pos + 2 < jis.size()) {
      pos += 3;
    } else {
      out += jis[pos++];
    }
  }
  return out;
}

const TJClassInfo& TJBase64Object::Info() {
  using B = TJBase64Object;
  static const TJClassInfo info = TJClassBuilder<B>("Base64")
                                      .Method<&B::EncodeMethod>("encode")
                                      .Method<&B::DecodeMethod>("decode")
                                      .Method<&B::EncodeHeaderMethod>("encodeHeader")
                                      .Method<&B::DecodeHeaderMethod>("decodeHeader")
                                      .Build();
  return info;
}

TJBase64Object::TJBase64Object(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
}

void TJBase64Object::EncodeMethod(TJValueList& args, TJValue& result) {
  SharedString text;
  result = TJValue::Text(Base64Encode(Argument(args, "encode error", text).view()));
}

void TJBase64Object::DecodeMethod(TJValueList& args, TJValue& result) {
  SharedString text;
  result = TJValue::Text(Base64Decode(Argument(args, "decode error", text).view()));
}

void TJBase64Object::EncodeHeaderMethod(TJValueList& args, TJValue& result) {
  SharedString text;
  result = TJValue::Text(EncodeMimeHeader(Argument(args, "encodeHeader error", text).view()));
}

void TJBase64Object::DecodeHeaderMethod(TJValueList& args, TJValue& result) {
  SharedString text;
  result = TJValue::Text(DecodeHeaderText(Argument(args, "decodeHeader error", text).view(), pf::ActiveCodePage()));
}

}  // namespace kestrin
