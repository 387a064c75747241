// The sheet made from a child's record: each kind of mistake leads to sets on whose problems
// that very mistake can be made, the most frequent mistakes first, the sets' problems in turn.
#include <gtest/gtest.h>

#include "core/practice/WeakSpots.h"

namespace kazu {
namespace {

TEST(WeakSpots, EachMistakeCanBeMadeOnTheSetsThatPractiseIt) {
    for (const MistakeKind kind : AllMistakes()) {
        ASSERT_FALSE(SetsPractising(kind).empty()) << MistakeId(kind);
        for (const std::string& set : SetsPractising(kind)) {
            ASSERT_NE(FindProblemSet(set), nullptr) << set;
            // A good share of a sheet's problems must give the child the chance to go wrong
            // that way.
            int chances = 0;
            const std::vector<Problem> problems = MakeProblems(set, 7, 20);
            for (const Problem& p : problems) {
                chances += CarryOutMistake(kind, p.input).has_value() ? 1 : 0;
            }
            EXPECT_GE(3 * chances, static_cast<int>(problems.size()))
                << MistakeId(kind) << " on " << set << ": " << chances;
        }
    }
}

TEST(WeakSpots, TheMostFrequentMistakesDecideTheSets) {
    const std::map<MistakeKind, int> counts = {
        {MistakeKind::AddNoCarry, 1},
        {MistakeKind::SubBorrowAcrossZero, 5},
        {MistakeKind::DivQuotientZeroSkipped, 3},
        {MistakeKind::MulNoCarry, 0},
        {MistakeKind::DecAlignRight, 3},
    };
    EXPECT_EQ(WeakSpotSets(counts, 2),
              (std::vector<std::string>{"g3-sub-borrow-zero", "g4-div-zero-quotient"}));
    // Equal counts in teaching order; a kind never named brings nothing; each set once.
    EXPECT_EQ(WeakSpotSets(counts, 10),
              (std::vector<std::string>{"g3-sub-borrow-zero", "g4-div-zero-quotient", "g4-dec-add",
                                        "g2-add-carry", "g3-add-carry"}));
    EXPECT_TRUE(WeakSpotSets({}, 3).empty());
    EXPECT_TRUE(WeakSpotSets({{MistakeKind::MulNoCarry, 0}}, 3).empty());
}

TEST(WeakSpots, MixedProblemsTakeTheSetsInTurnAndRepeatForTheSameSeed) {
    const std::vector<std::string> sets = {"g3-sub-borrow-zero", "g4-div-zero-quotient",
                                           "g3-mul-2digit"};
    const std::vector<Problem> problems = MixedProblems(sets, 42, 20);
    ASSERT_EQ(problems.size(), 20u);
    for (size_t i = 0; i < problems.size(); ++i) {
        EXPECT_TRUE(IsOfSet(sets[i % 3], problems[i])) << i << " " << problems[i].typed;
    }
    // The first set's share is the notebook's problems for the same seed.
    const std::vector<Problem> first = MakeProblems(sets[0], 42, 7);
    for (size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(problems[3 * k].typed, first[k].typed);
    }
    EXPECT_TRUE(MixedProblems({}, 42, 20).empty());
}

}  // namespace
}  // namespace kazu
