// MIME encoded words and Base64 over any bytes: Base64 gives back what it encoded and
// decodes anything; a header encoded in either code page decodes without fault.
#include <string>

#include "fuzz_check.h"
#include "platform/codepage.h"
#include "script/builtins/base64.h"
#include "script/builtins/japanese_codes.h"

using namespace velkoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzzing::Bytes(data, size);
  const std::string encoded = kestrin::Base64Encode(text);
  FUZZ_CHECK(encoded.size() == (text.size() + 2) / 3 * 4);
  FUZZ_CHECK(kestrin::Base64Decode(encoded) == text);
  FUZZ_CHECK(kestrin::Base64Decode(text).size() <= text.size());

  kestrin::DecodeMimeHeader(text);
  for (const platform::CodePage cp : {platform::CodePage::Utf8, platform::CodePage::Cp932}) {
    const std::string header = kestrin::EncodeMimeHeader(text, cp);
    kestrin::DecodeMimeHeader(header);
  }
  return 0;
}
