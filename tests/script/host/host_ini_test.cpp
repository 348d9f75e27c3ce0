// INI images: the lookup rules (case, comments, sections without keys, first match), the
// changes in memory, and save, which writes the image back in one step keeping what the
// file held besides its keys.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "script/host/ini_image.h"

namespace kestrin::host_testing {
namespace {

TEST(IniImageTest, SectionsAndKeysMatchWithoutRegardToCase) {
  TIniImage ini;
  ini.Parse("[Main]\r\nName=Velko\r\nname=second\r\n[main]\r\nother=x\r\n");
  EXPECT_EQ(ini.Read("MAIN", "NAME"), "Velko");
  EXPECT_EQ(ini.Read("main", "other"), std::nullopt);  // only the first matching section answers
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Main", "main"}));
  EXPECT_EQ(ini.SectionKeys("main"), (std::vector<std::string>{"Name", "name"}));
}

TEST(IniImageTest, CommentsEmptyLinesAndTheLinesBeforeTheFirstSectionAreNoKeys) {
  TIniImage ini;
  ini.Parse("top=1\n;c=2\n[s]\n;k=hidden\n\nk=v=w\n novalue\n [t]\n[ spaced ]\na=\n");
  EXPECT_EQ(ini.Read("s", "top"), std::nullopt);
  EXPECT_EQ(ini.Read("s", ";k"), std::nullopt);
  EXPECT_EQ(ini.Read("s", "k"), "v=w");
  EXPECT_EQ(ini.Read("s", " [t]"), std::nullopt);
  EXPECT_EQ(ini.SectionKeys("s"), (std::vector<std::string>{"k"}));
  EXPECT_EQ(ini.Read(" spaced ", "a"), "");
  EXPECT_EQ(ini.Read("spaced", "a"), std::nullopt);  // names are not trimmed
}

TEST(IniImageTest, ASectionWithoutKeysDoesNotExist) {
  TIniImage ini;
  ini.Parse("[empty]\n;only a comment\n[full]\nk=v\n");
  EXPECT_FALSE(ini.SectionExists("empty"));
  EXPECT_TRUE(ini.SectionExists("FULL"));
  EXPECT_FALSE(ini.SectionExists("absent"));
}

TEST(IniImageTest, WriteReplacesTheFirstMatchOrAppends) {
  TIniImage ini;
  ini.Parse("[a]\nk=1\n\n[b]\nx=0\n");
  ini.Write("A", "K", "2");
  ini.Write("a", "new", "3");
  ini.Write("c", "z", "4");
  EXPECT_EQ(ini.Render(), "[a]\r\nK=2\r\nnew=3\r\n\r\n[b]\r\nx=0\r\n\r\n[c]\r\nz=4\r\n");
  ini.DeleteKey("a", "k");
  ini.DeleteKey("a", "missing");
  ini.EraseSection("B");
  EXPECT_EQ(ini.Render(), "[a]\r\nnew=3\r\n\r\n[c]\r\nz=4\r\n");
}

TEST(IniImageTest, RenderKeepsCommentsAndThePreamble) {
  TIniImage ini;
  const std::string text = "; settings\r\n\r\n[s]\r\n; explained\r\nk=v\r\n";
  ini.Parse(text);
  EXPECT_EQ(ini.Render(), text);
}

using IniObjectTest = ScratchScriptTest;

TEST_F(IniObjectTest, AMissingFileReadsDefaultsAndChangesStayInMemory) {
  EXPECT_EQ(Run("var i = new Ini('$Dnone.ini'); println(i.read('S', 'k', 'dflt')); i.write('S', 'k', 'v');"
                "println(i.read('s', 'K', 'dflt')); var j = new Ini('$Dnone.ini'); println(j.read('S', 'k', 'dflt'));"
                "println(i.filename);"),
            "dflt\nv\ndflt\n" + dir / "none.ini" + "\n");
  EXPECT_FALSE(Exists(dir / "none.ini"));
}

TEST_F(IniObjectTest, ReadSectionsAndKeysAsStrings) {
  WriteFile(dir / "a.ini", "[one]\nx=1\ny=2\n[two]\n[three]\nz=3\n");
  EXPECT_EQ(Run("var i = new Ini('$Da.ini'); println(i.readSections().commaText); println(i.readSection('ONE').commaText);"
                "println(i.readSection('nothing').count); println(i.sectionExists('two')); println(i.sectionExists());"
                "i.eraseSection('one'); println(i.readSections().commaText); i.deleteKey('three', 'Z');"
                "println(i.sectionExists('three'));"),
            "one,two,three\nx,y\n0\nfalse\nfalse\ntwo,three\nfalse\n");
}

TEST_F(IniObjectTest, SaveWritesTheImageAndANewObjectSeesIt) {
  WriteFile(dir / "s.ini", "; kept\n[app]\nwidth=10\n");
  EXPECT_EQ(Run("var i = new Ini('$Ds.ini'); i.write('app', 'width', '20'); i.write('new', 'k', 'v');"
                "println(i.save()); println(new Ini('$Ds.ini').read('APP', 'WIDTH', '?'));"),
            "true\n20\n");
  EXPECT_EQ(ReadFile(dir / "s.ini"), "; kept\r\n[app]\r\nwidth=20\r\n\r\n[new]\r\nk=v\r\n");
}

TEST_F(IniObjectTest, SaveKeepsTheFilesPermissionsAndFailsCleanly) {
  WriteFile(dir / "p.ini", "[a]\nk=1\n");
  ::chmod((dir / "p.ini").c_str(), 0640);
  EXPECT_EQ(Run("var i = new Ini('$Dp.ini'); i.write('a', 'k', '2'); i.save();"), "");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "p.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Run("var i = new Ini('$Dno/dir/x.ini'); i.save();"),
            Uncaught("EIniError", "save error: " + dir / "no/dir/x.ini"));
  ::chmod((dir / "p.ini").c_str(), 0444);
  EXPECT_EQ(Run("var i = new Ini('$Dp.ini'); i.write('a', 'k', '3'); i.save();"),
            Uncaught("EIniError", "save error: " + dir / "p.ini"));
  EXPECT_EQ(ReadFile(dir / "p.ini"), "[a]\r\nk=2\r\n");
}

TEST_F(IniObjectTest, ErrorsNameTheOperationAndThePath) {
  const std::string p = dir / "e.ini";
  EXPECT_EQ(Run("new Ini();"), Uncaught("EIniError", "ini create error"));
  EXPECT_EQ(Run("new Ini('$D');"), Uncaught("EIniError", "ini create error"));
  struct Case {
    const char* script;
    const char* op;
  };
  const Case cases[] = {{"i.read('s', 'k');", "read error: "},
                        {"i.write('s', 'k');", "write error: "},
                        {"i.deleteKey('s');", "deleteKey error: "},
                        {"i.eraseSection();", "eraseSection error: "},
                        {"i.readSection();", "readSection error: "}};
  for (const Case& c : cases) {
    EXPECT_EQ(Run(std::string("var i = new Ini('$De.ini'); ") + c.script), Uncaught("EIniError", c.op + p))
        << c.script;
  }
}

}  // namespace
}  // namespace kestrin::host_testing
