// The wrong procedures children commonly follow in written arithmetic, carried out on the
// numbers of a calculation: a mistake is named only when that procedure gives exactly what the
// child wrote.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/working/Working.h"

namespace kazu {

enum class MistakeKind {
    AddNoCarry,              // add-no-carry
    AddCarryWritten,         // add-carry-written: 48+35 -> 713
    SubSmallerFromLarger,    // sub-smaller-from-larger
    SubBorrowNoDecrement,    // sub-borrow-no-decrement
    SubBorrowAcrossZero,     // sub-borrow-across-zero
    SubZeroMinusN,           // sub-zero-minus-n
    MulNoCarry,              // mul-no-carry
    MulCarryAddedBefore,     // mul-carry-added-before
    MulPartialNoShift,       // mul-partial-no-shift
    DivQuotientZeroSkipped,  // div-quotient-zero-skipped
    DivRemainderTooLarge,    // div-remainder-too-large
    DecAlignRight,           // dec-align-right
    DecMulPoint,             // dec-mul-point
    DivPointNotMoved,        // div-point-not-moved
    DivRemainderPoint,       // div-remainder-point
};

const std::vector<MistakeKind>& AllMistakes();
std::string_view MistakeId(MistakeKind kind);  // "add-no-carry"
std::optional<MistakeKind> MistakeFromId(std::string_view id);
// The wrong procedure in a teacher's words: 「商の途中の0を立て忘れ」.
std::string MistakeName(MistakeKind kind);
// What the child did, kindly, in words a child of the grade reads.
std::string MistakeSentence(MistakeKind kind);

// A child's answer as written: "83", "3.875", "14あまり0.3", "14R0.3" (also full-width digits).
struct ChildAnswer {
    std::string value;                     // the sum, difference, product or quotient
    std::optional<std::string> remainder;  // division only
};
std::optional<ChildAnswer> ParseChildAnswer(std::string_view text);

// The answer the wrong procedure writes for this calculation, as the board writes answers;
// nothing when the procedure does not apply to it or would write the right answer.
std::optional<std::string> CarryOutMistake(MistakeKind kind, const WorkingInput& input);

struct NamedMistake {
    MistakeKind kind;
    std::string sentence;  // MistakeSentence(kind)
    std::string example;   // the right step, from the explanation of the working
};

struct AnswerCheck {
    bool correct = false;
    std::vector<NamedMistake> mistakes;  // most likely first; empty when none fits
    std::string hint;                    // what to look at next, without giving the answer
    int hintStep = -1;                   // the step of the working the hint is about, or -1
};

AnswerCheck CheckAnswer(const WorkingInput& input, const Working& working,
                        const ChildAnswer& answer);

}  // namespace kazu
