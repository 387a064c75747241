// Long division as taught. Columns are counted from the ones place of the dividend as it is
// worked: after the points are moved (or common zeros cancelled), column 0 is the digit left of
// the quotient's point. For each quotient place: たてる (an estimate, made by hiding the lower
// digits of the divisor, corrected downwards), かける, ひく, おろす; a 0 where the divisor does
// not go; the remainder with its point where the dividend's point was.
#include <algorithm>
#include <cstdint>
#include <map>

#include "core/DecimalText.h"
#include "core/Funcsv.h"
#include "core/working/Builder.h"

namespace kazu {

namespace {

using U64 = std::uint64_t;

std::string Text(U64 value) {
    return std::to_string(value);
}

U64 Pow10(int n) {
    U64 p = 1;
    for (int i = 0; i < n; ++i) {
        p *= 10;
    }
    return p;
}

int DigitCount(U64 value) {
    return static_cast<int>(Text(value).size());
}

class DivisionBuilder {
  public:
    DivisionBuilder(const WorkingInput& in, const DivisionRecord& record)
        : in_(in), b_('/'), d_(record.quotientDecimals) {}

    std::optional<Working> Build();

  private:
    void SetUp();
    void Work();
    void Settle(int i, U64 q, U64 now);
    void Remainder();
    int Column(int i) const { return static_cast<int>(digits_.size()) - 1 - i - d_; }
    std::vector<CellRef> CellsOf(int row, int lowColumn, U64 value) const {
        std::vector<CellRef> refs;
        for (int k = 0; k < DigitCount(value); ++k) {
            refs.push_back({row, lowColumn + k});
        }
        return refs;
    }

    const WorkingInput& in_;
    WorkingBuilder b_;
    int d_;           // quotient decimals worked
    int origin_ = 0;  // the column of the dividend's true ones place
    int rowDivisor_ = 0, rowDividend_ = 0, rowQuotient_ = 0;
    std::string digits_;  // the working dividend's digits, down to the last quotient place
    U64 divisor_ = 0;
    int lastRow_ = -1;  // the latest difference row, -1 before the first subtraction
    std::string quotient_;
};

std::optional<Working> DivisionBuilder::Build() {
    const std::string divisor = in_.bInt + in_.bDec;
    const size_t first = divisor.find_first_not_of('0');
    if (first == std::string::npos || divisor.size() - first > 18) {
        return std::nullopt;
    }
    rowQuotient_ = b_.AddRow(RowKind::Quotient);
    rowDivisor_ = b_.AddRow(RowKind::Divisor);
    rowDividend_ = b_.AddRow(RowKind::Dividend);
    SetUp();
    Work();
    Remainder();
    return std::move(b_.working());
}

// The operands written, the points moved or the common zeros cancelled, and zeros appended
// for the places the quotient is worked to.
void DivisionBuilder::SetUp() {
    const int a = static_cast<int>(in_.aDec.size());
    const int shift = static_cast<int>(in_.bDec.size());
    const bool integers = a == 0 && shift == 0;
    int zeros = 0;  // cancelled
    if (integers) {
        auto trailing = [](const std::string& s) {
            const size_t last = s.find_last_not_of('0');
            return last == std::string::npos ? 0 : static_cast<int>(s.size() - 1 - last);
        };
        zeros = std::min(trailing(in_.aInt), trailing(in_.bInt));
    }
    origin_ = integers ? -zeros : shift;
    const std::string bDigits = in_.bInt + in_.bDec;
    divisor_ = std::stoull(bDigits.substr(0, bDigits.size() - static_cast<size_t>(zeros)));

    Step& write = b_.AddStep(StepKind::Align, Phrase::WriteDivision);
    write.writes = b_.WriteDigits(rowDivisor_, 0, in_.bInt, CellRole::Operand);
    if (shift > 0) {
        write.writes.push_back(b_.Write(rowDivisor_, 0, '.', CellRole::Point));
        const auto more = b_.WriteDigits(rowDivisor_, -shift, in_.bDec, CellRole::Operand);
        write.writes.insert(write.writes.end(), more.begin(), more.end());
    }
    const auto intCells = b_.WriteDigits(rowDividend_, origin_, in_.aInt, CellRole::Operand);
    write.writes.insert(write.writes.end(), intCells.begin(), intCells.end());
    if (a > 0) {
        write.writes.push_back(b_.Write(rowDividend_, origin_, '.', CellRole::Point));
        const auto more = b_.WriteDigits(rowDividend_, origin_ - a, in_.aDec, CellRole::Operand);
        write.writes.insert(write.writes.end(), more.begin(), more.end());
    }
    int lowest = origin_ - a;  // the dividend's last written column
    if (zeros > 0) {
        Step& cancel = b_.AddStep(StepKind::Align, Phrase::CancelZeros, {Num(zeros)});
        for (int k = 0; k < zeros; ++k) {
            cancel.reads.push_back({rowDividend_, -1 - k});
            cancel.reads.push_back({rowDivisor_, k});
            b_.Strike({rowDividend_, -1 - k});
            b_.Strike({rowDivisor_, k});
        }
        lowest = 0;
    }
    if (shift > 0) {
        Step& move = b_.AddStep(StepKind::Point, Phrase::PointMovedDivisor, {Num(shift)});
        move.reads.push_back({rowDivisor_, 0, true});
        b_.Strike({rowDivisor_, 0, true});
        // The divisor's point, moved behind its last digit: it is a whole number now.
        move.writes.push_back(b_.Write(rowDivisor_, -shift, '.', CellRole::Point));
        if (a > 0) {
            move.reads.push_back({rowDividend_, origin_, true});
            b_.Strike({rowDividend_, origin_, true});
        }
        for (; lowest > 0; --lowest) {
            move.writes.push_back(b_.Write(rowDividend_, lowest - 1, '0', CellRole::AddedZero));
        }
        move.writes.push_back(b_.Write(rowDividend_, 0, '.', CellRole::Point));
    }
    if (lowest > -d_) {
        Step& on = b_.AddStep(StepKind::Point, Phrase::DivideOn, {Num(d_)});
        if (b_.working().Find({rowDividend_, 0, true}) == nullptr) {
            on.writes.push_back(b_.Write(rowDividend_, 0, '.', CellRole::Point));
        }
        for (int col = std::min(lowest, -zeros) - 1; col >= -d_; --col) {
            on.writes.push_back(b_.Write(rowDividend_, col, '0', CellRole::AddedZero));
        }
    }
    // The digits worked, from the dividend's first down to the quotient's last place.
    std::map<int, char> byColumn;
    for (const Cell& c : b_.working().rows[static_cast<size_t>(rowDividend_)].cells) {
        if (c.text != '.' && c.column >= -d_) {
            byColumn[c.column] = c.text;
        }
    }
    for (auto it = byColumn.rbegin(); it != byColumn.rend(); ++it) {
        digits_ += it->second;
    }
}

void DivisionBuilder::Work() {
    U64 current = 0;
    bool started = false;
    const int n = static_cast<int>(digits_.size());
    for (int i = 0; i < n; ++i) {
        const int col = Column(i);
        if (!started) {
            current = current * 10 + static_cast<U64>(digits_[static_cast<size_t>(i)] - '0');
        }
        const U64 q = current / divisor_;
        if (q == 0 && (started || col <= 0)) {
            Step& zero =
                b_.AddStep(StepKind::Zero, Phrase::QuotientZero, {Text(current), Text(divisor_)});
            const CellRef number{lastRow_ < 0 ? rowDividend_ : lastRow_, col};
            if (b_.working().Find(number) != nullptr) {
                zero.reads.push_back(number);
            }
            zero.writes.push_back(b_.Write(rowQuotient_, col, '0', CellRole::Quotient));
            quotient_ += '0';
        } else if (q == 0) {
            if (current != 0) {
                b_.AddStep(StepKind::Estimate, Phrase::NoQuotientYet,
                           {Text(current), Text(divisor_), PlaceName(col, false)})
                    .reads.push_back({rowDividend_, col});
            }
            continue;
        } else {
            Settle(i, q, current);
            started = true;
        }
        if (col == 0 && d_ > 0) {
            b_.AddStep(StepKind::Point, Phrase::PointQuotient)
                .writes.push_back(b_.Write(rowQuotient_, 0, '.', CellRole::Point));
        }
        if (q > 0) {
            current %= divisor_;
        }
        if (i + 1 < n && started) {
            const char next = digits_[static_cast<size_t>(i + 1)];
            const bool written = current != 0 || next != '0';
            Step& down = b_.AddStep(StepKind::BringDown,
                                    written ? Phrase::BringDownDigit : Phrase::BringDownZero,
                                    {std::string(1, next)});
            down.reads.push_back({rowDividend_, Column(i + 1)});
            if (written) {
                down.writes.push_back(
                    b_.Write(lastRow_, Column(i + 1), next, CellRole::BroughtDown));
            }
            current = current * 10 + static_cast<U64>(next - '0');
        }
    }
}

// たてる (with the corrections of the estimate), かける, ひく for one quotient digit q > 0.
void DivisionBuilder::Settle(int i, U64 q, U64 now) {
    const int col = Column(i);
    const int currentRow = lastRow_ < 0 ? rowDividend_ : lastRow_;
    const int hidden = DigitCount(divisor_) - 1;
    U64 estimate = q;
    Step* settling = nullptr;
    if (hidden == 0) {
        settling = &b_.AddStep(StepKind::Estimate, Phrase::EstimateDirect,
                               {Text(now), Text(divisor_), Text(q)});
    } else {
        const U64 top = now / Pow10(hidden), lead = divisor_ / Pow10(hidden);
        estimate = std::min<U64>(9, top / lead);
        settling = &b_.AddStep(StepKind::Estimate,
                               top / lead > 9 ? Phrase::EstimateCapped : Phrase::EstimateHidden,
                               {Text(now), Text(divisor_), Text(top), Text(lead), Text(estimate)});
    }
    for (const CellRef& ref : CellsOf(currentRow, col, now)) {
        settling->reads.push_back(ref);
    }
    for (; estimate > q; --estimate) {
        settling = &b_.AddStep(StepKind::Correct, Phrase::CorrectDown,
                               {Text(estimate * divisor_), Text(now), Text(estimate - 1)});
    }
    settling->writes.push_back(
        b_.Write(rowQuotient_, col, static_cast<char>('0' + q), CellRole::Quotient));
    quotient_ += static_cast<char>('0' + q);

    const U64 product = q * divisor_;
    const int rowProduct = b_.AddRow(RowKind::Product);
    Step& times = b_.AddStep(StepKind::Multiply, Phrase::MultiplyBack,
                             {Text(divisor_), Text(q), Text(product)});
    times.reads.push_back({rowQuotient_, col});
    times.writes = b_.WriteDigits(rowProduct, col, Text(product), CellRole::Product);

    const U64 rest = now - product;
    lastRow_ = b_.AddRow(RowKind::Difference);
    Step& minus = b_.AddStep(StepKind::Subtract, Phrase::SubtractRows,
                             {Text(now), Text(product), Text(rest)});
    minus.reads = CellsOf(currentRow, col, now);
    for (const CellRef& ref : CellsOf(rowProduct, col, product)) {
        minus.reads.push_back(ref);
    }
    if (rest != 0 || i + 1 == static_cast<int>(digits_.size())) {
        minus.writes = b_.WriteDigits(lastRow_, col, Text(rest), CellRole::Difference);
    }
}

// The remainder: the last difference, with the dividend's own digits beyond the last quotient
// place and the cancelled zeros brought back, its point where the dividend's point was.
void DivisionBuilder::Remainder() {
    Working& w = b_.working();
    const Decimal a = *ReadDecimal(in_.aInt + "." + in_.aDec);
    const Decimal b = *ReadDecimal(in_.bInt + "." + in_.bDec);
    const Decimal q = *ReadDecimal(PlainNumber(quotient_, d_));
    const Decimal rest = Trimmed(SubtractDecimal(a, MultiplyDecimal(b, q)));
    w.quotient = PlainNumber(quotient_, d_);
    w.remainder = FormatDecimal(rest, rest.scale);
    if (lastRow_ < 0) {
        lastRow_ = b_.AddRow(RowKind::Difference);
    }
    const bool hasPoint = rest.scale > 0;
    Step& step =
        b_.AddStep(StepKind::Remainder, hasPoint ? Phrase::RemainderPoint : Phrase::RemainderIs,
                   {w.remainder, Text(divisor_)});
    // Digit k of the remainder text from the right has the value 10^(k - scale).
    const auto& cells = w.rows[static_cast<size_t>(lastRow_)].cells;
    if (rest.IsZero()) {
        for (const Cell& c : cells) {
            step.reads.push_back({lastRow_, c.column});
        }
        if (cells.empty()) {
            step.writes.push_back(b_.Write(lastRow_, -d_, '0', CellRole::Remainder));
        }
    }
    std::string digits = rest.IsZero() ? "" : w.remainder;
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    int lowest = rest.IsZero() ? -d_ : origin_;
    for (int k = 0; k < static_cast<int>(digits.size()); ++k) {
        const int col = origin_ + k - rest.scale;
        lowest = std::min(lowest, col);
        const CellRef ref{lastRow_, col};
        if (w.Find(ref) == nullptr) {
            step.writes.push_back(b_.Write(lastRow_, col,
                                           digits[digits.size() - 1 - static_cast<size_t>(k)],
                                           CellRole::Remainder));
        } else {
            step.reads.push_back(ref);
        }
    }
    if (hasPoint) {
        step.writes.push_back(b_.Write(lastRow_, origin_, '.', CellRole::Point));
    }
    for (const Cell& c : w.rows[static_cast<size_t>(lastRow_)].cells) {
        if (c.text != '.' && c.column < lowest) {
            b_.Strike({lastRow_, c.column});  // a zero below the remainder's last place
        }
    }
    b_.Answer(rowQuotient_, w.quotient + (rest.IsZero() ? "" : "あまり" + w.remainder));
}

}  // namespace

std::optional<Working> BuildDivision(const WorkingInput& in) {
    const DivisionRecord record = EvaluateDivision(in.aInt, in.aDec, in.bInt, in.bDec, in.places);
    if (record.status != DivisionStatus::kOk) {
        return std::nullopt;
    }
    return DivisionBuilder(in, record).Build();
}

}  // namespace kazu
