// CRC and Base64 values and errors; Win32's sleep, WinExec and processMessages; Dialog
// through the host's questions, and where no dialog can be shown.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "platform/process.h"
#include "script/host/base64_object.h"

namespace kestrin::host_testing {
namespace {

namespace pf = velkoran::platform;

using HostScriptTest = ScratchScriptTest;

// ---------------------------------------------------------------- CRC

TEST_F(HostScriptTest, CrcCheckValues) {
  EXPECT_EQ(Run("var c = new CRC(); println(c.CRC16 + ' ' + c.CRC32);"
                "c.calc('123456789'); println(c.CRC16 + ' ' + c.CRC32);"
                "c.calc('abc'); println(c.CRC16 + ' ' + c.CRC32);"
                "c.calc(''); println(c.CRC16 + ' ' + c.CRC32);"),
            "65535 -1\n28561 -873187034\n25050 891568578\n65535 0\n");
}

TEST_F(HostScriptTest, CrcOfAFileEqualsTheCrcOfItsBytes) {
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += static_cast<char>((i * 31 + 7) % 256);
  WriteFile(dir / "data", bytes);
  WriteFile(dir / "digits", "123456789");
  EXPECT_EQ(Run("var c = new CRC(); c.calcFile('$Ddigits'); println(c.CRC16 + ' ' + c.CRC32);"
                "c.calcFile('$Ddata'); var a = c.CRC32; var f = new File('$Ddata'); f.open(); c.calc(f.read());"
                "println(a == c.CRC32);"),
            "28561 -873187034\ntrue\n");
}

TEST_F(HostScriptTest, CrcErrorsAndTheResetAfterAFailedOpen) {
  EXPECT_EQ(Run("new CRC().calc();"), Uncaught("ECRCError", "calc error"));
  EXPECT_EQ(Run("new CRC().calcFile();"), Uncaught("ECRCError", "calcFile error"));
  EXPECT_EQ(Run("var c = new CRC(); c.calc('abc'); try { c.calcFile('$Dmissing'); } catch (e) { println(e); }"
                "println(c.CRC16 + ' ' + c.CRC32); try { c.calcFile('$D'); } catch (e) { println(e); }"),
            "ECRCError\n65535 -1\nECRCError\n");
}

// ---------------------------------------------------------------- Base64

TEST_F(HostScriptTest, Base64Values) {
  EXPECT_EQ(Run("var b = new Base64(); println('[' + b.encode('') + ']'); println(b.encode('a'));"
                "println(b.encode('Man')); println(b.decode('TWFu')); println(b.decode(\"YW\\r\\nJj\"));"
                "println(b.encode(b.decode('////')));"),
            "[]\nYQ==\nTWFu\nMan\nabc\n////\n");
  // 57 bytes make 76 characters on one line.
  EXPECT_EQ(Run("var s = ''; for (i = 0; i < 57; i++) s = s + 'x'; var e = new Base64().encode(s);"
                "println(e.length); println(e.indexOf(\"\\n\"));"),
            "76\n-1\n");
}

TEST_F(HostScriptTest, Base64Errors) {
  for (const char* m : {"encode", "decode", "encodeHeader", "decodeHeader"}) {
    EXPECT_EQ(Run(std::string("new Base64().") + m + "();"), Uncaught("EBase64Error", std::string(m) + " error"));
  }
}

TEST_F(HostScriptTest, HeaderWordsPassPlainTextAndRoundTrip) {
  EXPECT_EQ(Run("var b = new Base64(); println(b.encodeHeader('plain text')); println(b.decodeHeader('no words'));"),
            "plain text\nno words\n");
  // "日本" in UTF-8 between ASCII: one word for the Japanese run, the rest unchanged.
  const std::string script =
      "var b = new Base64(); var e = b.encodeHeader('Re: \xE6\x97\xA5\xE6\x9C\xAC ok'); println(e);"
      "println(b.decodeHeader(e));";
  pf::SetActiveCodePage(pf::CodePage::Utf8);
  EXPECT_EQ(Run(script), "Re: =?ISO-2022-JP?B?GyRCRnxLXA==?= ok\nRe: \xE6\x97\xA5\xE6\x9C\xAC ok\n");
}

TEST(DecodeHeaderTextTest, FindsTheMarkerInAnyCaseAndGivesCodePageText) {
  // "日本" as ISO-2022-JP: ESC $ B F | K \ ESC ( B.
  const std::string word = "=?iso-2022-jp?b?GyRCRnxLXBsoQg==?=";
  EXPECT_EQ(DecodeHeaderText("a " + word + " b", pf::CodePage::Utf8), "a \xE6\x97\xA5\xE6\x9C\xAC b");
  EXPECT_EQ(DecodeHeaderText("a " + word + " b", pf::CodePage::Cp932), "a \x93\xFA\x96\x7B b");
  // A word that decodes to plain ASCII leaves no escape behind.
  EXPECT_EQ(DecodeHeaderText("=?ISO-2022-JP?B?YWJj?=!", pf::CodePage::Utf8), "abc!");
  // A word without its end loses only its marker.
  EXPECT_EQ(DecodeHeaderText("x =?ISO-2022-JP?B?abc", pf::CodePage::Utf8), "x abc");
  // UTF-8 bytes outside the words stay as they are.
  EXPECT_EQ(DecodeHeaderText("\xC3\xA9 " + word, pf::CodePage::Utf8), "\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
}

// ---------------------------------------------------------------- Win32

TEST(CommandLineTest, SplitsLikeAShellWithoutExpansions) {
  using V = std::vector<std::string>;
  EXPECT_EQ(pf::SplitCommandLine("  ls   -l\t/tmp  "), (V{"ls", "-l", "/tmp"}));
  EXPECT_EQ(pf::SplitCommandLine("echo \"a b\" 'c \"d' e\\ f"), (V{"echo", "a b", "c \"d", "e f"}));
  EXPECT_EQ(pf::SplitCommandLine("x \"q\\\"q\" \"$HOME\" a\"b\"c"), (V{"x", "q\"q", "$HOME", "abc"}));
  EXPECT_EQ(pf::SplitCommandLine("''"), (V{""}));
  EXPECT_EQ(pf::SplitCommandLine(""), V{});
  EXPECT_EQ(pf::SplitCommandLine("open \"quote"), std::nullopt);
  EXPECT_EQ(pf::SplitCommandLine("open 'quote"), std::nullopt);
  EXPECT_EQ(pf::SplitCommandLine("trailing\\"), std::nullopt);
}

TEST_F(HostScriptTest, WinExecStartsAProgramWithoutWaiting) {
  // The program writes its file only after a pause: it cannot be there yet when WinExec
  // has returned without waiting, and must appear afterwards.
  EXPECT_EQ(Run("new Win32().WinExec(\"sh -c 'sleep 2; echo done > \\\"$Dout file\\\"'\");"), "");
  EXPECT_FALSE(Exists(dir / "out file"));
  for (int i = 0; i < 400 && ReadFile(dir / "out file") != "done\n"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ReadFile(dir / "out file"), "done\n");
}

TEST_F(HostScriptTest, WinExecFailures) {
  const std::string error = Uncaught("EWin32Error", "WinExec error");
  EXPECT_EQ(Run("new Win32().WinExec();"), error);
  EXPECT_EQ(Run("new Win32().WinExec('');"), error);
  EXPECT_EQ(Run("new Win32().WinExec('velkoran-no-such-program --x');"), error);
  EXPECT_EQ(Run("new Win32().WinExec('$D');"), error);
  EXPECT_EQ(Run("new Win32().WinExec('echo \"open');"), error);
}

TEST_F(HostScriptTest, SleepWaitsAboutTheGivenTime) {
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Run("var w = new Win32(); w.sleep(120); w.sleep(); w.sleep(-5);"), "");
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(120));
}

TEST(ProcessMessagesTest, CallsTheEnginesPollHook) {
  ScriptHost host;
  int polls = 0;
  host.Host().Engine().OnPoll = [&](TJEngine&) { ++polls; };
  host.Host().Engine().PollInterval = std::chrono::hours(1);
  EXPECT_EQ(host.Run("var w = new Win32(); w.processMessages(); w.processMessages();"), "");
  EXPECT_EQ(polls, 2);
  host.Host().Engine().OnPoll = nullptr;
  EXPECT_EQ(host.Run("new Win32().processMessages(); println('ok');"), "ok\n");
}

// ---------------------------------------------------------------- Dialog

TEST(DialogTest, AsksTheHostWithTitleAndInitialName) {
  ScriptHost host;
  ScriptedQuestions& q = host.Questions();
  q.fileAnswers = {std::string("/x/chosen.txt"), std::nullopt, std::string("/x/saved.txt"), std::string("/x/dir")};
  q.filesAnswer = {"/a", "/b"};
  EXPECT_EQ(host.Run("var d = new Dialog(); println(d.openFile('Pick', 'start.txt')); println(d.openFile());"
                     "println(d.saveFile('Save')); println(d.openFolder('Folder', '/home/user/'));"
                     "println(d.openFiles('Many').commaText);"),
            "/x/chosen.txt\nnull\n/x/saved.txt\n/x/dir\n/a,/b\n");
  ASSERT_EQ(q.asked.size(), 5u);
  EXPECT_EQ(q.asked[0].caption, "Pick");
  EXPECT_EQ(q.asked[0].initial, "start.txt");
  EXPECT_EQ(q.asked[1].caption, host.Host().Engine().Caption());
  EXPECT_FALSE(q.asked[1].caption.empty());
  EXPECT_EQ(q.asked[1].initial, "");
  EXPECT_EQ(q.asked[2].kind, "saveFile");
  EXPECT_EQ(q.asked[3].kind, "openFolder");
  EXPECT_EQ(q.asked[3].initial, "/home/user");
  EXPECT_EQ(q.asked[4].kind, "openFiles");
}

TEST(DialogTest, CancelledMultipleSelectionGivesAnEmptyList) {
  ScriptHost host;
  EXPECT_EQ(host.Run("println(new Dialog().openFiles().count);"), "0\n");
}

TEST(DialogTest, WithoutDialogsEveryMethodRaises) {
  ScriptHost host;
  host.Questions().dialogs = false;
  for (const char* m : {"openFile", "openFiles", "saveFile", "openFolder"}) {
    EXPECT_EQ(host.Run(std::string("new Dialog().") + m + "();"),
              Uncaught("EDialogError", std::string(m) + " error: this program shows no dialogs"));
  }
  EXPECT_TRUE(host.Questions().asked.empty());
}

}  // namespace
}  // namespace kestrin::host_testing
