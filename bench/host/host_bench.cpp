// Host objects under load, driven through scripts as users drive them: reading a file
// line by line (and, for comparison, what reading 65535 bytes afresh for every line would
// cost), checksumming a file, filling a sorted string list, and INI look-ups.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "script/host/host_classes.h"
#include "script/kestrin.h"
#include "support/scratch_dir.h"

namespace {

velkoran::testing::ScratchDir& TheScratch() {
  static velkoran::testing::ScratchDir scratch;
  return scratch;
}

// A file of `lines` lines of 79 bytes and CR LF: 81 bytes a line.
const std::string& LinesFile(int lines) {
  static std::string path;
  if (path.empty()) {
    path = TheScratch() / "lines.txt";
    std::ofstream out(path, std::ios::binary);
    std::string line(79, 'x');
    for (int i = 0; i < lines; ++i) {
      std::snprintf(line.data(), 12, "%010d", i);
      line[10] = ' ';
      out << line << "\r\n";
    }
  }
  return path;
}

const std::string& BinaryFile(std::size_t bytes) {
  static std::string path;
  if (path.empty()) {
    path = TheScratch() / "data.bin";
    std::ofstream out(path, std::ios::binary);
    std::mt19937 rng(7);
    std::string chunk(1 << 20, '\0');
    for (std::size_t done = 0; done < bytes; done += chunk.size()) {
      for (char& c : chunk) c = static_cast<char>(rng());
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
  }
  return path;
}

// Compiles once, runs the script each iteration; stops the benchmark on a script error.
void RunScript(benchmark::State& state, const std::string& script, std::int64_t bytesPerRun) {
  kestrin::TKestrin host(nullptr, &kestrin::RegisterHostClasses);
  std::string output;
  host.OnStdout = [&](kestrin::TKestrin&, std::string_view text) { output += text; };
  if (!host.Compile(script)) {
    state.SkipWithError(("does not compile: " + output).c_str());
    return;
  }
  for (auto _ : state) {
    output.clear();
    benchmark::DoNotOptimize(host.Run());
    if (output.find("Exception") != std::string::npos) {
      state.SkipWithError(output.c_str());
      return;
    }
  }
  if (bytesPerRun > 0) state.SetBytesProcessed(state.iterations() * bytesPerRun);
}

constexpr int kLines = 200000;

void BM_FileReadln(benchmark::State& state) {
  const std::string& path = LinesFile(kLines);
  RunScript(state,
            "var f = new File('" + path + "'); f.open(); var n = 0;"
            "while (!f.eof()) { f.readln(); n++; } f.close(); if (n != " + std::to_string(kLines) + ") x.y;",
            static_cast<std::int64_t>(kLines) * 81);
}
BENCHMARK(BM_FileReadln)->Unit(benchmark::kMillisecond);

// What each readln would cost if it read 65535 bytes afresh at the line's start.
void BM_ReadlnRereadingEveryLine(benchmark::State& state) {
  const std::string& path = LinesFile(kLines);
  std::string buffer(65535, '\0');
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    off_t pos = 0;
    int lines = 0;
    for (;;) {
      const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), pos);
      if (n <= 0) break;
      const void* lf = std::memchr(buffer.data(), '\n', static_cast<std::size_t>(n));
      pos += lf != nullptr ? static_cast<const char*>(lf) - buffer.data() + 1 : n;
      ++lines;
    }
    ::close(fd);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kLines) * 81);
}
BENCHMARK(BM_ReadlnRereadingEveryLine)->Unit(benchmark::kMillisecond);

void BM_CrcCalcFile(benchmark::State& state) {
  constexpr std::size_t kBytes = 64u << 20;
  RunScript(state, "var c = new CRC(); c.calcFile('" + BinaryFile(kBytes) + "');", kBytes);
}
BENCHMARK(BM_CrcCalcFile)->Unit(benchmark::kMillisecond);

void BM_StringsSortedAdd(benchmark::State& state) {
  RunScript(state,
            "var s = new Strings(); s.sorted = true; "
            "for (i = 0; i < 20000; i++) { s.add('key' + ((i * 7919) % 20011)); }"
            "if (s.count != 20000) x.y;",
            0);
}
BENCHMARK(BM_StringsSortedAdd)->Unit(benchmark::kMillisecond);

void BM_IniLookups(benchmark::State& state) {
  static std::string path;
  if (path.empty()) {
    path = TheScratch() / "big.ini";
    std::ofstream out(path, std::ios::binary);
    for (int s = 0; s < 200; ++s) {
      out << "[section" << s << "]\r\n";
      for (int k = 0; k < 20; ++k) out << "key" << k << "=value" << s << "_" << k << "\r\n";
    }
  }
  RunScript(state,
            "var ini = new Ini('" + path + "'); var hits = 0;"
            "for (i = 0; i < 10000; i++) { if (ini.read('SECTION' + (i % 200), 'KEY' + (i % 20), '') != '') hits++; }"
            "if (hits != 10000) x.y;",
            0);
}
BENCHMARK(BM_IniLookups)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
