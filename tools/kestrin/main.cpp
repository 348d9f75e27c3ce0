// kestrin: runs a script file (or a text given with -e) through the interpreter on the
// console. The script's output goes to stdout byte for byte; its questions are asked on
// stderr and answered from stdin.
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "console_questions.h"
#include "platform/codepage.h"
#include "platform/fileio.h"
#include "platform/version.h"
#include "script/host/host_classes.h"
#include "script/kestrin.h"

namespace {

constexpr int kUsageError = 2;

const char kHelp[] =
    "Usage: kestrin [--codepage utf-8|cp932] FILE [ARG...]\n"
    "       kestrin [--codepage utf-8|cp932] -e TEXT [ARG...]\n"
    "       kestrin --version\n"
    "\n"
    "Runs a Kestrin script. FILE \"-\" reads the script from standard input; any other\n"
    "FILE must be a regular file (a pipe's text goes through \"-\").\n"
    "Each ARG reaches the script as a string in the array `args`.\n"
    "\n"
    "Options:\n"
    "  --codepage NAME  the system code page of the script's bytes: utf-8 or cp932\n"
    "                   (default: VELKORAN_CODEPAGE, else the locale's character set)\n"
    "  -e TEXT          run TEXT instead of a file\n"
    "  --version        show the version\n"
    "  -h, --help       show this help\n"
    "\n"
    "`import name;` looks for name.js in the current directory, the program folder and\n"
    "the script file's directory.\n"
    "\n"
    "Output: everything the script prints, exactly as printed, on standard output.\n"
    "Questions: alert writes its message to standard error; confirm and prompt show\n"
    "their text on standard error and read one line from standard input (end of input\n"
    "cancels; for confirm, n, no or cancel decline; for prompt, an empty line takes the\n"
    "default shown in brackets); textArea reads standard input to its end. File and\n"
    "folder dialogs are not available.\n"
    "\n"
    "Exit status: the script's result (the value of a top-level return, or the code\n"
    "given to exit) in its low 8 bits; 1 when the script does not compile or ends with\n"
    "an uncaught error or an abort; 2 for a usage error or an unreadable file.\n";

std::optional<std::string> ReadWhole(std::FILE* f) {
  std::string all;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
  if (std::ferror(f)) return std::nullopt;
  return all;
}

// Ctrl+C asks the running script to stop, as Esc does in the window: the engine's poll
// hook (between statements and between the slices of every network wait) turns the
// request into an abort. A second Ctrl+C ends the program at once.
volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) { gInterrupted = 1; }

void CatchInterrupt() {
  struct sigaction action {};
  action.sa_handler = &OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::size_t i = 0;
  std::optional<std::string> inlineText;
  std::optional<std::string> file;
  while (i < args.size()) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("kestrin (Velkoran) %s\n", velkoran::platform::kVersion);
      return 0;
    }
    if (a == "--codepage") {
      if (i + 1 >= args.size()) {
        std::fputs("kestrin: --codepage needs utf-8 or cp932\n", stderr);
        return kUsageError;
      }
      const auto cp = velkoran::platform::CodePageFromName(args[i + 1]);
      if (!cp) {
        std::fprintf(stderr, "kestrin: unknown code page: %s\n", args[i + 1].c_str());
        return kUsageError;
      }
      velkoran::platform::SetActiveCodePage(*cp);
      i += 2;
      continue;
    }
    if (a == "-e") {
      if (i + 1 >= args.size()) {
        std::fputs("kestrin: -e needs the script text\n", stderr);
        return kUsageError;
      }
      inlineText = args[i + 1];
      i += 2;
      break;
    }
    if (a.size() > 1 && a[0] == '-' && a != "-") {
      std::fprintf(stderr, "kestrin: unknown option: %s (see --help)\n", a.c_str());
      return kUsageError;
    }
    file = a;
    ++i;
    break;
  }
  if (!inlineText && !file) {
    std::fputs(kHelp, stderr);
    return kUsageError;
  }

  std::string source;
  if (inlineText) {
    source = *inlineText;
  } else if (*file == "-") {
    auto text = ReadWhole(stdin);
    if (!text) {
      std::fputs("kestrin: cannot read the script from standard input\n", stderr);
      return kUsageError;
    }
    source = std::move(*text);
  } else {
    // Only a regular file; a pipe's text comes through "-".
    int error = 0;
    auto text = velkoran::platform::ReadRegularFile(*file, &error);
    if (!text) {
      std::fprintf(stderr, "kestrin: cannot read %s: %s\n", file->c_str(),
                   velkoran::platform::ErrorText(error).c_str());
      return kUsageError;
    }
    source = std::move(*text);
  }

  kestrin::ConsoleQuestions questions(stdin, stderr, [] { std::fflush(stdout); });
  kestrin::TKestrin host(&questions, &kestrin::RegisterHostClasses);
  host.OnStdout = [](kestrin::TKestrin&, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); };
  host.Engine().OnPoll = [](kestrin::TJEngine& engine) {
    if (gInterrupted != 0) engine.AbortRequested = true;
  };
  CatchInterrupt();
  if (file && *file != "-") {
    const std::string dir = DirectoryOf(*file);
    host.LibraryPath().push_back(dir.empty() ? std::string("./") : dir);
  }

  // Errors in a script file name it and the line; inline text and standard input keep the
  // bare message.
  kestrin::TJSourceOrigin origin;
  if (file && *file != "-") origin.Name = *file;
  if (!host.Compile(source, origin)) {
    std::fflush(stdout);
    // A text without any statement is not an error: there is simply nothing to run.
    return host.CompileFailed() ? 1 : 0;
  }
  std::vector<kestrin::TKestrinArgument> scriptArgs;
  for (; i < args.size(); ++i) scriptArgs.emplace_back(args[i]);
  std::int32_t result = 0;
  try {
    result = host.Run(scriptArgs);
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "kestrin: %s\n", e.what());
    return 1;
  }
  std::fflush(stdout);
  const auto outcome = host.Engine().LastOutcome;
  if (outcome == kestrin::TJRunOutcome::ScriptError || outcome == kestrin::TJRunOutcome::Aborted) return 1;
  return static_cast<int>(static_cast<std::uint32_t>(result) & 0xFF);
}
