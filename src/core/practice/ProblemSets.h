// The practice problems of each school year, in the order the course of study teaches them: the
// same problems for the same seed on every machine, so a printed sheet, the notebook and a
// teacher's check agree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/working/Working.h"

namespace kazu {

struct Problem {
    WorkingInput input;  // the operands as the board holds them, the operator, the places asked
    std::string typed;   // as keys: "52-38=", "7.5/3="
};

struct ProblemSet {
    std::string id;           // "g3-sub-borrow-zero"
    int year = 0;             // school year, 2 to 5
    std::string description;  // one line for a teacher, in Japanese
};

// The calculation as keys: "52-38=", "7.5/3=".
std::string TypedExpression(const WorkingInput& input);

// Every set, in teaching order.
const std::vector<ProblemSet>& ProblemSets();
// Nothing for an unknown id.
const ProblemSet* FindProblemSet(std::string_view id);

// `count` different problems of the set's kind, the same for the same seed everywhere (the
// generator is the program's own, never the standard library's distributions). Empty for an
// unknown id; fewer when the set has not so many different problems.
std::vector<Problem> MakeProblems(std::string_view setId, std::uint64_t seed, int count = 10);

// Whether a problem really is of the set's kind (a borrowing set borrows in the stated way, a
// set with a 0 in the quotient has one, decimals have the stated places).
bool IsOfSet(std::string_view setId, const Problem& problem);

}  // namespace kazu
