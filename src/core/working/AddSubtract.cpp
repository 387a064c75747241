// Addition and subtraction as taught: line up the places (or the points), work column by
// column from the right, carry or borrow, then the point and the answer.
#include <algorithm>
#include <map>
#include <tuple>

#include "core/Funcsv.h"
#include "core/working/Builder.h"

namespace kazu {

namespace {

struct Columns {
    int maxInt, maxDec;
    bool kana;  // grades 2 and 3 read くらい in kana; decimals come with grade 4's kanji
};

Columns Measure(const WorkingInput& in) {
    const int maxInt = static_cast<int>(std::max(in.aInt.size(), in.bInt.size()));
    const int maxDec = static_cast<int>(std::max(in.aDec.size(), in.bDec.size()));
    return {maxInt, maxDec, maxDec == 0};
}

// The digit of an operand in a column (decimals negative), 0 where it has none.
int DigitIn(const std::string& integer, const std::string& decimals, int column) {
    if (column >= 0) {
        return DigitAt(integer, column);
    }
    const size_t at = static_cast<size_t>(-column - 1);
    return at < decimals.size() ? decimals[at] - '0' : 0;
}

bool HasCell(const std::string& integer, const std::string& decimals, int column) {
    return column >= 0 ? column < static_cast<int>(integer.size())
                       : -column <= static_cast<int>(decimals.size());
}

void ReadIfWritten(Step& step, int row, const std::string& integer, const std::string& decimals,
                   int column) {
    if (HasCell(integer, decimals, column)) {
        step.reads.push_back({row, column});
    }
}

// The point of the answer, last, and the zeros at the end of its decimals crossed out.
void FinishDecimals(WorkingBuilder& b, int answerRow, const std::string& decimals) {
    Step& point = b.AddStep(StepKind::Point, Phrase::PointAlignedSum);
    point.writes.push_back(b.Write(answerRow, 0, '.', CellRole::Point));
    Step* strike = nullptr;
    for (int j = static_cast<int>(decimals.size()); j >= 1; --j) {
        if (decimals[static_cast<size_t>(j - 1)] != '0') {
            break;
        }
        if (strike == nullptr) {
            strike = &b.AddStep(StepKind::Point, Phrase::StrikeZeros);
        }
        strike->reads.push_back({answerRow, -j});
        b.Strike({answerRow, -j});
    }
}

// The answer row finished: its point, the zeros crossed out, and the answer said. `digits` are
// the answer's digits as worked, from the right.
void Finish(WorkingBuilder& b, int answerRow, const std::string& digits, int maxDec) {
    std::string decimals = digits.substr(0, static_cast<size_t>(maxDec));
    std::reverse(decimals.begin(), decimals.end());
    std::string integer(digits.rbegin(), digits.rend() - maxDec);
    if (maxDec > 0) {
        FinishDecimals(b, answerRow, decimals);
    }
    b.Answer(answerRow, NormalizeNumberText(maxDec > 0 ? integer + "." + decimals : integer));
}

}  // namespace

std::optional<Working> BuildAddition(const WorkingInput& in) {
    const Columns m = Measure(in);
    WorkingBuilder b('+');
    const int rowA = b.AddRow(RowKind::FirstOperand);
    const int rowB = b.AddRow(RowKind::SecondOperand);
    const int rowCarry = b.AddRow(RowKind::Carries);
    const int rowSum = b.AddRow(RowKind::Answer);
    Step& align =
        b.AddStep(StepKind::Align, m.maxDec > 0 ? Phrase::AlignPoints : Phrase::AlignRight);
    align.writes = b.WriteNumber(rowA, in.aInt, in.aDec, CellRole::Operand);
    const auto second = b.WriteNumber(rowB, in.bInt, in.bDec, CellRole::Operand);
    align.writes.insert(align.writes.end(), second.begin(), second.end());

    int carry = 0;
    std::string digits;  // the sum's digits, decimals first, left to right reversed
    for (int col = -m.maxDec; col < m.maxInt; ++col) {
        const int a = DigitIn(in.aInt, in.aDec, col);
        const int d = DigitIn(in.bInt, in.bDec, col);
        const int s = a + d + carry;
        const bool carriesOut = s >= 10;
        Step& step = b.AddStep(carriesOut ? StepKind::Carry : StepKind::Column,
                               carriesOut ? Phrase::AddColumnCarryOut : Phrase::AddColumn,
                               {PlaceName(col, m.kana), Num(a), Num(d), carry ? "1" : "", Num(s)});
        ReadIfWritten(step, rowA, in.aInt, in.aDec, col);
        ReadIfWritten(step, rowB, in.bInt, in.bDec, col);
        if (carry != 0) {
            step.reads.push_back({rowCarry, col});
        }
        step.writes.push_back(b.Write(rowSum, col, static_cast<char>('0' + s % 10), CellRole::Sum));
        carry = s / 10;
        if (carriesOut) {
            step.writes.push_back(b.Write(rowCarry, col + 1, '1', CellRole::Carry));
        }
        digits += static_cast<char>('0' + s % 10);
    }
    if (carry != 0) {
        Step& step = b.AddStep(StepKind::Column, Phrase::FinalCarry, {PlaceName(m.maxInt, m.kana)});
        step.reads.push_back({rowCarry, m.maxInt});
        step.writes.push_back(b.Write(rowSum, m.maxInt, '1', CellRole::Sum));
        digits += '1';
    }
    Finish(b, rowSum, digits, m.maxDec);
    return std::move(b.working());
}

namespace {

// Subtraction's state: the first operand's digits as they stand after lending.
struct Lending {
    WorkingBuilder& b;
    int rowA, rowBorrow;
    std::map<int, int> current;  // column -> digit after lending

    // The column lends one ten to the column on its right.
    void Lend(int column) {
        current[column] = current[column] == 0 ? 9 : current[column] - 1;
        b.Strike({rowA, column});
    }
    CellRef Reduced(int column) {
        return b.Write(rowBorrow, column, static_cast<char>('0' + current[column]),
                       CellRole::Borrow);
    }
};

}  // namespace

std::optional<Working> BuildSubtraction(const WorkingInput& in) {
    if (CompareOperands(in.aInt, in.aDec, in.bInt, in.bDec) != 1) {
        return std::nullopt;
    }
    const Columns m = Measure(in);
    WorkingBuilder b('-');
    const int rowBorrow = b.AddRow(RowKind::Borrows);
    const int rowA = b.AddRow(RowKind::FirstOperand);
    const int rowB = b.AddRow(RowKind::SecondOperand);
    const int rowDiff = b.AddRow(RowKind::Answer);
    Step& align =
        b.AddStep(StepKind::Align, m.maxDec > 0 ? Phrase::AlignPoints : Phrase::AlignRight);
    // The operand with fewer decimals gets zeros, so every column has two digits.
    for (const auto& [row, integer, decimals] :
         {std::tuple{rowA, &in.aInt, &in.aDec}, std::tuple{rowB, &in.bInt, &in.bDec}}) {
        const auto refs = b.WriteNumber(row, *integer, *decimals, CellRole::Operand);
        align.writes.insert(align.writes.end(), refs.begin(), refs.end());
        const int have = static_cast<int>(decimals->size());
        if (have < m.maxDec && have == 0) {
            align.writes.push_back(b.Write(row, 0, '.', CellRole::Point));
        }
        for (int j = have + 1; j <= m.maxDec; ++j) {
            align.writes.push_back(b.Write(row, -j, '0', CellRole::AddedZero));
        }
    }
    Lending lending{b, rowA, rowBorrow, {}};
    for (int col = -m.maxDec; col < m.maxInt; ++col) {
        lending.current[col] = DigitIn(in.aInt, in.aDec, col);
    }
    std::string digits;
    for (int col = -m.maxDec; col < m.maxInt; ++col) {
        const int d = DigitIn(in.bInt, in.bDec, col);
        int a = lending.current[col];
        if (a < d) {
            int lender = col + 1;
            while (lending.current[lender] == 0) {
                ++lender;
            }
            const std::string here = PlaceName(col, m.kana);
            Step& first = b.AddStep(
                StepKind::Borrow, lender == col + 1 ? Phrase::BorrowFrom : Phrase::BorrowAcrossZero,
                {here, Num(a), Num(d), PlaceName(col + 1, m.kana), PlaceName(lender, m.kana)});
            lending.Lend(lender);
            first.numbers.push_back(Num(lending.current[lender]));
            first.reads.push_back({rowA, lender});
            first.writes.push_back(lending.Reduced(lender));
            for (int z = lender - 1; z > col; --z) {
                Step& pass = b.AddStep(StepKind::Borrow, Phrase::ZeroLends,
                                       {PlaceName(z, m.kana), PlaceName(z - 1, m.kana)});
                lending.Lend(z);
                pass.reads.push_back({rowA, z});
                pass.writes.push_back(lending.Reduced(z));
            }
            a += 10;
        }
        const int r = a - d;
        const bool leadingZero = r == 0 && col > 0 && [&] {
            for (int k = col + 1; k < m.maxInt; ++k) {
                if (lending.current[k] != DigitIn(in.bInt, in.bDec, k)) {
                    return false;
                }
            }
            return true;
        }();
        Step& step = b.AddStep(StepKind::Column,
                               leadingZero ? Phrase::SubtractLeadingZero : Phrase::SubtractColumn,
                               {PlaceName(col, m.kana), Num(a), Num(d), Num(r)});
        step.reads.push_back({rowA, col});
        if (lending.current[col] != DigitIn(in.aInt, in.aDec, col)) {
            step.reads.push_back({rowBorrow, col});
        }
        if (col < 0 || col < static_cast<int>(in.bInt.size())) {
            step.reads.push_back({rowB, col});  // a digit or an added zero
        }
        if (!leadingZero) {
            step.writes.push_back(
                b.Write(rowDiff, col, static_cast<char>('0' + r), CellRole::Difference));
        }
        digits += static_cast<char>('0' + r);
    }
    Finish(b, rowDiff, digits, m.maxDec);
    return std::move(b.working());
}

}  // namespace kazu
