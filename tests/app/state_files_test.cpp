#include "app/logic/state_files.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/state_file.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace velkoran::app {
namespace {

using Lines = std::vector<std::string>;

WindowSettings Load(Lines lines) { return LoadSettingsFrom(std::move(lines)); }

TEST(SettingsLoad, WithoutFileAllSixColumnsHiddenTreeAndAutoExpand) {
  const WindowSettings s = LoadSettingsFrom(std::nullopt);
  const std::vector<ColumnKind> all{ColumnKind::Name,     ColumnKind::FileDirectory, ColumnKind::SizeWhole,
                                    ColumnKind::SizeBytes, ColumnKind::DirPath,      ColumnKind::SizeDecimal};
  EXPECT_EQ(s.columns, all);
  EXPECT_FALSE(s.treeVisible);
  EXPECT_TRUE(s.autoExpand);
  EXPECT_EQ(s.window, (Geometry{267, 133, 633, 550}));
  EXPECT_EQ(s.savedGeometry, Geometry{});
  EXPECT_EQ(s.timerInterval, 100);
  EXPECT_EQ(s.mouseTabChangingTime, 1000);
}

TEST(SettingsLoad, AnExistingFileStartsFromTheNameColumnOnly) {
  EXPECT_EQ(Load({}).columns, std::vector<ColumnKind>{ColumnKind::Name});
  EXPECT_EQ(Load({"ShowFileInfo : filesize", "ShowFileInfo : Bogus", "SHOWFILEINFO:OSIZEFLOAT"}).columns,
            (std::vector<ColumnKind>{ColumnKind::Name, ColumnKind::SizeBytes, ColumnKind::SizeDecimal}));
}

TEST(SettingsLoad, ValuesThatDoNotParseTakeTheirFallbacks) {
  // Width keeps its current value; Top and Left fall back to 10.
  EXPECT_EQ(Load({"Width : abc"}).window.width, 633);
  EXPECT_EQ(Load({"Top : abc"}).window.top, 10);
  EXPECT_EQ(Load({"Left : 1.5"}).window.left, 10);
  EXPECT_EQ(Load({"Height : "}).window.height, 550);
  // A size saved as 0 (the window was never in the normal state) keeps the current size.
  EXPECT_EQ(Load({"Width : 0", "Height : -5"}).window.width, 633);
  EXPECT_EQ(Load({"Width : 0", "Height : -5"}).window.height, 550);
  EXPECT_EQ(Load({"GridWidth : x", "GridWidth : -1"}).gridWidths, (std::vector<int>{50, -1}));
  const WindowSettings flags = Load({"ShowDirectory : 1", "ShowDirectory : yes", "Uwagaki : 7", "SortType : z",
                                     "SortTypeDirection : -3", "TreeVisible : 1", "AutoExpand : no"});
  EXPECT_FALSE(flags.showDirectory);
  EXPECT_TRUE(flags.autoOverwrite);  // any integer but 0 is on
  EXPECT_EQ(flags.sortType, 0);
  EXPECT_TRUE(flags.sortDescending);
  EXPECT_TRUE(flags.treeVisible);
  EXPECT_FALSE(flags.autoExpand);
  // The intervals are never negative: a negative value keeps the current one.
  EXPECT_EQ(Load({"TimerInterval : -5"}).timerInterval, 100);
  EXPECT_EQ(Load({"MouseTabChangingTime : 0"}).mouseTabChangingTime, 0);
  EXPECT_EQ(Load({"SortType : 300"}).sortType, 0);
  EXPECT_EQ(Load({"SortType : 5"}).sortType, 5);
}

TEST(SettingsLoad, AHiddenTreeAlwaysExpandsAutomatically) {
  EXPECT_TRUE(Load({"TreeVisible : 0", "AutoExpand : 0"}).autoExpand);
  EXPECT_FALSE(Load({"TreeVisible : 1", "AutoExpand : 0"}).autoExpand);
}

TEST(SettingsLoad, KeysIgnoreCaseAndBlanksAndUnknownLinesAreSkipped) {
  const WindowSettings s = Load({"  wIdTh   :   700  ", "no colon here", ": 5", "Mystery : 1", "LogWidth:12:34",
                                 "IgnoreDrive : A:", "ignoredrive:/mnt/*", "AcceptDrive : C:"});
  EXPECT_EQ(s.window.width, 700);
  EXPECT_EQ(s.logWidth, 349);  // "12:34" is not an integer
  EXPECT_EQ(s.ignoreDrive, (Lines{"A:", "/mnt/*"}));
  EXPECT_EQ(s.acceptDrive, Lines{"C:"});
}

TEST(SettingsLoad, ShortcutSplitsAtTheFirstCommaAndTrims) {
  const WindowSettings s = Load({"Shortcut :  my docs  ,  /home/u/a,b/ ", "Shortcut : /no/name/"});
  ASSERT_EQ(s.shortcuts.size(), 2u);
  EXPECT_EQ(s.shortcuts[0].name, "my docs");
  EXPECT_EQ(s.shortcuts[0].path, "/home/u/a,b/");
  EXPECT_EQ(s.shortcuts[1].name, "");
  EXPECT_EQ(s.shortcuts[1].path, "/no/name/");
}

TEST(SettingsSave, WritesEveryKeyInOrderWithCrLf) {
  WindowSettings s = LoadSettingsFrom(std::nullopt);
  s.savedGeometry = {1, 2, 3, 4};
  s.ignoreDrive = {"A:"};
  s.acceptDrive = {"/mnt/usb"};
  s.columns = {ColumnKind::Name, ColumnKind::SizeWhole};
  s.gridWidths = {120, 40};
  s.shortcuts = {{"/home/u/", "home"}};
  s.sortType = 2;
  s.sortDescending = true;
  EXPECT_EQ(SerializeSettings(s),
            "Top : 2\r\nLeft : 1\r\nWidth : 3\r\nHeight : 4\r\nMouseTabChangingTime : 1000\r\nTimerInterval : 100\r\n"
            "TreeWidth : 201\r\nInfoHeight : 112\r\nLogWidth : 349\r\nIgnoreDrive : A:\r\nAcceptDrive : /mnt/usb\r\n"
            "IgnoreShare : 0\r\nShowFileInfo : OSizeInt\r\nGridWidth : 120\r\nGridWidth : 40\r\nShowDirectory : 0\r\n"
            "Uwagaki : 0\r\nShortcut : home,/home/u/\r\nSortType : 2\r\nSortTypeDirection : 1\r\nTreeVisible : 0\r\n"
            "AutoExpand : 1\r\nUseTrash : 1\r\n");
}

TEST(SettingsSave, AWindowNeverSeenInTheNormalStateWritesZeroGeometry) {
  WindowSettings s = Load({"Top : 50", "Left : 60", "Width : 700", "Height : 800"});
  const std::string text = SerializeSettings(s);
  EXPECT_EQ(text.substr(0, text.find("MouseTab")), "Top : 0\r\nLeft : 0\r\nWidth : 0\r\nHeight : 0\r\n");
}

TEST(SettingsSave, ReadingBackWhatWasWrittenChangesNothing) {
  const std::string original =
      "Top : 10\r\nLeft : 20\r\nWidth : 640\r\nHeight : 480\r\nMouseTabChangingTime : 500\r\nTimerInterval : 0\r\n"
      "TreeWidth : 150\r\nInfoHeight : 90\r\nLogWidth : 300\r\nIgnoreDrive : A:\r\nIgnoreDrive : /mnt/*\r\n"
      "AcceptDrive : /mnt/usb\r\nIgnoreShare : 1\r\nShowFileInfo : FileDirectory\r\nShowFileInfo : FilePath\r\n"
      "GridWidth : 100\r\nGridWidth : 30\r\nGridWidth : -2\r\nShowDirectory : 1\r\nUwagaki : 1\r\n"
      "Shortcut : a b,/x y/\r\nShortcut : ,/only/path/\r\nSortType : 5\r\nSortTypeDirection : 1\r\nTreeVisible : 1\r\n"
      "AutoExpand : 0\r\nUseTrash : 1\r\n";
  WindowSettings s = LoadSettingsFrom(platform::SplitLines(original));
  s.savedGeometry = s.window;  // what the timer records while the window stands where it was put
  EXPECT_EQ(SerializeSettings(s), original);
}

TEST(SettingsSave, AShortcutThatCannotStandOnOneLineIsLeftOut) {
  WindowSettings s;
  s.shortcuts = {{"/a\nb/", "bad"}, {"/ok/", "good"}};
  const std::string text = SerializeSettings(s);
  EXPECT_EQ(text.find("bad"), std::string::npos);
  EXPECT_NE(text.find("Shortcut : good,/ok/\r\n"), std::string::npos);
}

TEST(Integers, SignedDecimalWithin32Bits) {
  EXPECT_EQ(ParseInteger(" -42 "), -42);
  EXPECT_EQ(ParseInteger("+7"), 7);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_FALSE(ParseInteger("2147483648"));
  EXPECT_FALSE(ParseInteger("+-5"));
  EXPECT_FALSE(ParseInteger("5x"));
  EXPECT_FALSE(ParseInteger(""));
  EXPECT_FALSE(ParseInteger("0x10"));
}

TEST(Buffers, TwelveBlocksEachEndedByEnd) {
  BufferSet b;
  b[0] = {"/a/f.txt", "/a/d/"};
  b[11] = {"/z"};
  std::string expected = "/a/f.txt\r\n/a/d/\r\n_END_\r\n";
  for (int i = 1; i < 11; ++i) expected += "_END_\r\n";
  expected += "/z\r\n_END_\r\n";
  EXPECT_EQ(SerializeBuffers(b), expected);
  EXPECT_EQ(ParseBuffers(platform::SplitLines(expected)), b);
}

TEST(Buffers, FewerBlocksFillTheFirstAndLinesAfterTheTwelfthAreIgnored) {
  const BufferSet few = ParseBuffers({"x", "", "_END_", "y"});
  EXPECT_EQ(few[0], (Lines{"x", ""}));  // empty lines are entries too
  EXPECT_EQ(few[1], Lines{"y"});
  for (int i = 2; i < 12; ++i) EXPECT_TRUE(few[static_cast<std::size_t>(i)].empty());

  Lines many;
  for (int i = 0; i < 12; ++i) {
    many.push_back(std::string("e").append(std::to_string(i)));
    many.push_back("_END_");
  }
  many.push_back("beyond");
  many.push_back("_end_");
  const BufferSet parsed = ParseBuffers(many);
  EXPECT_EQ(parsed[11], Lines{"e11"});
  // "_end_" in another case is an ordinary entry.
  EXPECT_EQ(ParseBuffers({"_end_"})[0], Lines{"_end_"});
}

TEST(Buffers, EntriesThatWouldBreakTheBlocksAreLeftOut) {
  BufferSet b;
  b[0] = {"/ok", "/bad\nname", "_END_", "/bad\rname"};
  b[1] = {"/second"};
  const BufferSet back = ParseBuffers(platform::SplitLines(SerializeBuffers(b)));
  EXPECT_EQ(back[0], Lines{"/ok"});
  EXPECT_EQ(back[1], Lines{"/second"});
}

TEST(Tabs, BlocksWithFewerThanTwoLinesCreateNoTab) {
  const auto tabs = ParseTabs(Lines{"/only-one", "_END_", "/a", "/top", "/a", "/a/b", "_END_", "_END_", "/c", "", "_END_"});
  ASSERT_EQ(tabs.size(), 2u);
  EXPECT_EQ(tabs[0].selectedPath, "/a");
  EXPECT_EQ(tabs[0].topPath, "/top");
  EXPECT_EQ(tabs[0].caption, "/a");
  EXPECT_EQ(tabs[0].expandedPaths, (Lines{"/a", "/a/b"}));
  EXPECT_EQ(tabs[1].selectedPath, "/c");
  EXPECT_EQ(tabs[1].topPath, "");
}

TEST(Tabs, NoTabAtAllGivesOneEmptyTab) {
  EXPECT_EQ(ParseTabs(std::nullopt), std::vector<TabState>{TabState{}});
  EXPECT_EQ(ParseTabs(Lines{"/x", "_END_"}), std::vector<TabState>{TabState{}});
}

TEST(Tabs, RoundTrip) {
  std::vector<TabState> tabs(2);
  tabs[0] = {{"/", "/home"}, "/home/u", "/", "/home/u"};
  tabs[1] = {{}, "", "", ""};
  const std::string text = SerializeTabs(tabs);
  EXPECT_EQ(text, "/home/u\r\n/\r\n/\r\n/home\r\n_END_\r\n\r\n\r\n_END_\r\n");
  EXPECT_EQ(ParseTabs(platform::SplitLines(text)), tabs);
}

TEST(Launcher, SplitsAtTheFirstColonAndTrims) {
  const auto entries = ParseLauncher({" editor : /usr/bin/gedit ", "web:http://example.org:8080/", "no colon at all ", ""});
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], (LauncherEntry{"editor", "/usr/bin/gedit"}));
  EXPECT_EQ(entries[1], (LauncherEntry{"web", "http://example.org:8080/"}));
  EXPECT_EQ(entries[2], (LauncherEntry{"", "no colon at all"}));
  EXPECT_EQ(entries[3], (LauncherEntry{"", ""}));
  EXPECT_EQ(SerializeLauncher(entries), "editor:/usr/bin/gedit\r\nweb:http://example.org:8080/\r\n:no colon at all\r\n:\r\n");
  EXPECT_EQ(ParseLauncher(platform::SplitLines(SerializeLauncher(entries))), entries);
}

TEST(Lines, CrLfOrLfAndNoExtraLineAtTheEnd) {
  EXPECT_EQ(platform::SplitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(platform::SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(platform::SplitLines(""), Lines{});
}

TEST(StateFileRead, APipeOrADirectoryIsSkippedWithALogLineAMissingFileQuietly) {
  velkoran::testing::ScratchDir dir;
  velkoran::testing::WriteFile(dir / "Launch.txt", "a : /b\r\n");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  velkoran::testing::MakeDirs(dir / "sub");
  std::string note;
  EXPECT_EQ(ReadStateFile(dir / "Launch.txt", note), std::optional<Lines>(Lines{"a : /b"}));
  EXPECT_EQ(ReadStateFile(dir / "gone", note), std::nullopt);
  EXPECT_EQ(note, "");
  for (const char* name : {"fifo", "sub"}) {
    SCOPED_TRACE(name);
    note.clear();
    EXPECT_EQ(ReadStateFile(dir / name, note), std::nullopt);
    EXPECT_NE(note.find(dir / name), std::string::npos);
    EXPECT_NE(note.find("not a regular file"), std::string::npos);
  }
}

}  // namespace
}  // namespace velkoran::app
