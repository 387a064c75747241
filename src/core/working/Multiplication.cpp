// Long multiplication as taught: right ends lined up (column 0 is the last digit multiplied,
// zeros set aside stand right of it at -1, -2, …), one multiplier digit at a time from the
// ones, each partial row one place further left, the rows added, the zeros brought down, and
// for decimals the point placed by counting places.
#include <algorithm>

#include "core/working/Builder.h"

namespace kazu {

namespace {

// Trailing zeros set aside: only of a whole number with more than one digit.
int SetAsideZeros(const std::string& integer, const std::string& decimals) {
    if (!decimals.empty() || integer.size() < 2) {
        return 0;
    }
    const size_t last = integer.find_last_not_of('0');
    return last == std::string::npos ? 0 : static_cast<int>(integer.size() - 1 - last);
}

std::string WithoutLeadingZeros(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// Column sums of the partial rows (column -> digits), most significant first, with carries.
std::string AddColumns(const std::vector<std::pair<int, std::string>>& rows,
                       std::vector<int>& carries) {
    int width = 0;
    for (const auto& [shift, digits] : rows) {
        width = std::max(width, shift + static_cast<int>(digits.size()));
    }
    std::string out;
    int carry = 0;
    for (int k = 0; k < width || carry != 0; ++k) {
        int s = carry;
        for (const auto& [shift, digits] : rows) {
            s += k >= shift ? DigitAt(digits, k - shift) : 0;
        }
        carry = s / 10;
        carries.push_back(carry);
        out.insert(out.begin(), static_cast<char>('0' + s % 10));
    }
    return WithoutLeadingZeros(out);
}

struct Operand {
    std::string integer, decimals;
    int zeros;           // set aside
    std::string worked;  // the digits multiplied: set-aside zeros and leading zeros off
};

Operand Prepare(const std::string& integer, const std::string& decimals) {
    Operand o{integer, decimals, SetAsideZeros(integer, decimals), {}};
    const std::string all =
        integer.substr(0, integer.size() - static_cast<size_t>(o.zeros)) + decimals;
    o.worked = WithoutLeadingZeros(all);
    return o;
}

// The operand's row: its digits ending in column 0, the set-aside zeros right of it.
std::vector<CellRef> WriteOperand(WorkingBuilder& b, int row, const Operand& o) {
    const std::string kept = o.integer.substr(0, o.integer.size() - static_cast<size_t>(o.zeros));
    const int dec = static_cast<int>(o.decimals.size());
    std::vector<CellRef> refs = b.WriteDigits(row, dec, kept, CellRole::Operand);
    if (dec > 0) {
        refs.push_back(b.Write(row, dec, '.', CellRole::Point));
        const auto more = b.WriteDigits(row, 0, o.decimals, CellRole::Operand);
        refs.insert(refs.end(), more.begin(), more.end());
    }
    for (int e = 1; e <= o.zeros; ++e) {
        refs.push_back(b.Write(row, -e, '0', CellRole::SetAside));
    }
    return refs;
}

// Where one multiplier digit's partial product goes: the operands' rows, the partial row (its
// carries in the row above), and the multiplier digit's column.
struct PartialPlace {
    int rowA, rowB, row, shift;
};

// One digit product a step, from the ones: the carry from the digit before added, the ones
// digit written, the tens carried (written small above) until the last digit writes them all.
// Gives the partial product, most significant first.
std::string MultiplyRow(WorkingBuilder& b, const PartialPlace& at, const std::string& digits,
                        int m) {
    const int len = static_cast<int>(digits.size());
    int carry = 0;
    for (int j = 0; j < len; ++j) {
        const int d = DigitAt(digits, j);
        const int total = d * m + carry;
        const bool last = j == len - 1;
        const int column = at.shift + j;
        Step& step =
            b.AddStep(total >= 10 && !last ? StepKind::Carry : StepKind::Multiply,
                      last ? Phrase::DigitProductLast : Phrase::DigitProduct,
                      {Num(d), Num(m), Num(d * m), carry == 0 ? "" : Num(carry), Num(total)});
        step.reads = {{at.rowB, at.shift}, {at.rowA, j}};
        if (carry != 0) {
            step.reads.push_back({at.row - 1, column});
        }
        step.writes.push_back(
            b.Write(at.row, column, static_cast<char>('0' + total % 10), CellRole::Partial));
        carry = total / 10;
        if (carry != 0) {
            if (last) {
                step.writes.push_back(
                    b.Write(at.row, column + 1, static_cast<char>('0' + carry), CellRole::Partial));
            }
            // The board writes the last carry small too, above the digit it became.
            step.writes.push_back(
                b.Write(at.row - 1, column + 1, static_cast<char>('0' + carry), CellRole::Carry));
        }
    }
    std::string out;
    for (const Cell& c : b.working().rows[static_cast<size_t>(at.row)].cells) {
        if (c.column >= at.shift) {
            out.insert(out.begin(), c.text);
        }
    }
    return out;
}

}  // namespace

std::optional<Working> BuildMultiplication(const WorkingInput& in) {
    const Operand a = Prepare(in.aInt, in.aDec);
    const Operand m = Prepare(in.bInt, in.bDec);
    const bool decimal = !in.aDec.empty() || !in.bDec.empty();
    const bool kana = !decimal;
    WorkingBuilder b('*');
    const int rowA = b.AddRow(RowKind::FirstOperand);
    const int rowB = b.AddRow(RowKind::SecondOperand);
    const int zeros = a.zeros + m.zeros;
    Step& align = b.AddStep(StepKind::Align, Phrase::AlignRight);
    align.writes = WriteOperand(b, rowA, a);
    const auto second = WriteOperand(b, rowB, m);
    align.writes.insert(align.writes.end(), second.begin(), second.end());

    const int decPlaces = static_cast<int>(in.aDec.size() + in.bDec.size());
    if (zeros > 0) {
        b.AddStep(StepKind::Zero, Phrase::SetAsideAtStart, {Num(zeros)});
    }
    if (a.worked == "0" || m.worked == "0") {
        const int rowAnswer = b.AddRow(RowKind::Answer);
        Step& step = b.AddStep(StepKind::Multiply, Phrase::TimesZero);
        step.writes.push_back(b.Write(rowAnswer, 0, '0', CellRole::Product));
        b.Answer(rowAnswer, "0");
        return std::move(b.working());
    }

    // The multiplier's digits from the ones, as far as its first digit other than 0.
    std::vector<std::pair<int, std::string>> partials;  // shift, digits
    std::vector<int> partialRows;
    int pendingRow = -1;  // a row a skipped 0 was written into, for the next partial product
    const int mLen = static_cast<int>(m.worked.size());
    for (int i = 0; i < mLen; ++i) {
        const int digit = DigitAt(m.worked, i);
        // The digit's own place in the multiplier, set-aside zeros and decimals counted.
        const std::string place = PlaceName(i + m.zeros - static_cast<int>(in.bDec.size()), kana);
        if (pendingRow < 0) {
            b.AddRow(RowKind::Carries);
            pendingRow = b.AddRow(RowKind::Partial);
        }
        if (digit == 0) {
            Step& step = b.AddStep(StepKind::Zero, Phrase::SkipZeroDigit, {place});
            step.reads.push_back({rowB, i});
            step.writes.push_back(b.Write(pendingRow, i, '0', CellRole::Partial));
            continue;
        }
        b.AddStep(StepKind::Multiply, partials.empty() ? Phrase::MultiplyDigit : Phrase::ShiftRow,
                  {place, Num(digit)})
            .reads.push_back({rowB, i});
        const std::string p = MultiplyRow(b, {rowA, rowB, pendingRow, i}, a.worked, digit);
        partials.push_back({i, p});
        partialRows.push_back(pendingRow);
        pendingRow = -1;
    }

    int rowAnswer = partialRows.front();
    // A single row stands where its multiplier digit is: the skipped 0s before it are its own.
    std::string product =
        partials.front().second + std::string(static_cast<size_t>(partials.front().first), '0');
    if (partials.size() > 1) {
        const int rowCarry = b.AddRow(RowKind::Carries);
        rowAnswer = b.AddRow(RowKind::Answer);
        std::vector<int> carries;
        product = AddColumns(partials, carries);
        Step& step = b.AddStep(StepKind::Add, Phrase::AddPartials, {product});
        for (const int row : partialRows) {
            for (const Cell& c : b.working().rows[static_cast<size_t>(row)].cells) {
                step.reads.push_back({row, c.column});
            }
        }
        const auto written = b.WriteDigits(rowAnswer, 0, product, CellRole::Product);
        step.writes.insert(step.writes.end(), written.begin(), written.end());
        for (size_t k = 0; k + 1 < product.size(); ++k) {
            if (carries[k] != 0) {
                step.writes.push_back(b.Write(rowCarry, static_cast<int>(k) + 1,
                                              static_cast<char>('0' + carries[k]),
                                              CellRole::Carry));
            }
        }
    } else {
        b.working().rows[static_cast<size_t>(rowAnswer)].kind = RowKind::Answer;
    }
    if (zeros > 0) {
        Step& step = b.AddStep(StepKind::Zero, Phrase::SetAsideZeros, {Num(zeros)});
        for (int e = 1; e <= zeros; ++e) {
            step.writes.push_back(b.Write(rowAnswer, -e, '0', CellRole::SetAside));
        }
        product += std::string(static_cast<size_t>(zeros), '0');
    }
    if (decPlaces > 0) {
        const int pointColumn = decPlaces - zeros;
        Step& step = b.AddStep(StepKind::Point, Phrase::PointByCount,
                               {Num(static_cast<int>(in.aDec.size())),
                                Num(static_cast<int>(in.bDec.size())), Num(decPlaces)});
        for (int col = static_cast<int>(product.size()) - zeros; col <= pointColumn; ++col) {
            step.writes.push_back(b.Write(rowAnswer, col, '0', CellRole::AddedZero));
            product.insert(product.begin(), '0');
        }
        step.writes.push_back(b.Write(rowAnswer, pointColumn, '.', CellRole::Point));
        Step* strike = nullptr;
        for (int g = 1; g <= decPlaces && product[product.size() - static_cast<size_t>(g)] == '0';
             ++g) {
            if (strike == nullptr) {
                strike = &b.AddStep(StepKind::Point, Phrase::StrikeZeros);
            }
            const CellRef ref{rowAnswer, g - 1 - zeros};
            strike->reads.push_back(ref);
            b.Strike(ref);
        }
    }
    b.Answer(rowAnswer, PlainNumber(product, decPlaces));
    return std::move(b.working());
}

}  // namespace kazu
