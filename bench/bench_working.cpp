// The written working and its sentences for the largest calculations the entry accepts: what
// --explain adds to typing the expression.
#include <benchmark/benchmark.h>

#include <string>

#include "core/working/Working.h"

namespace {

void Explain(benchmark::State& state, const kazu::WorkingInput& input) {
    for (auto _ : state) {
        const auto working = kazu::BuildWorking(input);
        size_t bytes = 0;
        for (const kazu::Step& step : working->steps) {
            bytes += kazu::ExplainStep(*working, step).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

// 15 × 14 nines: fourteen partial rows, a carry under every digit.
void BM_LargestMultiplication(benchmark::State& state) {
    Explain(state, {std::string(15, '9'), "", std::string(14, '9'), "", '*', 0});
}
BENCHMARK(BM_LargestMultiplication);

// 17 nines ÷ 19 to 10 places: 27 quotient digits, each estimate by hiding the ones corrected.
void BM_LongestDivision(benchmark::State& state) {
    Explain(state, {std::string(17, '9'), "", "19", "", '/', 10});
}
BENCHMARK(BM_LongestDivision);

// 18 + 18 decimals minus 18 + 18: a borrow in every column.
void BM_LongestSubtraction(benchmark::State& state) {
    Explain(state, {"1" + std::string(17, '0'), std::string(18, '0'), std::string(17, '9'),
                    std::string(18, '9'), '-', 0});
}
BENCHMARK(BM_LongestSubtraction);

}  // namespace

BENCHMARK_MAIN();
