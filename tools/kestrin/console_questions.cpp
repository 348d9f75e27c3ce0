#include "console_questions.h"

#include <cctype>

namespace kestrin {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A line that declines: n, no or cancel, in any case. Anything else (an empty line too)
// agrees.
bool Declines(const std::string& line) {
  const std::string l = Lower(line);
  return l == "n" || l == "no" || l == "cancel";
}

}  // namespace

ConsoleQuestions::ConsoleQuestions(std::FILE* in, std::FILE* err, std::function<void()> beforeRead)
    : in_(in), err_(err), beforeRead_(std::move(beforeRead)) {}

void ConsoleQuestions::Ask(std::string_view caption, std::string_view text) {
  std::fprintf(err_, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(), static_cast<int>(text.size()),
               text.data());
  std::fflush(err_);
}

std::optional<std::string> ConsoleQuestions::ReadLine() {
  if (beforeRead_) beforeRead_();
  std::string line;
  int c;
  bool any = false;
  while ((c = std::fgetc(in_)) != EOF) {
    any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (!any) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string ConsoleQuestions::ReadAll() {
  if (beforeRead_) beforeRead_();
  std::string all;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in_)) > 0) all.append(buf, n);
  return all;
}

velkoran::platform::Answer ConsoleQuestions::AskYesNo(std::string_view caption, std::string_view text) {
  Ask(caption, text);
  const auto line = ReadLine();
  if (!line) return velkoran::platform::Answer::Closed;
  return Declines(*line) ? velkoran::platform::Answer::No : velkoran::platform::Answer::Yes;
}

velkoran::platform::Answer ConsoleQuestions::AskYesNoCancel(std::string_view caption, std::string_view text) {
  Ask(caption, text);
  const auto line = ReadLine();
  if (!line || Lower(*line) == "cancel") return velkoran::platform::Answer::Cancel;
  const std::string l = Lower(*line);
  return l == "n" || l == "no" ? velkoran::platform::Answer::No : velkoran::platform::Answer::Yes;
}

void ConsoleQuestions::Alert(std::string_view caption, std::string_view text) {
  std::fprintf(err_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(err_);
  static_cast<void>(caption);
}

bool ConsoleQuestions::Confirm(std::string_view caption, std::string_view text) {
  Ask(caption, text);
  const auto line = ReadLine();
  return line.has_value() && !Declines(*line);
}

std::optional<std::string> ConsoleQuestions::AskLine(std::string_view caption, std::string_view text,
                                                     std::string_view initial) {
  // A dialog would open with the default already in its edit; here it is shown, and an
  // empty line keeps it.
  if (initial.empty()) {
    Ask(caption, text);
  } else {
    Ask(caption, std::string(text) + " [" + std::string(initial) + "]");
  }
  auto line = ReadLine();
  if (line && line->empty()) *line = std::string(initial);
  return line;
}

std::optional<std::string> ConsoleQuestions::InputText(std::string_view caption, std::string_view prompt,
                                                       std::string_view initial) {
  return AskLine(caption, prompt, initial);
}

std::optional<std::string> ConsoleQuestions::Prompt(std::string_view caption, std::string_view label,
                                                    std::string_view initial) {
  return AskLine(caption, label, initial);
}

std::optional<std::string> ConsoleQuestions::TextArea(std::string_view caption, std::string_view label,
                                                      std::string_view /*initial*/) {
  Ask(caption, label);
  return ReadAll();
}

}  // namespace kestrin
