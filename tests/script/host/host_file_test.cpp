// The File object against a scratch folder: reading bytes and lines, writing, seeking,
// share modes between handles, copy, rename and delete, and the exact error texts.
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "script/host/safe_file_stream.h"

namespace kestrin::host_testing {
namespace {

using FileObjectTest = ScratchScriptTest;

TEST_F(FileObjectTest, ReadWithAndWithoutCount) {
  WriteFile(dir / "ten", "0123456789");
  EXPECT_EQ(Run("var f = new File('$Dten'); f.open();"
                "println(f.read(100)); println('[' + f.read() + ']'); println(f.eof());"
                "f.seek(3); println(f.read(4)); println(f.read());"),
            "0123456789\n[]\ntrue\n3456\n789\n");
}

TEST_F(FileObjectTest, ReadWholeFileBeyondOneChunkKeepsEveryByte) {
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>((i * 7) % 256);
  WriteFile(dir / "big", bytes);
  EXPECT_EQ(Run("var f = new File('$Dbig'); f.open(); var s = f.read(); f.close();"
                "var o = new File('$Dcopy'); o.open('w'); println(o.write(s)); o.close();"
                "println(s.length);"),
            "200000\n200000\n");
  EXPECT_EQ(ReadFile(dir / "copy"), bytes);
}

TEST_F(FileObjectTest, ReadlnTrimsLineEndsAndBlanksButNotAnUnterminatedLastLine) {
  WriteFile(dir / "lines", "abc  \r\n\r\ndef");
  EXPECT_EQ(Run("var f = new File('$Dlines'); f.open();"
                "for (i = 0; i < 4; i++) println('[' + f.readln() + ']');"),
            "[abc]\n[]\n[def]\n[]\n");
  WriteFile(dir / "tail", "x\ny \t");
  EXPECT_EQ(Run("var f = new File('$Dtail'); f.open(); f.readln(); println('[' + f.readln() + ']');"),
            "[y \t]\n");
}

TEST_F(FileObjectTest, ReadlnLeavesThePositionJustAfterTheLineFeed) {
  WriteFile(dir / "mixed", "one\ntwo\nthree\n");
  EXPECT_EQ(Run("var f = new File('$Dmixed'); f.open();"
                "println(f.readln()); println(f.read(3)); println('[' + f.readln() + ']'); println(f.readln());"
                "f.seek(0); println(f.readln()); f.seek(4); println(f.readln()); println(f.eof());"),
            "one\ntwo\n[]\nthree\none\ntwo\nfalse\n");
}

TEST_F(FileObjectTest, ReadlnJoinsALineLongerThanOneChunk) {
  const std::string longLine(150000, 'q');
  WriteFile(dir / "long", longLine + "\r\nnext\n");
  EXPECT_EQ(Run("var f = new File('$Dlong'); f.open(); var l = f.readln();"
                "println(l.length); println(f.readln()); println(f.eof());"),
            "150000\nnext\ntrue\n");
}

TEST_F(FileObjectTest, ReadlnSeesWritesMadeThroughAnotherOpen) {
  WriteFile(dir / "grow", "a\n");
  EXPECT_EQ(Run("var r = new File('$Dgrow'); r.open('rd'); println(r.readln()); println('[' + r.readln() + ']');"
                "r.close(); var w = new File('$Dgrow'); w.open('w'); w.seek(2); w.write(\"b\\n\"); w.close();"
                "r.open('rd'); r.seek(2); println(r.readln());"),
            "a\n[]\nb\n");
}

TEST_F(FileObjectTest, WriteModeCreatesAMissingFileAndNeverTruncates) {
  EXPECT_EQ(Run("var f = new File('$Dnew'); println(f.exists()); f.open('w'); println(f.exists());"
                "println(f.length); f.close();"),
            "false\ntrue\n0\n");
  EXPECT_TRUE(Exists(dir / "new"));
  WriteFile(dir / "ten", "0123456789");
  EXPECT_EQ(Run("var f = new File('$Dten'); f.open('w'); println(f.write('ab')); f.close();"), "2\n");
  EXPECT_EQ(ReadFile(dir / "ten"), "ab23456789");
}

TEST_F(FileObjectTest, WritelnAddsCarriageReturnAndLineFeed) {
  EXPECT_EQ(Run("var f = new File('$Dw'); f.open('w'); println(f.writeln('x')); println(f.writeln(12)); f.close();"),
            "3\n4\n");
  EXPECT_EQ(ReadFile(dir / "w"), "x\r\n12\r\n");
}

TEST_F(FileObjectTest, SeekCountsANegativeOffsetFromTheEnd) {
  WriteFile(dir / "ten", "0123456789");
  EXPECT_EQ(Run("var f = new File('$Dten'); f.open(); println(f.seek(-1)); println(f.read());"
                "println(f.seek(4)); println(f.seek(-20)); println(f.seek(25)); println(f.eof());"),
            "9\n9\n4\n-1\n25\nfalse\n");
}

TEST_F(FileObjectTest, OpenModesDecideReadAndWriteAccess) {
  WriteFile(dir / "f", "x");
  EXPECT_EQ(Run("var f = new File('$Df'); println(f.canRead() + ' ' + f.canWrite());"
                "f.open(); println(f.canRead() + ' ' + f.canWrite());"
                "f.open('W'); println(f.canRead() + ' ' + f.canWrite());"
                "f.open('rw'); println(f.canRead() + ' ' + f.canWrite());"
                "f.open('rd'); println(f.canRead() + ' ' + f.canWrite());"
                "println(f.close()); println(f.close()); println(f.isOpened() + ' ' + f.canRead());"),
            "false false\ntrue false\nfalse true\nfalse true\ntrue false\ntrue\nfalse\nfalse false\n");
}

TEST_F(FileObjectTest, ShareModesBetweenHandles) {
  WriteFile(dir / "s", "data");
  const std::string cannot = Uncaught("EFileError", "can not open: " + dir / "s");
  // Two opens that let others read coexist.
  EXPECT_EQ(Run("var a = new File('$Ds'); a.open(); var b = new File('$Ds'); b.open(); println(b.read());"),
            "data\n");
  // "r" is exclusive: nothing else opens it, and it cannot join a reader.
  EXPECT_EQ(Run("var a = new File('$Ds'); a.open('r'); var b = new File('$Ds'); b.open();"), cannot);
  EXPECT_EQ(Run("var a = new File('$Ds'); a.open(); var b = new File('$Ds'); b.open('r');"), cannot);
  // A writer that lets others read still keeps every other open of ours out.
  EXPECT_EQ(Run("var a = new File('$Ds'); a.open('wd'); var b = new File('$Ds'); b.open();"), cannot);
  // Closing gives the file free.
  EXPECT_EQ(Run("var a = new File('$Ds'); a.open('w'); a.close(); var b = new File('$Ds'); b.open('r');"
                "println(b.read());"),
            "data\n");
}

TEST_F(FileObjectTest, BusyFilesAreNeitherCopiedRenamedNorRemoved) {
  WriteFile(dir / "busy", "b");
  EXPECT_EQ(Run("var a = new File('$Dbusy'); a.open('w'); var b = new File('$Dbusy'); b.remove();"),
            Uncaught("EFileError", "remove error: " + dir / "busy"));
  EXPECT_EQ(Run("var a = new File('$Dbusy'); a.open('w'); var b = new File('$Dbusy'); b.renameTo('$Dother');"),
            Uncaught("EFileError", "rename error: " + dir / "busy"));
  EXPECT_EQ(Run("var a = new File('$Dbusy'); a.open('r'); var c = new CRC(); c.calcFile('$Dbusy');"),
            Uncaught("ECRCError", "calcFile error"));
  EXPECT_EQ(ReadFile(dir / "busy"), "b");
  EXPECT_FALSE(Exists(dir / "other"));
}

TEST_F(FileObjectTest, CopyToReplacesTheTargetAndKeepsTheSource) {
  WriteFile(dir / "src", "new content");
  WriteFile(dir / "dst", "old");
  EXPECT_EQ(Run("var f = new File('$Dsrc'); f.open(); println(f.copyTo('$Ddst')); println(f.isOpened());"
                "println(f.filename);"),
            "true\nfalse\n" + dir / "src" + "\n");
  EXPECT_EQ(ReadFile(dir / "dst"), "new content");
  EXPECT_EQ(ReadFile(dir / "src"), "new content");
}

TEST_F(FileObjectTest, CopyToKeepsTheModificationTime) {
  WriteFile(dir / "src", "x");
  utimbuf times{1000000000, 1000000000};
  ASSERT_EQ(::utime((dir / "src").c_str(), &times), 0);
  EXPECT_EQ(Run("new File('$Dsrc').copyTo('$Ddst');"), "");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);
}

TEST_F(FileObjectTest, CopyToAReadOnlyTargetFailsAndLeavesItAlone) {
  WriteFile(dir / "src", "new");
  WriteFile(dir / "ro", "old");
  ::chmod((dir / "ro").c_str(), 0444);
  EXPECT_EQ(Run("new File('$Dsrc').copyTo('$Dro');"), Uncaught("EFileError", "copy error: " + dir / "src"));
  EXPECT_EQ(ReadFile(dir / "ro"), "old");
  EXPECT_EQ(Run("var f = new File('$Dro'); f.remove();"), Uncaught("EFileError", "remove error: " + dir / "ro"));
  EXPECT_TRUE(Exists(dir / "ro"));
}

TEST_F(FileObjectTest, RenameToMovesWithoutReplacing) {
  ::mkdir((dir / "sub").c_str(), 0755);
  WriteFile(dir / "a", "A");
  WriteFile(dir / "b", "B");
  EXPECT_EQ(Run("var f = new File('$Da'); println(f.renameTo('$Dsub/a2')); println(f.filename);"),
            "true\n" + dir / "sub/a2" + "\n");
  EXPECT_EQ(ReadFile(dir / "sub/a2"), "A");
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_EQ(Run("var f = new File('$Dsub/a2'); f.renameTo('$Db');"),
            Uncaught("EFileError", "rename error: " + dir / "sub/a2"));
  EXPECT_EQ(ReadFile(dir / "b"), "B");
  EXPECT_EQ(ReadFile(dir / "sub/a2"), "A");
}

TEST_F(FileObjectTest, RemoveDeletesTheFileAndClosesIt) {
  WriteFile(dir / "gone", "x");
  EXPECT_EQ(Run("var f = new File('$Dgone'); f.open(); println(f.remove()); println(f.isOpened() + ' ' + f.exists());"),
            "true\nfalse false\n");
  EXPECT_FALSE(Exists(dir / "gone"));
}

TEST_F(FileObjectTest, ExistsIsFalseForADirectoryWhichCannotBeOpened) {
  EXPECT_EQ(Run("var f = new File('$D'); println(f.exists());"), "false\n");
  EXPECT_EQ(Run("var f = new File('$D'); f.open();"), Uncaught("EFileError", "can not open: " + dir.Path()));
}

TEST_F(FileObjectTest, ErrorsNameTheOperationAndThePath) {
  const std::string p = dir / "closed";
  WriteFile(p, "x");
  struct Case {
    const char* script;
    std::string expected;
  };
  const Case cases[] = {
      {"f.read();", Uncaught("EFileError", "read error: " + p)},
      {"f.readln();", Uncaught("EFileError", "read error: " + p)},
      {"f.write('x');", Uncaught("EFileError", "write error: " + p)},
      {"f.open('w'); f.write();", Uncaught("EFileError", "write error: " + p)},
      {"f.open('w'); f.writeln();", Uncaught("EFileError", "write error: " + p)},
      {"f.eof();", Uncaught("EFileError", "eof error: " + p)},
      {"f.seek(0);", Uncaught("EFileError", "seek error: " + p)},
      {"f.open(); f.seek();", Uncaught("EFileError", "seek error: " + p)},
      {"println(f.length);", Uncaught("EFileError", "length error: " + p)},
      {"f.renameTo();", Uncaught("EFileError", "rename error: " + p)},
      {"f.copyTo();", Uncaught("EFileError", "copy error: " + p)},
      {"f.filename = '$Dmissing'; f.open();", Uncaught("EFileError", "can not open: " + dir / "missing")},
      {"f.filename = '$Dmissing'; f.remove();", Uncaught("EFileError", "remove error: " + dir / "missing")},
      {"f.filename = '$Dmissing'; f.copyTo('$Dx');", Uncaught("EFileError", "copy error: " + dir / "missing")},
      {"try { f.read(); } catch (e) { println(e); }", "EFileError\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(std::string("var f = new File('") + p + "'); " + c.script), c.expected) << c.script;
  }
}

TEST_F(FileObjectTest, FilenameCanChangeWhileTheFileStaysOpen) {
  WriteFile(dir / "one", "1");
  EXPECT_EQ(Run("var f = new File('$Done'); f.open(); f.filename = '$Dtwo'; println(f.isOpened());"
                "println(f.read()); println(f.toString()); println(f.length);"),
            "true\n1\n" + dir / "two" + "\n1\n");
  EXPECT_EQ(Run("var f = new File(); println('[' + f.filename + ']');"), "[]\n");
}

TEST_F(FileObjectTest, LastModifiedIsALocalDate) {
  WriteFile(dir / "dated", "x");
  std::tm local{};
  local.tm_year = 2001 - 1900;
  local.tm_mon = 1;
  local.tm_mday = 3;
  local.tm_hour = 4;
  local.tm_min = 5;
  local.tm_sec = 6;
  local.tm_isdst = -1;
  const std::time_t when = std::mktime(&local);
  utimbuf times{when, when};
  ASSERT_EQ(::utime((dir / "dated").c_str(), &times), 0);
  EXPECT_EQ(Run("var f = new File('$Ddated'); println(f.lastModified);"), "2001/02/03 4:05:06\n");
  // A missing file, or a directory, gives the current date.
  const std::time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  EXPECT_EQ(Run("var f = new File('$Dnothing'); println(f.lastModified.getFullYear());"),
            std::to_string(today.tm_year + 1900) + "\n");
  EXPECT_EQ(Run("var f = new File('$D'); println(f.lastModified.getFullYear());"),
            std::to_string(today.tm_year + 1900) + "\n");
}

TEST_F(FileObjectTest, FlushAnswersWhetherTheFileIsOpen) {
  EXPECT_EQ(Run("var f = new File('$Dfl'); println(f.flush()); f.open('w'); println(f.flush());"), "false\ntrue\n");
}

TEST(SafeFileStreamTest, UseWithoutAHandleRaisesTheStreamsOwnError) {
  TSafeFileStream stream;
  char byte = 0;
  EXPECT_THROW(stream.Read(&byte, 1), EFOpenError);
  EXPECT_THROW(stream.Write(&byte, 1), EFOpenError);
  EXPECT_THROW(stream.Seek(0, SeekOrigin::Begin), EFOpenError);
  EXPECT_FALSE(stream.Flush());
  EXPECT_THROW(stream.Open("", file_mode::kRead), EFOpenError);
  EXPECT_EQ(stream.Mode(), 0);
}

}  // namespace
}  // namespace kestrin::host_testing
