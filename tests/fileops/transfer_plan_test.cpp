#include "fileops/transfer_plan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include "fakes.h"

namespace velkoran::fileops::testing {
namespace {

struct TransferPlanTest : ::testing::Test {
  ScratchDir dir;
  FileSystem fs;
};

std::vector<std::string> Keys(const std::vector<TransferItem>& items) {
  std::vector<std::string> keys;
  for (const auto& i : items) keys.push_back(i.SubPath + i.EntryName + (i.IsDirectory ? "/" : ""));
  return keys;
}

TEST_F(TransferPlanTest, DirectoriesComeBeforeTheirContentWhateverTheSourceOrder) {
  mkdir((dir / "A").c_str(), 0755);
  mkdir((dir / "A/B").c_str(), 0755);
  WriteFile(dir / "A/B/c.txt", "ccc");
  WriteFile(dir / "zz.txt", "12345");

  // The file source first, the directory given without trailing separator.
  TransferPlan plan = PlanTransfer({dir / "zz.txt", dir / "A"}, fs);
  SortTransferItems(plan.items);
  EXPECT_EQ(Keys(plan.items), (std::vector<std::string>{"A/", "A/B/", "zz.txt", "A/B/c.txt"}));
  EXPECT_EQ(plan.totalBytes, 8u);

  const TransferItem& top = plan.items[0];
  EXPECT_EQ(top.SourceDir, dir.Path());
  EXPECT_EQ(top.EntryName, "A");
  EXPECT_EQ(top.SubPath, "");
  const TransferItem& deep = plan.items[3];
  EXPECT_EQ(deep.SourceDir, dir / "A/B/");
  EXPECT_EQ(deep.SubPath, "A/B/");
  EXPECT_EQ(deep.Size, 3);
  EXPECT_EQ(deep.Target("/dest/"), "/dest/A/B/c.txt");
}

TEST_F(TransferPlanTest, MissingFileHasSizeMinusOneAndAddsNothing) {
  WriteFile(dir / "f", "abc");
  TransferPlan plan = PlanTransfer({dir / "gone.txt", dir / "f"}, fs);
  ASSERT_EQ(plan.items.size(), 2u);
  EXPECT_FALSE(plan.items[0].IsDirectory);
  EXPECT_EQ(plan.items[0].Size, -1);
  EXPECT_EQ(plan.totalBytes, 3u);
}

TEST_F(TransferPlanTest, TrailingSeparatorMakesADirectoryEvenWhenMissing) {
  TransferPlan plan = PlanTransfer({dir / "nothing/"}, fs);
  ASSERT_EQ(plan.items.size(), 1u);
  EXPECT_TRUE(plan.items[0].IsDirectory);
  EXPECT_EQ(plan.items[0].EntryName, "nothing");
}

TEST_F(TransferPlanTest, LinksAreEntriesAndNeverWalked) {
  mkdir((dir / "outside").c_str(), 0755);
  WriteFile(dir / "outside/secret", "x");
  mkdir((dir / "src").c_str(), 0755);
  ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "src/link").c_str()), 0);
  ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "toplink").c_str()), 0);

  // A link written as a directory ("toplink/") is still the link itself.
  TransferPlan plan = PlanTransfer({dir / "src", dir / "toplink/"}, fs);
  SortTransferItems(plan.items);
  EXPECT_EQ(Keys(plan.items), (std::vector<std::string>{"src/", "toplink", "src/link"}));
  for (const auto& item : plan.items) EXPECT_EQ(item.Source().find("secret"), std::string::npos);
}

TEST_F(TransferPlanTest, TiesCompareExactly) {
  std::vector<TransferItem> items;
  for (const char* name : {"b", "B", "a"}) {
    TransferItem item;
    item.SourceDir.append("/d/");
    item.EntryName.append(name);
    items.push_back(std::move(item));
  }
  SortTransferItems(items);
  EXPECT_EQ(items[0].EntryName, "B");
  EXPECT_EQ(items[1].EntryName, "a");
  EXPECT_EQ(items[2].EntryName, "b");
}

}  // namespace
}  // namespace velkoran::fileops::testing
