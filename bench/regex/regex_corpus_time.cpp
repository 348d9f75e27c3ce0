// Times every input of the regex fuzz target's corpus with the engine's default budget:
// compile, every match, split and replace, as the fuzz target runs them. Prints the
// slowest inputs (CPU time), their outcome, and the total.
// Usage: bench_regex_corpus DIR... (fuzz/corpus/regex, build-fuzz/corpus/regex)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "regex/regex_engine.h"

namespace {

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Timing {
  double ms;
  std::string file;
  int error;  // the first error code the input ended with, 0 for none
};

// The fuzz target's input: modifier byte, pattern length byte, pattern, subject.
int Run(const std::string& input) {
  using velkoran::regex::ERegexEngine;
  if (input.size() < 2) return 0;
  const auto modifiers = static_cast<unsigned char>(input[0]);
  const std::string pattern = input.substr(2, std::min<std::size_t>(static_cast<unsigned char>(input[1]), input.size() - 2));
  const std::string_view subject = std::string_view(input).substr(2 + pattern.size());
  velkoran::regex::TRegexEngine e;
  int error = 0;
  try {
    e.SetModifier('i', modifiers & 1);
    e.SetModifier('r', !(modifiers & 2));
    e.SetModifier('s', !(modifiers & 4));
    e.SetExpression(pattern);
  } catch (const ERegexEngine& err) {
    return err.code();
  }
  const auto attempt = [&](auto&& call) {
    try {
      call();
    } catch (const ERegexEngine& err) {
      if (error == 0) error = err.code();
    }
  };
  attempt([&] {
    for (bool found = e.SearchBorrowed(subject); found; found = e.SearchNext()) {
    }
  });
  attempt([&] { e.SplitAll(subject); });
  attempt([&] { e.ReplaceAll(subject, "<>"); });
  return error;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Timing> times;
  double total = 0;
  for (int a = 1; a < argc; ++a) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[a])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const double t0 = CpuMs();
      const int error = Run(input);
      const double ms = CpuMs() - t0;
      total += ms;
      times.push_back({ms, entry.path().string(), error});
    }
  }
  std::sort(times.begin(), times.end(), [](const Timing& x, const Timing& y) { return x.ms > y.ms; });
  std::printf("%zu inputs, %.1f ms CPU in all\n", times.size(), total);
  for (std::size_t i = 0; i < times.size() && i < 10; ++i)
    std::printf("%9.2f ms  error %4d  %s\n", times[i].ms, times[i].error, times[i].file.c_str());
  return 0;
}
