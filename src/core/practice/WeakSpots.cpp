#include "core/practice/WeakSpots.h"

#include <algorithm>

namespace kazu {

const std::vector<std::string>& SetsPractising(MistakeKind kind) {
    using Sets = std::vector<std::string>;
    static const std::map<MistakeKind, Sets> sets = {
        {MistakeKind::AddNoCarry, {"g2-add-carry", "g3-add-carry"}},
        {MistakeKind::AddCarryWritten, {"g2-add-carry", "g3-add-carry"}},
        {MistakeKind::SubSmallerFromLarger, {"g2-sub-borrow", "g3-sub-borrow"}},
        {MistakeKind::SubBorrowNoDecrement, {"g2-sub-borrow", "g3-sub-borrow"}},
        {MistakeKind::SubBorrowAcrossZero, {"g3-sub-borrow-zero"}},
        {MistakeKind::SubZeroMinusN, {"g3-sub-borrow-zero", "g3-sub-borrow"}},
        {MistakeKind::MulNoCarry, {"g3-mul-1digit", "g3-mul-2digit"}},
        {MistakeKind::MulCarryAddedBefore, {"g3-mul-1digit", "g3-mul-2digit"}},
        {MistakeKind::MulPartialNoShift, {"g3-mul-2digit"}},
        {MistakeKind::DivQuotientZeroSkipped, {"g4-div-zero-quotient"}},
        {MistakeKind::DivRemainderTooLarge, {"g4-div-2digit-correct", "g4-div-1digit"}},
        {MistakeKind::DecAlignRight, {"g4-dec-add"}},
        {MistakeKind::DecMulPoint, {"g5-dec-mul"}},
        {MistakeKind::DivPointNotMoved, {"g5-dec-div"}},
        {MistakeKind::DivRemainderPoint, {"g5-dec-div"}},
    };
    return sets.at(kind);
}

std::vector<std::string> WeakSpotSets(const std::map<MistakeKind, int>& counts, int kinds) {
    std::vector<MistakeKind> named;
    for (const MistakeKind kind : AllMistakes()) {
        if (const auto it = counts.find(kind); it != counts.end() && it->second > 0) {
            named.push_back(kind);
        }
    }
    // Stable: among equal counts the order of AllMistakes, which is teaching order.
    std::stable_sort(named.begin(), named.end(), [&counts](MistakeKind a, MistakeKind b) {
        return counts.at(a) > counts.at(b);
    });
    named.resize(std::min(named.size(), static_cast<size_t>(std::max(kinds, 0))));
    std::vector<std::string> sets;
    for (const MistakeKind kind : named) {
        for (const std::string& set : SetsPractising(kind)) {
            if (std::find(sets.begin(), sets.end(), set) == sets.end()) {
                sets.push_back(set);
            }
        }
    }
    return sets;
}

std::vector<Problem> MixedProblems(const std::vector<std::string>& sets, std::uint64_t seed,
                                   int count) {
    std::vector<Problem> problems;
    if (sets.empty()) {
        return problems;
    }
    const int n = static_cast<int>(sets.size());
    std::vector<std::vector<Problem>> shares;
    for (int i = 0; i < n; ++i) {
        shares.push_back(MakeProblems(sets[size_t(i)], seed, (count - i + n - 1) / n));
    }
    for (size_t k = 0; static_cast<int>(problems.size()) < count; ++k) {
        bool any = false;
        for (const auto& share : shares) {
            if (k < share.size() && static_cast<int>(problems.size()) < count) {
                problems.push_back(share[k]);
                any = true;
            }
        }
        if (!any) {
            break;
        }
    }
    return problems;
}

}  // namespace kazu
