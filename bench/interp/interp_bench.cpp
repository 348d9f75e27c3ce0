// Micro-benchmarks of the interpreter's building blocks: conversions, name hashing,
// member tables, object creation and sweeping, and script calls through the engine.
#include <benchmark/benchmark.h>

#include <string>

#include "script/hash_table.h"
#include "script/kestrin.h"
#include "script/object.h"
#include "script/value.h"

namespace kestrin {
namespace {

void BM_FormatNumber(benchmark::State& state) {
  double d = 0.1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatNumber(d));
    d += 1.37;
  }
}
BENCHMARK(BM_FormatNumber);

void BM_ToNumberOfText(benchmark::State& state) {
  const TJValue v = TJValue::Text(" 2.5e3 ");
  for (auto _ : state) benchmark::DoNotOptimize(ToNumber(v));
}
BENCHMARK(BM_ToNumberOfText);

void BM_HashName(benchmark::State& state) {
  const std::string name = "getElementCount";
  for (auto _ : state) benchmark::DoNotOptimize(HashName(name));
}
BENCHMARK(BM_HashName);

// Finding a member by its precomputed hash in a table of n entries.
void BM_MemberFind(benchmark::State& state) {
  TJHash table;
  const int n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i) table.Set(TJName("member" + std::to_string(i)), TJValue::Integer(i));
  const std::string wanted = "member" + std::to_string(n / 2);
  const std::uint32_t hash = HashName(wanted);
  for (auto _ : state) benchmark::DoNotOptimize(table.FindHashed(wanted, hash));
}
BENCHMARK(BM_MemberFind)->Arg(2)->Arg(8)->Arg(64)->Arg(4096);

// Creating a plain object with two members and letting the frame sweep free it.
void BM_ObjectCreateAndSweep(benchmark::State& state) {
  TJObjectFactory factory;
  for (auto _ : state) {
    const std::uint64_t mark = factory.NextSerial();
    const std::size_t zero = factory.ZeroListSize();
    TJObject* o = factory.CreateObject("Object");
    o->SetValue("x", TJValue::Integer(1), true);
    o->SetValue("y", TJValue::Integer(2), true);
    factory.SweepFrame(mark, zero);
  }
}
BENCHMARK(BM_ObjectCreateAndSweep);

// Script calls through the whole engine: fib(n) makes fib(n + 1) * 2 - 1 calls.
void BM_ScriptCalls(benchmark::State& state) {
  TKestrin host;
  host.Compile("function fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); } return fib(20);");
  for (auto _ : state) benchmark::DoNotOptimize(host.Run());
  state.SetItemsProcessed(state.iterations() * 21891);
}
BENCHMARK(BM_ScriptCalls)->Unit(benchmark::kMillisecond);

// Member reads and writes on a script object.
void BM_ScriptMembers(benchmark::State& state) {
  TKestrin host;
  host.Compile("var o = {a: 1, b: 2}; for (i = 0; i < 100000; i++) { o.a = o.b + i; o.b = o.a % 7; } return o.b;");
  for (auto _ : state) benchmark::DoNotOptimize(host.Run());
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_ScriptMembers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrin

BENCHMARK_MAIN();
