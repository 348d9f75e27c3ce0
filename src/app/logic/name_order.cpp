#include "app/logic/name_order.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/codepage.h"

namespace velkoran::app {
namespace {

int CompareCp932Fold(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  bool trail = false;  // the byte at i follows a lead byte in both texts
  const std::size_t n = std::min(a.size(), b.size());
  for (; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (!trail) {
      x = platform::FoldAscii(x);
      y = platform::FoldAscii(y);
    }
    if (x != y) return x < y ? -1 : 1;
    // Equal bytes so far: both texts step through the same characters.
    trail = !trail && platform::IsLeadByte(x, platform::CodePage::Cp932);
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

int CompareNamesIgnoreCase(std::string_view a, std::string_view b) {
  // In UTF-8 every byte of a multi-byte character is 0x80 or above, so folding ASCII
  // letters byte by byte never touches one.
  return platform::ActiveCodePage() == platform::CodePage::Cp932 ? CompareCp932Fold(a, b) : platform::CompareAsciiNoCase(a, b);
}

bool NameSortsBefore(std::string_view a, std::string_view b) {
  const int folded = CompareNamesIgnoreCase(a, b);
  return folded != 0 ? folded < 0 : a < b;
}

}  // namespace velkoran::app
