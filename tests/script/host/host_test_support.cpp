#include "host_test_support.h"

#include "script/core_script_runner.h"
#include "script/host/host_classes.h"

namespace kestrin::host_testing {

ScriptHost::ScriptHost(std::string scratch) : host_(&questions_, &RegisterHostClasses), scratch_(std::move(scratch)) {
  questions_.dialogs = true;
  host_.OnStdout = [this](TKestrin&, std::string_view text) { output_ += text; };
}

std::string ScriptHost::Run(std::string_view script) {
  std::string text(script);
  for (std::size_t pos = 0; (pos = text.find("$D", pos)) != std::string::npos;) {
    text.replace(pos, 2, scratch_);
    pos += scratch_.size();
  }
  output_.clear();
  result_ = host_.Compile(text) ? host_.Run() : -1;
  return testing::Lines(output_);
}

std::string Uncaught(std::string_view name, std::string_view text) {
  return "Exception: " + std::string(name) + " => " + std::string(text) + "\n";
}

}  // namespace kestrin::host_testing
