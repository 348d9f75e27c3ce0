// ScriptSession: the window's script interpreter and the one script it runs at a time.
// It owns the interpreter, launches the scripts of the script menus over the tree's or the
// list's selection, collects their output into log lines, and is the host the scripts'
// application object ("Velko") drives, forwarding every request to the window's logic.
// While a script runs the window takes only the break and repaint commands (see
// WindowKeyFilter); Abort stops the script at its next statement.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_script_object.h"
#include "app/logic/script_launch.h"

namespace kestrin {
class TKestrin;
struct TJSourceOrigin;
}

namespace velkoran::platform {
class UserQuestions;
}

namespace velkoran::app {

class WindowLogic;

// Whose selection a script menu item runs over.
enum class ScriptTarget { Tree, List };

class ScriptSession final : private TVelkoranHost {
 public:
  // questions answers the scripts' dialogs; onRunning is told when a script starts (true)
  // and when it has ended and its objects are freed (false). The logic must outlive the
  // session.
  ScriptSession(WindowLogic& logic, platform::UserQuestions* questions, std::function<void(bool)> onRunning);
  ~ScriptSession();
  ScriptSession(const ScriptSession&) = delete;
  ScriptSession& operator=(const ScriptSession&) = delete;

  // Makes the application class known to scripts; the window does it once it is shown.
  void RegisterApplicationClass();

  // Runs a script file over the tree's selected node or the list's selected rows (in list
  // order). A file that cannot be read leaves a line in the log. One script at a time.
  void RunScriptFile(const std::string& path, ScriptTarget target, const std::vector<int>& selectedRows);
  // Compiles and runs a generated program, then frees what the script left; compile errors
  // name the origin's file and line.
  void RunProgram(std::string_view program, const kestrin::TJSourceOrigin& origin);
  void Abort();
  // True while a script runs.
  bool Running() const { return running_; }

  // Script output: complete lines go to the log.
  void Stdout(std::string_view text);
  kestrin::TKestrin& Interpreter() { return *kestrin_; }

 private:
  void ReleaseScriptObjects();

  // TVelkoranHost: what the application object of a script drives.
  int ScriptTabIndex() const override;
  int ScriptTabCount() const override;
  std::int32_t ScriptProgressPosition(ScriptProgressBar bar) const override;
  std::int32_t ScriptProgressMaximum(ScriptProgressBar bar) const override;
  void SetScriptProgressPosition(ScriptProgressBar bar, std::int32_t position) override;
  void SetScriptProgressMaximum(ScriptProgressBar bar, std::int32_t maximum) override;
  int ScriptFileBufferIndex() const override;
  void SetScriptFileBufferIndex(int index) override;
  void ScriptUpdateTree() override;
  void ScriptUpdateFileList() override;
  void ScriptLog(std::string_view text) override;
  void ScriptChangeTab(int index) override;
  void ScriptToggleBufferEntry(std::string_view path) override;
  void ScriptShowFileBuffer() override;

  WindowLogic& logic_;
  std::function<void(bool)> onRunning_;
  std::unique_ptr<kestrin::TKestrin> kestrin_;
  ScriptOutputLines output_;  // LineBuffer
  bool running_ = false;
};

}  // namespace velkoran::app
