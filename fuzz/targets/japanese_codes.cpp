// The Japanese code detection and conversions, the code pages' character steps, casing
// and UTF-8/UTF-16 conversion over any bytes: every step moves forward within the text,
// casing keeps the length, conversions of any bytes end without fault.
#include <string>

#include "fuzz_check.h"
#include "platform/codepage.h"
#include "script/builtins/japanese_codes.h"

using namespace velkoran;

namespace {

void CheckSteps(std::string_view text, platform::CodePage cp) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    FUZZ_CHECK(platform::IsCharBoundary(text, pos, cp));
    const std::size_t step = platform::CharStep(text, pos, cp);
    FUZZ_CHECK(step >= 1 && step <= 4 && step <= text.size() - pos);
    pos += step;
  }
  FUZZ_CHECK(platform::UpperCase(text, cp).size() == text.size());
  FUZZ_CHECK(platform::LowerCase(text, cp).size() == text.size());
  const std::string utf8 = platform::ToUtf8(text, cp);
  platform::FromUtf8(utf8, cp);
  platform::FromUtf16(platform::ToUtf16(text, cp), cp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzzing::Bytes(data, size);
  const int code = kestrin::DetectCode(text);
  FUZZ_CHECK(code >= kestrin::kCodeAscii && code <= kestrin::kCodeUtf8);
  for (const int target : {2, 4, 5, 0, 9}) kestrin::ConvertCode(text, target);  // JIS, EUC, SJIS, others
  kestrin::ConvertToUtf8(text);
  kestrin::JISToEUC(text);
  kestrin::JISToSJIS(text);
  kestrin::EUCToJIS(text);
  kestrin::EUCToSJIS(text);
  kestrin::SJISToJIS(text);
  kestrin::SJISToEUC(text);
  CheckSteps(text, platform::CodePage::Utf8);
  CheckSteps(text, platform::CodePage::Cp932);
  return 0;
}
