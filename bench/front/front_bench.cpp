// Lexing and parsing speed of the script front end on a generated script of about 1 MB
// that mixes the constructs real scripts use: declarations, loops, conditions, calls,
// member chains, literals, comments and Japanese text.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/codepage.h"
#include "script/lexer.h"
#include "script/parser.h"

namespace {

using velkoran::platform::CodePage;

std::string GeneratedScript(std::size_t bytes) {
  std::string s;
  int n = 0;
  while (s.size() < bytes) {
    const std::string i = std::to_string(n++);
    s += "// helper " + i + ": \xE9\x9B\x86\xE8\xA8\x88 (sum up)\n";
    s += "function total" + i + "(list, limit) {\n";
    s += "  sum = 0;\n";
    s += "  for (k = 0; k < list.length && k < limit; k++) {\n";
    s += "    if (typeof(list[k]) == \"number\") sum += list[k] * 2 + 1;\n";
    s += "    else if (list[k] != null) { sum = sum + parseInt(list[k], 10); }\n";
    s += "  }\n";
    s += "  return sum;\n";
    s += "}\n";
    s += "/* block comment with a star * and text " + i + " */\n";
    s += "var names" + i + " = ['alpha', \"beta\\t\", 'gamma', 3.25, 0x10, 60 * 60 * 24];\n";
    s += "var info" + i + " = { name: '\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB', size: 1024, kind };\n";
    s += "class Item" + i + " extends Base { count = 0; function Item" + i +
         "(a) { this.count = a; } }\n";
    s += "while (i" + i + " < 10) { i" + i + "++; if (i" + i + " % 3 == 0) continue; }\n";
    s += "try { Velko.AppendLog(\"line \" + total" + i + "(names" + i + ", 5)); } catch (e) { println(e); }\n";
    s += "x" + i + " = a ? b.c(d, e[f]) : new Lib.Point(1, 2).move(-3, +4) >>> 1;\n";
  }
  return s;
}

const std::string& Script() {
  static const std::string script = GeneratedScript(1 << 20);
  return script;
}

void BM_LexScript(benchmark::State& state) {
  const std::string& text = Script();
  kestrin::TJLex lex(CodePage::Utf8);
  std::size_t tokens = 0;
  for (auto _ : state) {
    lex.SetSource(text);
    tokens = 0;
    while (lex.Next()) ++tokens;
    benchmark::DoNotOptimize(tokens);
  }
  state.counters["tokens"] = static_cast<double>(tokens);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LexScript)->Unit(benchmark::kMillisecond);

void BM_ParseScript(benchmark::State& state) {
  const std::string& text = Script();
  kestrin::TJParser parser(CodePage::Utf8);
  for (auto _ : state) {
    parser.Clear();
    if (!parser.Parse(text)) state.SkipWithError("the generated script did not parse");
    benchmark::DoNotOptimize(parser.Root());
  }
  state.counters["nodes"] = static_cast<double>(parser.ExprFactory().Count() +
                                                parser.StmtFactory().Count());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseScript)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
