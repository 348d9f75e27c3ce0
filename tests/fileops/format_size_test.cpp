#include "fileops/format_size.h"

#include <gtest/gtest.h>

#include "support/comma_locale.h"

using velkoran::fileops::FormatSize;
using velkoran::fileops::SizeFormat;

namespace {

TEST(FormatSize, WholeNeedsTwoDigitsDecimalSwitchesAtOneUnit) {
  const struct {
    std::uint64_t bytes;
    const char* whole;
    const char* decimal;
  } cases[] = {
      {0, "0", "0"},
      {512, "512", "512"},
      {2048, "2048", "2K"},
      {5000, "5000", "4.88K"},
      {10240, "10K", "10K"},
      {20000, "19K", "19.53K"},
      {1048576, "1024K", "1M"},
      {2000000, "1953K", "1.90M"},
      {5ull << 30, "5120M", "5G"},
      {50ull << 30, "50G", "50G"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatSize(c.bytes, SizeFormat::Whole), c.whole) << c.bytes;
    EXPECT_EQ(FormatSize(c.bytes, SizeFormat::Decimal), c.decimal) << c.bytes;
  }
}

TEST(FormatSize, DecimalIsCutNotRounded) {
  // 1023.999 KiB would round to 1024.00; the cut keeps 1023.99.
  EXPECT_EQ(FormatSize(1048575, SizeFormat::Decimal), "1023.99K");
  EXPECT_EQ(FormatSize(1048575, SizeFormat::Whole), "1023K");
}

}  // namespace

namespace {

TEST(FormatSize, KeepsItsPointUnderACommaLocale) {
  velkoran::testing::CommaLocale comma;
  ASSERT_TRUE(comma.active()) << "localedef could not build a comma locale";
  EXPECT_EQ(FormatSize(5000, SizeFormat::Decimal), "4.88K");
  EXPECT_EQ(FormatSize(2000000, SizeFormat::Decimal), "1.90M");
}

}  // namespace
