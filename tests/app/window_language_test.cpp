// The window in English (the program's catalogue installed, as an English locale or
// VELKORAN_LANG=en does at start): menus, captions, questions and log lines are English,
// while what a script sees and reports (error names, exception texts) stays as it is.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTranslator>

#include "app/qt_translation.h"
#include "window_scripts_support.h"

namespace velkoran::app {
namespace {

using testing::MakeDirs;
using testing::WriteFile;

class WindowEnglishTest : public testing::ScriptWindowFixture {
 protected:
  WindowEnglishTest() : catalogue_(InstallUiLanguage(*QCoreApplication::instance(), platform::UiLanguage::English)) {}
  ~WindowEnglishTest() override {
    CloseWindow();
    RemoveUiLanguage(catalogue_);
  }

  QTranslator* catalogue_;
};

TEST_F(WindowEnglishTest, MenusCaptionsQuestionsAndLogLinesAreEnglish) {
  ASSERT_NE(catalogue_, nullptr) << "the compiled catalogue is missing from the resources";
  MakeDirs(data / "dir");
  WriteFile(data / "dir/f.txt", "x");
  Open();
  Go(data / "dir");

  EXPECT_EQ(Captions("PM_File"),
            (std::vector<std::string>{"Open", "Open with", "Open terminal here", "Delete", "Delete permanently", "Select all",
                                      "Rename", "New directory", "Add to launcher", "Move here from buffer",
                                      "Copy here from buffer", "Add focused item to buffer", "Add selection to buffer",
                                      "Add selection to buffer", "Go to parent directory", "Scripts", "Refresh tree",
                                      "Refresh file list", "Directory size"}));
  EXPECT_EQ(FromQ(form->Action("AC_AddItemToBuffer11")->text()), "Add to buffer 12");
  EXPECT_EQ(FromQ(form->Menu("MI_Setting")->title()), "Settings");
  EXPECT_EQ(FromQ(Child<QPushButton>("SB_Go")->text()), "Go");
  EXPECT_EQ(FromQ(Child<QLabel>("LB_BufferIndex")->text()), "Buffer 1");
  EXPECT_EQ(FromQ(List()->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString()), "Name");
  EXPECT_EQ(LogSince(0).front(), "Log");

  // A question and the log lines of a command.
  SelectRows({"f.txt"});
  form->Action("AC_DeleteFile")->trigger();
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].caption, "Confirm delete");
  EXPECT_EQ(questions.asked[0].text, data / "dir/f.txt\nMove these to the trash?\n(1 entries)");
  const std::size_t mark = LogCount();
  form->findChild<QAction*>("N21")->trigger();  // the tree's directory size
  testing::Settle();
  const std::vector<std::string> survey = LogSince(mark);
  ASSERT_EQ(survey.size(), 3u) << ::testing::PrintToString(survey);
  EXPECT_EQ(survey[0], "Directory size survey started.");
  EXPECT_EQ(survey[2].rfind("Files: 1 Directories: 0 Size: ", 0), 0u) << survey[2];
}

TEST_F(WindowEnglishTest, ScriptsReportTheirErrorsAsInJapanese) {
  Script("bad.txt", "println('ran');\nx = ;\n");
  Script("throws.txt", "throw 'x';\n");
  Script("readonly.txt", "Velko.TabCount = 3;\n");
  Open();
  const std::size_t mark = LogCount();
  for (const char* name : {"bad", "throws", "readonly"}) RunFrom("PM_Script", name);
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"bad.txt: SyntaxError: Line( 2 ) Text( ; )", "Exception: EThrow => ",
                                                      "Exception: EPropertyError => get only"}));
}

}  // namespace
}  // namespace velkoran::app
