// A practice sheet made for one child: the kinds of mistake her record names most often decide
// which problem sets she practises.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/practice/Mistakes.h"
#include "core/practice/ProblemSets.h"

namespace kazu {

// The problem sets whose problems need the step the mistake gets wrong, the set that needs it
// most first: a borrow across a 0 after `sub-borrow-across-zero`, a 0 in the quotient after
// `div-quotient-zero-skipped`.
const std::vector<std::string>& SetsPractising(MistakeKind kind);

// The sets for the `kinds` mistakes named most often (ties in teaching order), each set once,
// in that order; empty when the record names none.
std::vector<std::string> WeakSpotSets(const std::map<MistakeKind, int>& counts, int kinds = 3);

// `count` problems taken in turn from each set (the first set's first problem, then the
// second set's, ...), each set's share made with MakeProblems and `seed`.
std::vector<Problem> MixedProblems(const std::vector<std::string>& sets, std::uint64_t seed,
                                   int count);

}  // namespace kazu
