// Each mistake is the written method with one step done wrong, carried out column by column on
// the child's numbers; what it writes is compared with what the child wrote. The right method
// runs through the same code, so a procedure departs from it in exactly one place.
#include "core/practice/Mistakes.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>

#include "core/DecimalText.h"
#include "core/Funcsv.h"
#include "core/working/Builder.h"

namespace kazu {

namespace {

struct MistakeText {
    MistakeKind kind;
    const char* id;
    const char* name;      // for the teacher: the wrong procedure in a teacher's words
    const char* sentence;  // in the kanji of the grade that learns the calculation
};

// In the order CheckAnswer names them when several procedures write the same answer: the
// order of how often teachers meet them (forgetting the carry first, then the smaller digit
// taken from the larger, then the lender not reduced, ...), so the general misconception comes
// before the narrower one that writes the same answer (40−17 → 37 is "the smaller from the
// larger" more often than "0 − 7 is 7").
const MistakeText kMistakes[] = {
    {MistakeKind::AddNoCarry, "add-no-carry", "繰り上がりの加え忘れ",
     "くり上がった1をたすのを、わすれたみたいだね。くり上がりは小さく書いておこう。"},
    {MistakeKind::AddCarryWritten, "add-carry-written", "位の和を2けたのまま書く",
     "たした数を、2けたのまま書いたみたいだね。10になったら、となりへ1くり上げよう。"},
    {MistakeKind::SubSmallerFromLarger, "sub-smaller-from-larger",
     "大きい数から小さい数をひく（繰り下がりなし）",
     "上の数がひけないときに、下の数から上の数をひいたみたいだね。ひけないときは、1くり下げよう。"},
    {MistakeKind::SubBorrowNoDecrement, "sub-borrow-no-decrement", "繰り下げた位を1減らし忘れ",
     "くり下げたのに、かした数を1小さくしていないみたいだね。くり下げたら、1へらしておこう。"},
    {MistakeKind::SubBorrowAcrossZero, "sub-borrow-across-zero",
     "0をまたぐ繰り下がりで次の位を減らし忘れ",
     "0を9にしたけれど、そのとなりの数を1小さくしていないみたいだね。"},
    {MistakeKind::SubZeroMinusN, "sub-zero-minus-n", "0−□を□と書く",
     "0からひくところで、下の数をそのまま書いたみたいだね。0からはひけないので、1くり下げよう。"},
    {MistakeKind::MulNoCarry, "mul-no-carry", "かけ算の繰り上がりの加え忘れ",
     "かけ算のくり上がりを、たすのをわすれたみたいだね。くり上がりは小さく書いておこう。"},
    {MistakeKind::MulCarryAddedBefore, "mul-carry-added-before", "繰り上がりをかける前に加える",
     "くり上がった数を、かける前にたしたみたいだね。さきにかけてから、くり上がりをたそう。"},
    {MistakeKind::MulPartialNoShift, "mul-partial-no-shift", "部分積を1けたずらさない",
     "2だんめの答えを、左に1けたずらしていないみたいだね。十のくらいをかけた答えは、十のくらいから"
     "書こう。"},
    {MistakeKind::DivQuotientZeroSkipped, "div-quotient-zero-skipped", "商の途中の0を立て忘れ",
     "商に0を書くのを、わすれたみたいだね。商がたたないくらいには、0をたてよう。"},
    {MistakeKind::DivRemainderTooLarge, "div-remainder-too-large", "あまりがわる数以上",
     "あまりが、わる数より小さくなっていないね。商を1大きくしてみよう。"},
    {MistakeKind::DecAlignRight, "dec-align-right", "小数点でなく右端をそろえる",
     "右のはしをそろえて書いたみたいだね。小数のたし算やひき算は、小数点をそろえて書こう。"},
    {MistakeKind::DecMulPoint, "dec-mul-point", "積の小数点をたし算のようにそろえる",
     "積の小数点を、たし算のように上の小数点にそろえたみたいだね。小数点より右のけたの数をあわせて"
     "、"
     "積の右から数えてうとう。"},
    {MistakeKind::DivPointNotMoved, "div-point-not-moved", "わられる数の小数点を移さない",
     "わる数の小数点だけをうつしたみたいだね。わられる数の小数点も、同じけただけ右にうつそう。"},
    {MistakeKind::DivRemainderPoint, "div-remainder-point", "あまりの小数点を移した位置にうつ",
     "あまりの小数点を、うつしたあとの小数点にそろえたみたいだね。あまりの小数点は、わられる数の"
     "もとの小数点にそろえよう。"},
};

const MistakeText& TextOf(MistakeKind kind) {
    return *std::find_if(std::begin(kMistakes), std::end(kMistakes),
                         [kind](const MistakeText& m) { return m.kind == kind; });
}

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number as written: digits, optionally a point and more digits.
bool IsNumber(std::string_view text) {
    const size_t point = text.find('.');
    return point == std::string_view::npos
               ? IsDigits(text)
               : IsDigits(text.substr(0, point)) && IsDigits(text.substr(point + 1));
}

// ---- Addition and subtraction, column by column. Columns are kept lowest first.

struct Columns {
    std::vector<int> a, b;  // digits, the lowest column first
    int decimals;           // columns right of the point
};

// Lined up by the point, as taught; or by the right ends, as a child may.
Columns LineUp(const WorkingInput& in, bool byPoint) {
    const int decA = static_cast<int>(in.aDec.size()), decB = static_cast<int>(in.bDec.size());
    const int dec = std::max(decA, decB);
    auto digits = [&](const std::string& all, int ownDec) {
        std::vector<int> out(static_cast<size_t>(byPoint ? dec - ownDec : 0), 0);
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            out.push_back(*it - '0');
        }
        return out;
    };
    Columns c{digits(in.aInt + in.aDec, decA), digits(in.bInt + in.bDec, decB), dec};
    const size_t width = std::max(c.a.size(), c.b.size());
    c.a.resize(width, 0);
    c.b.resize(width, 0);
    return c;
}

// What is written under each column (lowest first) read as a number, the point `decimals`
// columns from the right.
std::string Written(const std::vector<std::string>& columns, int decimals) {
    std::string text;
    for (size_t i = columns.size(); i-- > 0;) {
        text += columns[i];
        if (static_cast<int>(i) == decimals && decimals > 0) {
            text += '.';
        }
    }
    return NormalizeNumberText(text);
}

enum class AddWay { Right, CarryDropped, SumWritten };

std::string AddColumns(const Columns& c, AddWay way) {
    std::vector<std::string> out;
    int carry = 0;
    for (size_t i = 0; i < c.a.size(); ++i) {
        const int s = c.a[i] + c.b[i] + carry;
        const bool leftmost = i + 1 == c.a.size();
        if (way == AddWay::SumWritten || (way == AddWay::CarryDropped && leftmost)) {
            out.push_back(std::to_string(s));  // nowhere left to carry to: both digits written
            carry = 0;
            continue;
        }
        out.push_back(std::to_string(s % 10));
        carry = way == AddWay::Right ? s / 10 : 0;
    }
    if (carry != 0) {
        out.push_back("1");
    }
    return Written(out, c.decimals);
}

enum class SubtractWay { Right, SmallerFromLarger, LenderKept, ZeroLenderOnly, ZeroMinusN };

// Nothing when the columns run out of lenders (the second number was the larger).
std::optional<std::string> SubtractColumns(Columns c, SubtractWay way) {
    std::vector<std::string> out;
    for (size_t i = 0; i < c.a.size(); ++i) {
        int a = c.a[i];
        const int d = c.b[i];
        if (way == SubtractWay::SmallerFromLarger || (way == SubtractWay::ZeroMinusN && a == 0)) {
            out.push_back(std::to_string(std::abs(a - d)));
            continue;
        }
        if (a < d) {
            size_t lender = i + 1;
            while (lender < c.a.size() && c.a[lender] == 0) {
                ++lender;
            }
            if (lender == c.a.size()) {
                return std::nullopt;
            }
            const bool acrossZero = lender > i + 1;
            if (way != SubtractWay::LenderKept) {
                if (!(acrossZero && way == SubtractWay::ZeroLenderOnly)) {
                    --c.a[lender];
                }
                for (size_t z = i + 1; z < lender; ++z) {
                    c.a[z] = 9;
                }
            }
            a += 10;
        }
        out.push_back(std::to_string(a - d));
    }
    return Written(out, c.decimals);
}

// ---- Multiplication: partial rows of the multiplicand times each multiplier digit.

enum class RowWay { Right, CarryDropped, CarryAddedBefore };

// digits × m, most significant first.
std::string MultiplyRow(const std::string& digits, int m, RowWay way) {
    std::string out;
    int carry = 0;
    for (size_t i = digits.size(); i-- > 0;) {
        const int d = digits[i] - '0';
        const int total = way == RowWay::CarryAddedBefore ? (d + carry) * m : d * m + carry;
        if (i == 0) {
            out.insert(0, std::to_string(total));  // the last digit writes its whole product
        } else {
            out.insert(out.begin(), static_cast<char>('0' + total % 10));
            carry = way == RowWay::CarryDropped ? 0 : total / 10;
        }
    }
    return out;
}

// sum + row × 10^shift, on digit texts.
std::string AddShifted(const std::string& sum, const std::string& row, int shift) {
    const std::string shifted = row + std::string(static_cast<size_t>(shift), '0');
    std::string out;
    int carry = 0;
    for (size_t k = 0; k < std::max(sum.size(), shifted.size()) || carry != 0; ++k) {
        const int s =
            carry + DigitAt(sum, static_cast<int>(k)) + DigitAt(shifted, static_cast<int>(k));
        out.insert(out.begin(), static_cast<char>('0' + s % 10));
        carry = s / 10;
    }
    return out;
}

// A multiplication operand as worked: its trailing zeros set aside when it is a whole number
// of more than one digit, its point and the zeros before its first digit left out (0.31 → 31).
struct Factor {
    std::string digits;
    int zeros = 0;
};

Factor Worked(const std::string& integer, const std::string& decimals) {
    Factor f{integer + decimals, 0};
    if (decimals.empty() && integer.size() > 1) {
        while (f.digits.size() > 1 && f.digits.back() == '0') {
            f.digits.pop_back();
            ++f.zeros;
        }
    }
    f.digits.erase(0, std::min(f.digits.find_first_not_of('0'), f.digits.size() - 1));
    return f;
}

struct MultiplyWay {
    RowWay row = RowWay::Right;
    bool shifted = true;
    bool pointByCount = true;  // or under the operands' points, as in addition
};

std::string Multiply(const WorkingInput& in, MultiplyWay way) {
    const Factor a = Worked(in.aInt, in.aDec), m = Worked(in.bInt, in.bDec);
    std::string product = "0";
    for (size_t i = 0; i < m.digits.size(); ++i) {
        const int digit = m.digits[m.digits.size() - 1 - i] - '0';
        if (digit != 0) {
            product = AddShifted(product, MultiplyRow(a.digits, digit, way.row),
                                 way.shifted ? static_cast<int>(i) : 0);
        }
    }
    product += std::string(static_cast<size_t>(a.zeros + m.zeros), '0');
    const int decA = static_cast<int>(in.aDec.size()), decB = static_cast<int>(in.bDec.size());
    return PlainNumber(product, way.pointByCount ? decA + decB : std::max(decA, decB));
}

// ---- Division: the long division on the dividend with both points moved.

enum class DivideWay { ZeroSkipped, LastDigitShort, PointNotMoved, RemainderAtMovedPoint };

std::optional<std::string> Divide(const WorkingInput& in, DivideWay way) {
    const int shift = static_cast<int>(in.bDec.size());
    const std::string divisorDigits = NormalizeNumberText(in.bInt + in.bDec);
    const DivisionRecord record = EvaluateDivision(in.aInt, in.aDec, in.bInt, in.bDec, in.places);
    if (record.status != DivisionStatus::kOk || divisorDigits.size() > 18) {
        return std::nullopt;
    }
    const int places = record.quotientDecimals;
    const std::uint64_t divisor = std::stoull(divisorDigits);
    // The dividend's digits down to the quotient's last place, after the points are moved.
    std::string dividend = in.aInt + in.aDec;
    const int decimals = static_cast<int>(in.aDec.size()) - shift - places;
    if (decimals > 0) {
        dividend.resize(dividend.size() - static_cast<size_t>(decimals));
    } else {
        dividend.append(static_cast<size_t>(-decimals), '0');
    }
    std::string written;  // the quotient's digits, as the child writes them
    std::string worked;   // the digits in their true places, for the subtraction's result
    int writtenDecimals = 0;
    std::uint64_t current = 0;
    for (size_t i = 0; i < dividend.size(); ++i) {
        const int column = static_cast<int>(dividend.size() - 1 - i) - places;
        current = current * 10 + static_cast<std::uint64_t>(dividend[i] - '0');
        const char q = static_cast<char>('0' + current / divisor);
        current %= divisor;
        if (q == '0' && written.find_first_not_of('0') == std::string::npos && column > 0) {
            continue;  // 商がたたない: nothing written yet
        }
        worked += q;
        const bool started = written.find_first_not_of('0') != std::string::npos;
        if (q == '0' && started && way == DivideWay::ZeroSkipped) {
            continue;
        }
        written += q;
        writtenDecimals += column < 0 ? 1 : 0;
    }
    if (way == DivideWay::LastDigitShort) {
        if (worked.back() == '0') {
            return std::nullopt;
        }
        --worked.back();
        written = worked;
    }
    const Decimal a = *ReadDecimal(in.aInt + "." + in.aDec);
    const Decimal b = *ReadDecimal(in.bInt + "." + in.bDec);
    Decimal rest =
        Trimmed(SubtractDecimal(a, MultiplyDecimal(b, *ReadDecimal(PlainNumber(worked, places)))));
    if (way == DivideWay::RemainderAtMovedPoint) {
        rest = Trimmed(
            MultiplyDecimal(rest, Decimal{"1" + std::string(static_cast<size_t>(shift), '0'), 0}));
    }
    const int quotientDecimals = writtenDecimals + (way == DivideWay::PointNotMoved ? shift : 0);
    const std::string quotient = PlainNumber(written, quotientDecimals);
    return rest.IsZero() ? quotient : quotient + "あまり" + FormatDecimal(rest, rest.scale);
}

std::optional<std::string> Procedure(MistakeKind kind, const WorkingInput& in) {
    const bool decimals = !in.aDec.empty() || !in.bDec.empty();
    switch (kind) {
        case MistakeKind::AddNoCarry:
            return in.op == '+' ? std::optional(AddColumns(LineUp(in, true), AddWay::CarryDropped))
                                : std::nullopt;
        case MistakeKind::AddCarryWritten:
            return in.op == '+' ? std::optional(AddColumns(LineUp(in, true), AddWay::SumWritten))
                                : std::nullopt;
        case MistakeKind::SubSmallerFromLarger:
        case MistakeKind::SubBorrowNoDecrement:
        case MistakeKind::SubBorrowAcrossZero:
        case MistakeKind::SubZeroMinusN: {
            if (in.op != '-') {
                return std::nullopt;
            }
            const SubtractWay way =
                kind == MistakeKind::SubSmallerFromLarger   ? SubtractWay::SmallerFromLarger
                : kind == MistakeKind::SubBorrowNoDecrement ? SubtractWay::LenderKept
                : kind == MistakeKind::SubBorrowAcrossZero  ? SubtractWay::ZeroLenderOnly
                                                            : SubtractWay::ZeroMinusN;
            return SubtractColumns(LineUp(in, true), way);
        }
        case MistakeKind::MulNoCarry:
            return in.op == '*' ? std::optional(Multiply(in, {RowWay::CarryDropped}))
                                : std::nullopt;
        case MistakeKind::MulCarryAddedBefore:
            return in.op == '*' ? std::optional(Multiply(in, {RowWay::CarryAddedBefore}))
                                : std::nullopt;
        case MistakeKind::MulPartialNoShift:
            return in.op == '*' ? std::optional(Multiply(in, {RowWay::Right, false}))
                                : std::nullopt;
        case MistakeKind::DecMulPoint:
            return in.op == '*' && decimals
                       ? std::optional(Multiply(in, {RowWay::Right, true, false}))
                       : std::nullopt;
        case MistakeKind::DecAlignRight:
            if (!decimals || (in.op != '+' && in.op != '-')) {
                return std::nullopt;
            }
            return in.op == '+' ? AddColumns(LineUp(in, false), AddWay::Right)
                                : SubtractColumns(LineUp(in, false), SubtractWay::Right);
        case MistakeKind::DivQuotientZeroSkipped:
            return in.op == '/' ? Divide(in, DivideWay::ZeroSkipped) : std::nullopt;
        case MistakeKind::DivRemainderTooLarge:
            return in.op == '/' ? Divide(in, DivideWay::LastDigitShort) : std::nullopt;
        case MistakeKind::DivPointNotMoved:
            return in.op == '/' && !in.bDec.empty() ? Divide(in, DivideWay::PointNotMoved)
                                                    : std::nullopt;
        case MistakeKind::DivRemainderPoint:
            return in.op == '/' && !in.bDec.empty() ? Divide(in, DivideWay::RemainderAtMovedPoint)
                                                    : std::nullopt;
    }
    return std::nullopt;
}

// ---- Comparing answers.

std::string Plain(const std::string& number) {
    return NormalizeNumberText(number);
}

bool Same(const ChildAnswer& x, const ChildAnswer& y) {
    return Plain(x.value) == Plain(y.value) &&
           Plain(x.remainder.value_or("0")) == Plain(y.remainder.value_or("0"));
}

// The answer as the working writes it.
ChildAnswer RightAnswer(const Working& w) {
    if (w.op == '/') {
        return {w.quotient, w.remainder};
    }
    return {w.answer, std::nullopt};
}

// ---- The step a mistake departs from, and the place to look at.

const Step* FirstStep(const Working& w, const std::function<bool(const Step&)>& test) {
    const auto it = std::find_if(w.steps.begin(), w.steps.end(), test);
    return it == w.steps.end() ? nullptr : &*it;
}

const Step* Departure(MistakeKind kind, const Working& w) {
    auto phrase = [&w](Phrase p) {
        return FirstStep(w, [p](const Step& s) { return s.phrase == p; });
    };
    switch (kind) {
        case MistakeKind::AddNoCarry:
        case MistakeKind::AddCarryWritten:
            return phrase(Phrase::AddColumnCarryOut);
        case MistakeKind::SubSmallerFromLarger:
        case MistakeKind::SubBorrowNoDecrement:
            return FirstStep(w, [](const Step& s) { return s.kind == StepKind::Borrow; });
        case MistakeKind::SubBorrowAcrossZero:
            return phrase(Phrase::BorrowAcrossZero);
        case MistakeKind::SubZeroMinusN:
            return FirstStep(w, [](const Step& s) {
                return (s.phrase == Phrase::BorrowFrom || s.phrase == Phrase::BorrowAcrossZero) &&
                       s.numbers.size() > 1 && s.numbers[1] == "0";
            });
        case MistakeKind::MulNoCarry:
        case MistakeKind::MulCarryAddedBefore:
            // Where the carry is added: after the multiplying, not before.
            return FirstStep(w, [](const Step& s) {
                return (s.phrase == Phrase::DigitProduct || s.phrase == Phrase::DigitProductLast) &&
                       s.numbers.size() > 3 && !s.numbers[3].empty();
            });
        case MistakeKind::MulPartialNoShift:
            return phrase(Phrase::ShiftRow);
        case MistakeKind::DivQuotientZeroSkipped: {
            // The first 0 written after a digit of the quotient.
            bool started = false;
            return FirstStep(w, [&](const Step& s) {
                if (s.phrase == Phrase::QuotientZero && started) {
                    return true;
                }
                for (const CellRef& ref : s.writes) {
                    const Cell* cell = w.Find(ref);
                    started = started || (cell != nullptr && cell->role == CellRole::Quotient &&
                                          cell->text != '0');
                }
                return false;
            });
        }
        case MistakeKind::DivRemainderTooLarge: {
            // The last quotient digit set: its estimate, or the last correction of it.
            const Step* last = nullptr;
            for (const Step& s : w.steps) {
                if (s.kind == StepKind::Estimate || s.kind == StepKind::Correct) {
                    last = &s;
                }
            }
            return last;
        }
        case MistakeKind::DecAlignRight:
            return phrase(Phrase::AlignPoints);
        case MistakeKind::DecMulPoint:
            return phrase(Phrase::PointByCount);
        case MistakeKind::DivPointNotMoved:
            return phrase(Phrase::PointMovedDivisor);
        case MistakeKind::DivRemainderPoint:
            return phrase(Phrase::RemainderPoint);
    }
    return nullptr;
}

// Digits by place (ones 0, tens 1, tenths -1) of a plain number.
std::map<int, int> Places(const std::string& number) {
    std::map<int, int> out;
    const std::string text = Plain(number);
    const size_t point = std::min(text.find('.'), text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != point) {
            const int place =
                i < point ? static_cast<int>(point - 1 - i) : -static_cast<int>(i - point);
            out[place] = text[i] - '0';
        }
    }
    return out;
}

// The places where two numbers differ, lowest first.
std::vector<int> Differences(const std::string& x, const std::string& y) {
    std::map<int, int> a = Places(x), b = Places(y);
    std::vector<int> out;
    for (const auto& [place, digit] : a) {
        b.try_emplace(place, 0);
    }
    for (const auto& [place, digit] : b) {
        const auto it = a.find(place);
        if ((it == a.end() ? 0 : it->second) != digit) {
            out.push_back(place);
        }
    }
    return out;
}

std::string DigitsOnly(const std::string& number) {
    std::string digits = Plain(number);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    return digits;
}

// The step that writes the answer's cell at a place: the working's column of that place in
// the answer row (a product's row is written from its last multiplied digit, so its columns
// are shifted by the decimals and the zeros set aside).
int StepWriting(const Working& w, RowKind row, int column) {
    for (size_t i = 0; i < w.steps.size(); ++i) {
        for (const CellRef& ref : w.steps[i].writes) {
            if (!ref.point && ref.column == column &&
                w.rows[static_cast<size_t>(ref.row)].kind == row) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

int ProductColumnShift(const WorkingInput& in) {
    const Factor a = Worked(in.aInt, in.aDec), m = Worked(in.bInt, in.bDec);
    return static_cast<int>(in.aDec.size() + in.bDec.size()) - a.zeros - m.zeros;
}

bool ReadsRow(const Working& w, const Step& s, RowKind row) {
    return std::any_of(s.reads.begin(), s.reads.end(), [&](const CellRef& ref) {
        return w.rows[static_cast<size_t>(ref.row)].kind == row;
    });
}

int FirstStepIndex(const Working& w, const std::function<bool(const Step&)>& test) {
    const Step* s = FirstStep(w, test);
    return s == nullptr ? -1 : static_cast<int>(s - w.steps.data());
}

struct Hint {
    std::string sentence;
    int step = -1;
};

Hint QuotientHint(const Working& w, const ChildAnswer& child) {
    const std::vector<int> wrong = Differences(child.value, w.quotient);
    if (wrong.empty()) {
        return {"あまりを、もう一ど計算してみよう。あまりは、わる数より小さくなるよ。",
                FirstStepIndex(w, [](const Step& s) { return s.kind == StepKind::Remainder; })};
    }
    const int place = wrong.back();  // the quotient is written from the left
    const int step = StepWriting(w, RowKind::Quotient, place);
    if (step < 0) {
        return {"商が、どのくらいからたつか、もう一どたしかめよう。",
                FirstStepIndex(w, [](const Step& s) { return s.kind == StepKind::Estimate; })};
    }
    return {PlaceName(place, false) + "の商を、もう一どたててみよう。", step};
}

Hint ColumnHint(const WorkingInput& in, const Working& w, const ChildAnswer& child) {
    const bool kana = in.aDec.empty() && in.bDec.empty();
    if (!kana && DigitsOnly(child.value) == DigitsOnly(w.answer)) {
        return {"小数点をうつところを、もう一ど見直してみよう。",
                FirstStepIndex(w, [](const Step& s) { return s.kind == StepKind::Point; })};
    }
    const std::vector<int> wrong = Differences(child.value, w.answer);
    const int place = wrong.empty() ? 0 : wrong.front();  // written from the right
    const int column = w.op == '*' ? place + ProductColumnShift(in) : place;
    const int step = StepWriting(w, RowKind::Answer, column);
    const std::string name = PlaceName(place, kana);
    if (step < 0) {
        return {"答えのけたの数を、もう一ど見直してみよう。", -1};
    }
    const Step& s = w.steps[static_cast<size_t>(step)];
    switch (w.op) {
        case '+':
            return {
                name + "のたし算を、もう一ど見直してみよう。" +
                    (s.numbers.size() > 3 && !s.numbers[3].empty() ? "くり上がった1も、たしたかな？"
                                                                   : ""),
                step};
        case '-':
            return {name + "のひき算を、もう一ど見直してみよう。" +
                        (s.numbers.size() > 1 && s.numbers[1].size() > 1
                             ? "1くり下げて、10大きくなっているよ。"
                         : ReadsRow(w, s, RowKind::Borrows) ? "くり下げたあとの数から、ひいたかな？"
                                                            : ""),
                    step};
        default:
            return {name + "を、もう一ど見直してみよう。かけ算のくり上がりを、たしかめよう。",
                    step};
    }
}

}  // namespace

const std::vector<MistakeKind>& AllMistakes() {
    static const std::vector<MistakeKind> all = [] {
        std::vector<MistakeKind> out;
        for (const MistakeText& m : kMistakes) {
            out.push_back(m.kind);
        }
        return out;
    }();
    return all;
}

std::string_view MistakeId(MistakeKind kind) {
    return TextOf(kind).id;
}

std::optional<MistakeKind> MistakeFromId(std::string_view id) {
    for (const MistakeText& m : kMistakes) {
        if (id == m.id) {
            return m.kind;
        }
    }
    return std::nullopt;
}

std::string MistakeName(MistakeKind kind) {
    return TextOf(kind).name;
}

std::string MistakeSentence(MistakeKind kind) {
    return TextOf(kind).sentence;
}

std::optional<ChildAnswer> ParseChildAnswer(std::string_view text) {
    // Full-width digits, point and R as their ASCII forms; spaces (also ideographic) off.
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
        if (i + 2 < text.size() && byte(i) == 0xEF && byte(i + 1) == 0xBC &&
            ((byte(i + 2) >= 0x90 && byte(i + 2) <= 0x99) || byte(i + 2) == 0x8E ||
             byte(i + 2) == 0xB2)) {
            plain += static_cast<char>(byte(i + 2) == 0x8E   ? '.'
                                       : byte(i + 2) == 0xB2 ? 'R'
                                                             : '0' + (byte(i + 2) - 0x90));
            i += 2;
        } else if (i + 2 < text.size() && text.substr(i, 3) == "\u3000") {
            i += 2;
        } else if (text[i] != ' ' && text[i] != '\t') {
            plain += text[i];
        }
    }
    ChildAnswer answer;
    for (const std::string_view separator : {std::string_view("あまり"), std::string_view("R")}) {
        const size_t at = plain.find(separator);
        if (at != std::string::npos) {
            answer.remainder = plain.substr(at + separator.size());
            plain.resize(at);
            break;
        }
    }
    answer.value = plain;
    if (!IsNumber(answer.value) || (answer.remainder && !IsNumber(*answer.remainder))) {
        return std::nullopt;
    }
    return answer;
}

std::optional<std::string> CarryOutMistake(MistakeKind kind, const WorkingInput& input) {
    const std::optional<Working> right = BuildWorking(input);
    if (!right) {
        return std::nullopt;
    }
    std::optional<std::string> written = Procedure(kind, input);
    if (written && *written == right->answer) {
        return std::nullopt;
    }
    return written;
}

AnswerCheck CheckAnswer(const WorkingInput& input, const Working& working,
                        const ChildAnswer& answer) {
    AnswerCheck check;
    // Only a division has a remainder to write.
    const bool fits = working.op == '/' || !answer.remainder;
    if (fits && Same(answer, RightAnswer(working))) {
        check.correct = true;
        return check;
    }
    for (const MistakeKind kind : AllMistakes()) {
        const std::optional<std::string> written =
            fits ? CarryOutMistake(kind, input) : std::nullopt;
        const std::optional<ChildAnswer> wrong =
            written ? ParseChildAnswer(*written) : std::nullopt;
        if (wrong && Same(answer, *wrong)) {
            const Step* step = Departure(kind, working);
            check.mistakes.push_back(
                {kind, MistakeSentence(kind), step == nullptr ? "" : ExplainStep(working, *step)});
        }
    }
    const Hint hint =
        working.op == '/' ? QuotientHint(working, answer) : ColumnHint(input, working, answer);
    check.hint = hint.sentence;
    check.hintStep = hint.step;
    return check;
}

}  // namespace kazu
