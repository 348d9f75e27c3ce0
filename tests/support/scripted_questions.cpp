#include "support/scripted_questions.h"

namespace velkoran::testing {

using platform::Answer;

std::ostream& operator<<(std::ostream& out, const AskedQuestion& question) {
  return out << question.kind << "(\"" << question.caption << "\", \"" << question.text << "\", \""
             << question.initial << "\")";
}

Answer ScriptedQuestions::NextAnswer(AskedQuestion question) {
  asked.push_back(question);
  if (onAsk) onAsk();
  if (answers.empty()) return Unanswered(question);
  const Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedQuestions::NextText(std::deque<std::optional<std::string>>& queue,
                                                       AskedQuestion question) {
  asked.push_back(std::move(question));
  if (queue.empty()) return std::nullopt;
  auto text = queue.front();
  queue.pop_front();
  return text;
}

Answer ScriptedQuestions::AskYesNo(std::string_view caption, std::string_view text) {
  return NextAnswer({"yesno", std::string(caption), std::string(text), {}});
}

Answer ScriptedQuestions::AskYesNoCancel(std::string_view caption, std::string_view text) {
  return NextAnswer({"yesnocancel", std::string(caption), std::string(text), {}});
}

void ScriptedQuestions::Alert(std::string_view caption, std::string_view text) {
  asked.push_back({"alert", std::string(caption), std::string(text), {}});
}

bool ScriptedQuestions::Confirm(std::string_view caption, std::string_view text) {
  return NextAnswer({"confirm", std::string(caption), std::string(text), {}}) == Answer::Yes;
}

std::optional<std::string> ScriptedQuestions::InputText(std::string_view caption, std::string_view prompt,
                                                        std::string_view initial) {
  return NextText(inputs, {"input", std::string(caption), std::string(prompt), std::string(initial)});
}

std::optional<std::string> ScriptedQuestions::Prompt(std::string_view caption, std::string_view label,
                                                     std::string_view initial) {
  return NextText(prompts, {"prompt", std::string(caption), std::string(label), std::string(initial)});
}

std::optional<std::string> ScriptedQuestions::TextArea(std::string_view caption, std::string_view label,
                                                       std::string_view initial) {
  return NextText(textAreas, {"textArea", std::string(caption), std::string(label), std::string(initial)});
}

std::optional<std::string> ScriptedQuestions::OpenFile(std::string_view title, std::string_view initialName) {
  return NextText(fileAnswers, {"openFile", std::string(title), {}, std::string(initialName)});
}

std::vector<std::string> ScriptedQuestions::OpenFiles(std::string_view title, std::string_view initialName) {
  asked.push_back({"openFiles", std::string(title), {}, std::string(initialName)});
  return filesAnswer;
}

std::optional<std::string> ScriptedQuestions::SaveFile(std::string_view title, std::string_view initialName) {
  return NextText(fileAnswers, {"saveFile", std::string(title), {}, std::string(initialName)});
}

std::optional<std::string> ScriptedQuestions::OpenFolder(std::string_view title, std::string_view initialFolder) {
  return NextText(fileAnswers, {"openFolder", std::string(title), {}, std::string(initialFolder)});
}

}  // namespace velkoran::testing
