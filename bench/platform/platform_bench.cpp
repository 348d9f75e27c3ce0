// Micro-benchmarks of the text primitives that every file list row and script string
// passes through.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/codepage.h"
#include "platform/paths.h"

using namespace velkoran::platform;

namespace {

std::string MixedText(std::size_t bytes) {
  std::string s;
  while (s.size() < bytes) s += "abc\x93\xFA\x96\x7B" "def\x95\x5Cghi";
  return s;
}

void BM_CharStepCp932(benchmark::State& state) {
  const std::string text = MixedText(1 << 20);
  for (auto _ : state) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); i += CharStep(text, i, CodePage::Cp932)) ++chars;
    benchmark::DoNotOptimize(chars);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CharStepCp932);

void BM_MaskMatch(benchmark::State& state) {
  const std::string name = "some_long_file_name_with_digits_0123456789.backup.txt";
  for (auto _ : state) {
    benchmark::DoNotOptimize(MatchesMask(name, "*_[0-9]*.TXT", CodePage::Utf8));
  }
}
BENCHMARK(BM_MaskMatch);

}  // namespace

BENCHMARK_MAIN();
