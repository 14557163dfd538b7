// core_bench.cpp - the reduction filter against a literal printf loop, and the hit check.
#include <benchmark/benchmark.h>

#include "literal_reduce.h"
#include "tolvex/tolvex.h"

namespace {

const tolvex::DrawDigits kPrevious{4, 5, 6};
const tolvex::DrawDigits kLast{1, 2, 3};

void BM_ReduceNumbers(benchmark::State& state) {
    for (auto _ : state) {
        auto r = tolvex::ReduceNumbers(kPrevious, kLast);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ReduceNumbers);

void BM_ReduceNumbersLiteral(benchmark::State& state) {
    for (auto _ : state) {
        auto r = tolvex::testing::LiteralReduceNumbers(kPrevious, kLast);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ReduceNumbersLiteral);

// Every draw pair in turn, so branch prediction cannot settle on one input.
void BM_ReduceNumbersVaryingDraws(benchmark::State& state) {
    int n = 0;
    for (auto _ : state) {
        const tolvex::DrawDigits previous{n / 100, n / 10 % 10, n % 10};
        const tolvex::DrawDigits last{(n + 371) / 100 % 10, (n + 371) / 10 % 10, (n + 371) % 10};
        auto r = tolvex::ReduceNumbers(previous, last);
        benchmark::DoNotOptimize(r);
        n = (n + 1) % 1000;
    }
}
BENCHMARK(BM_ReduceNumbersVaryingDraws);

// The hit check as the marker runs it: a full result and a three-byte entry that is found
// early, found at the end, or not found at all.
void BM_CheckHit(benchmark::State& state) {
    const std::string text = tolvex::ReduceNumbers(kPrevious, kLast).text;
    const char* entries[] = {"002", "999", "123"};
    const char* entry = entries[state.range(0)];
    for (auto _ : state) {
        auto h = tolvex::CheckHit(text, entry);
        benchmark::DoNotOptimize(h);
    }
}
BENCHMARK(BM_CheckHit)->Arg(0)->Arg(1)->Arg(2)->ArgName("early_end_miss");

}  // namespace
