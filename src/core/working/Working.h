// The written working of one calculation, as a school notebook holds it: rows of cells on a
// grid of columns counted from the ones place (tenths -1, hundredths -2, ...), and the ordered
// steps of the method taught in Japanese schools, each naming the cells it reads and writes.
// Independent of the board: the board draws, this knows what was written and why.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kazu {

enum class CellRole {
    Operand,
    AddedZero,  // a zero written to line up the decimal places or to divide further
    SetAside,   // a trailing zero of a multiplication, set aside and brought down at the end
    Carry,
    Borrow,  // the lender's reduced digit, written small above it
    Partial,
    Sum,
    Difference,
    Product,
    Quotient,
    BroughtDown,
    Remainder,
    Point,
};

struct Cell {
    int column = 0;   // a point stands right of its column
    char text = '0';  // '0'..'9' or '.'
    CellRole role = CellRole::Operand;
    bool struck = false;  // crossed out: a moved point, a lender, a zero that does not count
};

enum class RowKind {
    Divisor,
    Dividend,
    FirstOperand,
    SecondOperand,
    Borrows,  // small reduced digits above the first operand
    Carries,  // small carried digits above the row they are added into
    Partial,
    Answer,  // the sum, the difference or the product
    Quotient,
    Product,     // divisor × quotient digit
    Difference,  // what is left, with the digit brought down; the last one is the remainder
};

struct Row {
    RowKind kind;
    std::vector<Cell> cells;
};

struct CellRef {
    int row = 0;
    int column = 0;
    bool point = false;
    bool operator==(const CellRef&) const = default;
};

enum class StepKind {
    Align,
    Column,
    Carry,
    Borrow,
    Multiply,
    Add,
    Point,
    Estimate,
    Correct,
    Subtract,
    BringDown,
    Zero,
    Remainder,
    Answer,
};

// Which sentence a step says; the numbers it needs (as digit texts, or place names) stand in
// `numbers`, in the order the builder of that step gives them (see Explanation.cpp).
enum class Phrase {
    AlignRight,
    AlignPoints,
    WriteDivision,
    AddColumn,
    AddColumnCarryOut,
    FinalCarry,
    SubtractColumn,
    SubtractLeadingZero,
    BorrowFrom,
    BorrowAcrossZero,
    ZeroLends,
    MultiplyDigit,
    ShiftRow,
    DigitProduct,
    DigitProductLast,
    SkipZeroDigit,
    TimesZero,
    AddPartials,
    SetAsideAtStart,
    SetAsideZeros,
    PointByCount,
    PointAlignedSum,
    StrikeZeros,
    CancelZeros,
    PointMovedDivisor,
    DivideOn,
    PointQuotient,
    NoQuotientYet,
    EstimateHidden,
    EstimateCapped,
    EstimateDirect,
    CorrectDown,
    MultiplyBack,
    SubtractRows,
    BringDownDigit,
    BringDownZero,
    QuotientZero,
    RemainderIs,
    RemainderPoint,
    AnswerIs,
};

struct Step {
    StepKind kind;
    Phrase phrase;
    std::vector<std::string> numbers;
    std::vector<CellRef> reads;
    std::vector<CellRef> writes;
};

struct Working {
    char op = '+';
    std::vector<Row> rows;
    std::vector<Step> steps;
    std::string answer;  // as the board writes it: the quotient, or quotient "あまり" remainder
    std::string quotient;   // division only
    std::string remainder;  // division only, "0" when none

    const Cell* Find(const CellRef& ref) const;
};

struct WorkingInput {
    std::string aInt, aDec, bInt, bDec;  // digit texts, as the board holds the operands
    char op = '+';                       // + - * /
    int places = 0;                      // the quotient's decimal places asked for
};

// Nothing when the calculation cannot be written: a subtraction with a larger second number, a
// division by zero, digits that are not digits.
std::optional<Working> BuildWorking(const WorkingInput& input);

std::string StepKindName(StepKind kind);
// The child's sentence for one step.
std::string ExplainStep(const Working& working, const Step& step);

}  // namespace kazu
