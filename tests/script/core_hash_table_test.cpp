// The hash tables under the lexer's keywords and the class registry, and the checksums.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/crc.h"
#include "script/hash_table.h"
#include "script/member_table.h"
#include "platform/codepage.h"

namespace kestrin {
namespace {

TEST(Checksums, CheckValues) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc16("123456789"), 0x6F91);
  EXPECT_EQ(Crc32("abc"), 0x352441C2u);
  EXPECT_EQ(Crc16("abc"), 0x61DA);
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Crc16(""), 0xFFFF);
  TChecksums split;
  split.Update("1234");
  split.Update("56789");
  EXPECT_EQ(split.Crc32(), 0xCBF43926u);
  EXPECT_EQ(split.Crc16(), 0x6F91);
}

TEST(HashName, LowerCasesBeforeHashing) {
  EXPECT_EQ(HashName("Var"), HashName("var"));
  EXPECT_EQ(HashName("var"), Crc32("var"));
  EXPECT_EQ(HashName(""), 0u);
  std::string longName(200, 'X');
  EXPECT_EQ(HashName(longName), Crc32(std::string(200, 'x')));
}

// A key text keeps its hash in its buffer: only while it is the whole buffer, only for
// ASCII (the code page folds other bytes), and an append in place must not leave it stale.
TEST(HashName, KeptInTheTextsBufferOnlyWhileItHolds) {
  using velkoran::platform::CodePage;
  const CodePage saved = velkoran::platform::ActiveCodePage();
  const SharedString ab("aB");
  EXPECT_EQ(TJName(ab).Hash(), HashName("ab"));
  EXPECT_EQ(TJName(ab).Hash(), HashName("ab"));  // from the buffer now
  const SharedString abc = SharedString::Concat(ab, "C");  // appends into ab's buffer
  EXPECT_EQ(abc.buffer(), ab.buffer());
  EXPECT_EQ(TJName(abc).Hash(), HashName("abc"));
  EXPECT_EQ(TJName(ab).Hash(), HashName("ab"));
  const SharedString mixed("\x83\x41X");  // CP932 keeps the trail byte "A", other pages fold it
  velkoran::platform::SetActiveCodePage(CodePage::Cp932);
  const std::uint32_t inCp932 = HashName(mixed.view());
  EXPECT_EQ(TJName(mixed).Hash(), inCp932);
  velkoran::platform::SetActiveCodePage(CodePage::Utf8);
  EXPECT_EQ(TJName(mixed).Hash(), HashName(mixed.view()));
  EXPECT_NE(HashName(mixed.view()), inCp932);
  bool ascii = true;
  EXPECT_EQ(HashName("\x83\x41X", ascii), HashName(mixed.view()));
  EXPECT_FALSE(ascii);
  velkoran::platform::SetActiveCodePage(saved);
}

TEST(HashTable, CaseSensitiveKeysShareABucket) {
  TStringHashTable t(100, false);
  EXPECT_EQ(t.BucketOf("Var"), t.BucketOf("var"));
  t.AddString("Var", "upper");
  t.AddString("var", "lower");
  EXPECT_EQ(t.GetText("Var"), "upper");
  EXPECT_EQ(t.GetText("var"), "lower");
  EXPECT_EQ(t.Count(), 2u);
  EXPECT_FALSE(t.HasKey("VAR"));
}

TEST(HashTable, IgnoreCaseTableFindsAnyCase) {
  TStringHashTable t(100, true);
  t.AddString("Var", "x");
  EXPECT_TRUE(t.HasKey("VAR"));
  t.AddString("vAR", "y");  // the same key: replaced
  EXPECT_EQ(t.Count(), 1u);
  EXPECT_EQ(t.GetText("var"), "y");
}

TEST(HashTable, ReplacingReportsTheOldItemOnce) {
  TIntegerHashTable t;
  std::vector<std::string> deleted;
  t.OnDelete = [&](TCustomHashTable&, THashItem& item) {
    deleted.push_back(item.Key + "=" + std::to_string(item.IntValue));
  };
  t.AddInteger("a", 1);
  t.AddInteger("a", 2);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0], "a=1");
  EXPECT_EQ(t.GetInteger("a"), 2);
  t.Clear();
  ASSERT_EQ(deleted.size(), 2u);
  EXPECT_EQ(deleted[1], "a=2");
  EXPECT_FALSE(t.HasKey("a"));
}

TEST(HashTable, TypedReads) {
  TCustomHashTable t;
  t.AddDouble("d", 2.9);
  t.AddDouble("n", -2.9);
  t.AddString("s", "12");
  t.AddInteger("i", -7);
  int x = 0;
  t.AddPointer("p", &x);
  EXPECT_EQ(t.GetInteger("d"), 2);
  EXPECT_EQ(t.GetInteger("n"), -2);
  EXPECT_EQ(t.GetInteger("s"), 0);
  EXPECT_EQ(t.GetInteger("missing"), 0);
  EXPECT_EQ(t.GetText("i"), "-7");
  EXPECT_EQ(t.GetText("d"), "2.9");
  EXPECT_EQ(t.GetText("missing"), "");
  EXPECT_EQ(t.GetText("p").rfind("pointer", 0), 0u);
  EXPECT_EQ(t.GetPointer("p"), &x);
  EXPECT_EQ(t.GetPointer("i"), nullptr);
}

TEST(HashTable, RaiseOnMissing) {
  TCustomHashTable t;
  t.RaiseOnMissing = true;
  try {
    t.Find("nothing");
    FAIL() << "no error";
  } catch (const EHashTableError& e) {
    EXPECT_STREQ(e.what(), "dont has key");
  }
  EXPECT_THROW(t.GetInteger("nothing"), EHashTableError);
  EXPECT_FALSE(t.HasKey("nothing"));  // the test itself never raises
}

TEST(HashTable, KeysInBucketOrderAndEmptyKey) {
  TCustomHashTable t;
  EXPECT_EQ(t.BucketOf(""), 0u);
  const std::vector<std::string> keys = {"zeta", "alpha", "beta", "", "Gamma", "gamma"};
  for (const auto& k : keys) t.AddInteger(k, 1);
  const auto& listed = t.Keys();
  ASSERT_EQ(listed.size(), keys.size());
  for (std::size_t i = 1; i < listed.size(); ++i) {
    const auto b0 = t.BucketOf(listed[i - 1]);
    const auto b1 = t.BucketOf(listed[i]);
    EXPECT_TRUE(b0 < b1 || (b0 == b1 && listed[i - 1] < listed[i])) << listed[i - 1] << " / " << listed[i];
  }
  // The key list is a cache: it follows later additions.
  t.AddInteger("new", 2);
  EXPECT_EQ(t.Keys().size(), keys.size() + 1);
  EXPECT_EQ(t.KeysText().find("\r\n\r\n"), std::string::npos);
}

struct Tracked : THashObject {
  explicit Tracked(int* alive) : alive_(alive) { ++*alive_; }
  ~Tracked() override { --*alive_; }
  int* alive_;
};

TEST(HashTable, OwnedObjectsAreFreedWithTheirItem) {
  int alive = 0;
  {
    TCustomHashTable t;
    t.AddObject("a", std::make_unique<Tracked>(&alive));
    t.AddObject("b", std::make_unique<Tracked>(&alive));
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(t.GetText("a").rfind("object", 0), 0u);
    t.AddObject("a", std::make_unique<Tracked>(&alive));
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0);
}

TEST(HashTable, ManyKeysStillFound) {
  TIntegerHashTable t;
  for (int i = 0; i < 5000; ++i) t.AddInteger("key" + std::to_string(i), i);
  for (int i = 0; i < 5000; i += 7) EXPECT_EQ(t.GetInteger("key" + std::to_string(i)), i);
  EXPECT_EQ(t.Count(), 5000u);
}

}  // namespace
}  // namespace kestrin
