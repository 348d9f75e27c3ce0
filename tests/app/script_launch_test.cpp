// The script launch's pure parts: which files the menus list and how they are captioned,
// the generated prefix, the script's lines, reading the file, and the log line assembly.
#include "app/logic/script_launch.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "app_fakes.h"
#include "platform/codepage.h"

namespace velkoran::app {
namespace {

using testing::MakeDirs;
using testing::ScratchDir;
using testing::WriteFile;

const platform::PathRules& Posix() {
  static const platform::PathRules rules(platform::PathStyle::Posix, platform::CodePage::Utf8);
  return rules;
}

const platform::PathRules& Windows() {
  static const platform::PathRules rules(platform::PathStyle::Windows, platform::CodePage::Cp932);
  return rules;
}

// ---- Menus ------------------------------------------------------------------------------

TEST(ScriptMenuTest, CaptionsDropOnlyTheLastExtension) {
  EXPECT_EQ(ScriptCaption("tools.txt"), "tools");
  EXPECT_EQ(ScriptCaption("a.b.txt"), "a.b");
  EXPECT_EQ(ScriptCaption("Upper.TXT"), "Upper");
  EXPECT_EQ(ScriptCaption("noext"), "noext");
  EXPECT_EQ(ScriptCaption(".txt"), "");
  EXPECT_EQ(ScriptCaption("名前.txt"), "名前");
}

TEST(ScriptMenuTest, ListsTextFilesInDirectoryOrderAndSkipsDirectories) {
  ScratchDir dir;
  WriteFile(dir / "tools.txt", "");
  WriteFile(dir / "a.b.txt", "");
  WriteFile(dir / "LOUD.TXT", "");
  WriteFile(dir / "notes.md", "");
  WriteFile(dir / "x.txt.bak", "");
  MakeDirs(dir / "folder.txt");
  MakeDirs(dir / "real");
  ASSERT_EQ(symlink((dir / "tools.txt").c_str(), (dir / "link.txt").c_str()), 0);
  ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "dirlink.txt").c_str()), 0);
  std::vector<std::string> listed = ListScriptFiles(dir.Path());

  // In name order, letter case aside, as the menus show them (the file system's own
  // order is its hash order).
  EXPECT_EQ(listed, (std::vector<std::string>{"a.b.txt", "link.txt", "LOUD.TXT", "tools.txt"}));
  EXPECT_EQ(listed.size(), 4u);
  EXPECT_TRUE(ListScriptFiles(dir / "missing/").empty());
}

// ---- The prefix -------------------------------------------------------------------------

constexpr const char* kPrologue =
    "Velko = new Velkoran;\r\n"
    "Files = new Array;\r\n"
    "Directorys = new Array;\r\n";

TEST(ScriptPrefixTest, FileListSelectionAdaptedFromTheWindowsExample) {
  // A directory and a file selected, the directory listed first as the list shows it.
  const std::string prefix = ListScriptPrefix(Posix(), {{"/a/sub", true}, {"/a/x.txt", false}});
  EXPECT_EQ(prefix, std::string(kPrologue) +
                        "Temporary_dir_var = new Directory('/a/sub'); Directorys.add(Temporary_dir_var);\r\n"
                        "Temporary_file_var = new File('/a/x.txt'); Files.add(Temporary_file_var);\r\n");
}

TEST(ScriptPrefixTest, TheWindowsExampleItselfUnderTheWindowsRules) {
  const std::string prefix = ListScriptPrefix(Windows(), {{"C:\\a\\sub", true}, {"C:\\a\\x.txt", false}});
  EXPECT_EQ(prefix, std::string(kPrologue) +
                        "Temporary_dir_var = new Directory('C:\\a\\sub'); Directorys.add(Temporary_dir_var);\r\n"
                        "Temporary_file_var = new File('C:\\a\\x.txt'); Files.add(Temporary_file_var);\r\n");
  EXPECT_EQ(ScriptDirectoryPath(Windows(), "C:\\"), "C:\\");
  EXPECT_EQ(ScriptDirectoryPath(Windows(), "C:\\a\\"), "C:\\a");
}

TEST(ScriptPrefixTest, TreeSelectionHasNoLineEndOfItsOwn) {
  EXPECT_EQ(TreeScriptPrefix(Posix(), std::string("/home/ann/docs")),
            std::string(kPrologue) + "Temporary_dir_var = new Directory('/home/ann/docs'); Directorys.add(Temporary_dir_var);");
  // The root stays "/"; any other directory loses its trailing separator.
  EXPECT_EQ(TreeScriptPrefix(Posix(), std::string("/")),
            std::string(kPrologue) + "Temporary_dir_var = new Directory('/'); Directorys.add(Temporary_dir_var);");
  EXPECT_EQ(TreeScriptPrefix(Posix(), std::string("/home/ann/")),
            std::string(kPrologue) + "Temporary_dir_var = new Directory('/home/ann'); Directorys.add(Temporary_dir_var);");
}

TEST(ScriptPrefixTest, EmptySelectionsDeclareEmptyArrays) {
  EXPECT_EQ(TreeScriptPrefix(Posix(), std::nullopt), kPrologue);
  EXPECT_EQ(ListScriptPrefix(Posix(), {}), kPrologue);
}

TEST(ScriptPrefixTest, PathsPassByteForByte) {
  // Backslashes and Japanese text inside a single-quoted literal need no escaping.
  const std::string prefix = ListScriptPrefix(Posix(), {{"/d/a\\b 名前.txt", false}});
  EXPECT_NE(prefix.find("new File('/d/a\\b 名前.txt');"), std::string::npos);
}

TEST(ScriptPrefixTest, ASingleQuoteIsJoinedInRatherThanBreakingTheText) {
  EXPECT_EQ(ScriptStringExpression("it's"), "'it' + \"'\" + 's'");
  EXPECT_EQ(ScriptStringExpression("'"), "'' + \"'\" + ''");
  EXPECT_EQ(ScriptStringExpression("plain"), "'plain'");
  const std::string prefix = ListScriptPrefix(Posix(), {{"/d/it's", true}});
  EXPECT_NE(prefix.find("new Directory('/d/it' + \"'\" + 's');"), std::string::npos);
}

TEST(ScriptPrefixTest, ScriptLinesArePrecededByLineEnds) {
  std::string program = "P;";
  AppendScriptLines(program, "a();\r\nb();\nc();");
  EXPECT_EQ(program, "P;\r\na();\r\nb();\r\nc();");

  // A final line end adds no empty line; empty lines inside are kept.
  program = "P;";
  AppendScriptLines(program, "a();\n\nb();\r\n");
  EXPECT_EQ(program, "P;\r\na();\r\n\r\nb();");

  program = "P;";
  AppendScriptLines(program, "");
  EXPECT_EQ(program, "P;");

  // A carriage return not followed by a line feed is part of the line.
  program = "P;";
  AppendScriptLines(program, "a\rb");
  EXPECT_EQ(program, "P;\r\na\rb");
}

TEST(ScriptPrefixTest, HeadLinesCountUpToTheScriptsFirstLine) {
  const std::string prefixes[] = {TreeScriptPrefix(Posix(), std::string("/d")), TreeScriptPrefix(Posix(), std::nullopt),
                                  ListScriptPrefix(Posix(), {{"/a", true}, {"/b", false}})};
  for (const std::string& prefix : prefixes) {
    SCOPED_TRACE(prefix);
    std::string program = prefix;
    AppendScriptLines(program, "first\nsecond");
    // The file's first line is the line right after the head.
    std::size_t at = 0;
    for (std::int32_t line = 1; line <= ScriptHeadLines(prefix); ++line) at = program.find('\n', at) + 1;
    EXPECT_EQ(program.substr(at, 5), "first");
  }
}

// ---- Script files -------------------------------------------------------------------------

TEST(ScriptFileTest, ReadsBytesAndReportsTheSystemsError) {
  ScratchDir dir;
  WriteFile(dir / "s.txt", std::string("x\0y\r\n", 5));
  const ScriptFileText ok = ReadScriptFile(dir / "s.txt");
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.text, std::string("x\0y\r\n", 5));

  const ScriptFileText missing = ReadScriptFile(dir / "gone.txt");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, std::system_category().message(ENOENT));
  const std::string line = ScriptOpenFailureMessage(dir / "gone.txt", missing.error);
  EXPECT_NE(line.find(dir / "gone.txt"), std::string::npos);
  EXPECT_NE(line.find(missing.error), std::string::npos);

  MakeDirs(dir / "d.txt");
  const ScriptFileText directory = ReadScriptFile(dir / "d.txt");
  EXPECT_FALSE(directory.ok);
  EXPECT_FALSE(directory.error.empty());

  // A pipe in the script folder is refused at once instead of freezing the window.
  ASSERT_EQ(::mkfifo((dir / "p.txt").c_str(), 0600), 0);
  const ScriptFileText pipe = ReadScriptFile(dir / "p.txt");
  EXPECT_FALSE(pipe.ok);
  EXPECT_EQ(pipe.error, "not a regular file");
}

// ---- Output -------------------------------------------------------------------------------

TEST(ScriptOutputTest, ALineEndsOnlyWithATrailingCrLf) {
  ScriptOutputLines out;
  EXPECT_EQ(out.Add("abc"), std::nullopt);
  EXPECT_EQ(out.Add("def\r\n"), std::optional<std::string>("abcdef"));
  EXPECT_EQ(out.Pending(), "");
  // Inner line ends do not split; a lone LF or CR at the end completes nothing.
  EXPECT_EQ(out.Add("one\r\ntwo\r\n"), std::optional<std::string>("one\r\ntwo"));
  EXPECT_EQ(out.Add("x\n"), std::nullopt);
  EXPECT_EQ(out.Add("\r"), std::nullopt);
  EXPECT_EQ(out.Pending(), "x\n\r");
  EXPECT_EQ(out.Add("\r\n"), std::optional<std::string>("x\n\r"));
  // An empty line is a line.
  EXPECT_EQ(out.Add("\r\n"), std::optional<std::string>(""));
  // A CR and an LF arriving in two texts complete nothing: the pair must end one text.
  EXPECT_EQ(out.Add("a\r"), std::nullopt);
  EXPECT_EQ(out.Add("\n"), std::nullopt);
  EXPECT_EQ(out.Pending(), "a\r\n");
}

}  // namespace
}  // namespace velkoran::app
