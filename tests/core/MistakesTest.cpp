// The catalogue of mistakes. For each mistake, problems where it can happen, the wrong answer
// made here by the mistake's rule from the numbers or from the right working (not by running
// the procedure again), and CheckAnswer must name it; the right answer is right with nothing
// named; answers no procedure writes are never given a mistake's name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "WideNumbers.h"
#include "core/Funcsv.h"
#include "core/practice/Mistakes.h"
#include "core/practice/ProblemSets.h"

namespace kazu {
namespace {

// Digit of a number at a place (ones 0, tenths -1), 0 where it has none.
int DigitOf(const std::string& integer, const std::string& decimals, int place) {
    if (place >= 0) {
        return place < static_cast<int>(integer.size())
                   ? integer[integer.size() - 1 - static_cast<size_t>(place)] - '0'
                   : 0;
    }
    const size_t at = static_cast<size_t>(-place - 1);
    return at < decimals.size() ? decimals[at] - '0' : 0;
}

// Column by column from the highest place, lined up by the point: what each column writes.
std::string ByColumn(const WorkingInput& in,
                     const std::function<std::string(int, int, bool)>& rule) {
    const int dec = static_cast<int>(std::max(in.aDec.size(), in.bDec.size()));
    const int top = static_cast<int>(std::max(in.aInt.size(), in.bInt.size())) - 1;
    std::string integer, decimals;
    for (int place = top; place >= -dec; --place) {
        (place >= 0 ? integer : decimals) +=
            rule(DigitOf(in.aInt, in.aDec, place), DigitOf(in.bInt, in.bDec, place), place == top);
    }
    return Text(Value(integer + decimals), static_cast<int>(decimals.size()));
}

// A whole number of more than one digit sets its trailing zeros aside.
std::string SetAside(const std::string& integer, const std::string& decimals, int& zeros) {
    std::string digits = integer + decimals;
    while (decimals.empty() && digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++zeros;
    }
    return std::to_string(static_cast<long long>(Value(digits)));  // 0.31 is worked as 31
}

// A product by partial rows, each row made digit by digit by `row` (the multiplicand's digits
// from the ones, the multiplier digit, whether it is the last digit, the carry so far).
std::string Product(const WorkingInput& in, bool shifted,
                    const std::function<Wide(int, int, bool, Wide&)>& row) {
    int zeros = 0;
    const std::string a = SetAside(in.aInt, in.aDec, zeros);
    const std::string m = SetAside(in.bInt, in.bDec, zeros);
    Wide product = 0;
    for (size_t i = 0; i < m.size(); ++i) {
        const int digit = m[m.size() - 1 - i] - '0';
        Wide partial = 0, carry = 0;
        for (size_t j = 0; j < a.size(); ++j) {
            partial += row(a[a.size() - 1 - j] - '0', digit, j + 1 == a.size(), carry) *
                       Pow10(static_cast<int>(j));
        }
        product += partial * (shifted ? Pow10(static_cast<int>(i)) : 1);
    }
    return Text(product * Pow10(zeros), static_cast<int>(in.aDec.size() + in.bDec.size()));
}

std::string Remainder(const Working& w) {
    return w.remainder == "0" ? "" : "あまり" + w.remainder;
}

// Quotient digits by column, from the quotient row of the working.
std::map<int, char, std::greater<int>> QuotientCells(const Working& w) {
    std::map<int, char, std::greater<int>> cells;
    for (const Row& row : w.rows) {
        if (row.kind == RowKind::Quotient) {
            for (const Cell& c : row.cells) {
                if (c.text != '.') {
                    cells[c.column] = c.text;
                }
            }
        }
    }
    return cells;
}

Wide Scaled(const std::string& integer, const std::string& decimals, int scale) {
    return Value(integer + decimals) * Pow10(scale - static_cast<int>(decimals.size()));
}

// The wrong answer by the mistake's rule; "" when the rule does not apply here.
std::string ByRule(MistakeKind kind, const WorkingInput& in, const Working& w) {
    const int sa = static_cast<int>(in.aDec.size()), sb = static_cast<int>(in.bDec.size());
    const int common = std::max(sa, sb);
    switch (kind) {
        case MistakeKind::AddNoCarry:  // each column's ones; the last column has room for both
            return ByColumn(in, [](int a, int b, bool top) {
                return std::to_string(top ? a + b : (a + b) % 10);
            });
        case MistakeKind::AddCarryWritten:
            return ByColumn(in, [](int a, int b, bool) { return std::to_string(a + b); });
        case MistakeKind::SubSmallerFromLarger:
            return ByColumn(in, [](int a, int b, bool) { return std::to_string(std::abs(a - b)); });
        case MistakeKind::SubBorrowNoDecrement:  // every column borrows ten from nobody
            return ByColumn(in,
                            [](int a, int b, bool) { return std::to_string((a - b + 10) % 10); });
        case MistakeKind::SubBorrowAcrossZero: {
            // The lender keeps its digit: the first number is worth one more of its place.
            Wide value = Scaled(in.aInt, in.aDec, common) - Scaled(in.bInt, in.bDec, common);
            int across = 0;
            for (const Step& s : w.steps) {
                if (s.phrase == Phrase::BorrowAcrossZero) {
                    value += Pow10(s.reads.front().column + common);
                    ++across;
                }
            }
            return across == 1 ? Text(value, common) : "";
        }
        case MistakeKind::MulNoCarry:  // the ones of each digit's product; the last one whole
            return Product(in, true, [](int d, int m, bool last, Wide&) -> Wide {
                return last ? d * m : d * m % 10;
            });
        case MistakeKind::MulCarryAddedBefore:
            return Product(in, true, [](int d, int m, bool last, Wide& carry) -> Wide {
                const Wide total = (d + carry) * m;
                carry = total / 10;
                return last ? total : total % 10;
            });
        case MistakeKind::MulPartialNoShift:
            return Product(in, false, [](int d, int m, bool last, Wide& carry) -> Wide {
                const Wide total = d * m + carry;
                carry = total / 10;
                return last ? total : total % 10;
            });
        case MistakeKind::SubZeroMinusN: {
            // Only the ones place holds a 0 to take from, and its neighbour lends without
            // borrowing itself: 0 − n written n instead of 10 − n, and the lender kept.
            const int a0 = DigitOf(in.aInt, in.aDec, 0), b0 = DigitOf(in.bInt, in.bDec, 0);
            if (!in.aDec.empty() || !in.bDec.empty() || a0 != 0 || b0 == 0) {
                return "";
            }
            for (int place = 1; place < static_cast<int>(in.aInt.size()); ++place) {
                if (DigitOf(in.aInt, "", place) <= DigitOf(in.bInt, "", place)) {
                    return "";
                }
            }
            return Text(Value(in.aInt) - Value(in.bInt) + 2 * b0, 0);
        }
        case MistakeKind::DecMulPoint:
            return sa > 0 && sb > 0
                       ? Text(Value(in.aInt + in.aDec) * Value(in.bInt + in.bDec), common)
                       : "";
        case MistakeKind::DecAlignRight: {
            if (sa == sb) {
                return "";
            }
            const Wide x = Value(in.aInt + in.aDec), y = Value(in.bInt + in.bDec);
            if (in.op == '-' && x < y) {
                return "";
            }
            return Text(in.op == '+' ? x + y : x - y, common);
        }
        case MistakeKind::DivQuotientZeroSkipped: {
            // The quotient row without its 0s after the first digit; the point where it was.
            std::string integer, decimals;
            bool started = false;
            for (const auto& [column, digit] : QuotientCells(w)) {
                if (digit == '0' && started) {
                    continue;
                }
                started = started || digit != '0';
                (column >= 0 ? integer : decimals) += digit;
            }
            return Text(Value(integer + decimals), static_cast<int>(decimals.size())) +
                   Remainder(w);
        }
        case MistakeKind::DivRemainderTooLarge: {
            // One less in the quotient's last place; the divisor's worth more left over.
            const auto cells = QuotientCells(w);
            const int last = cells.rbegin()->first;
            const int places = std::max(0, -last);
            std::string digits;
            for (const auto& [column, digit] : cells) {
                digits += digit;
            }
            const Wide quotient = Value(digits);
            if (quotient % 10 == 0) {
                return "";
            }
            const int rs = sa + sb + places;
            const Wide rest = Scaled(in.aInt, in.aDec, rs) -
                              Value(in.bInt + in.bDec) * (quotient - 1) * Pow10(sa);
            return Text(quotient - 1, places) + (rest == 0 ? "" : "あまり" + Text(rest, rs));
        }
        case MistakeKind::DivPointNotMoved: {
            if (sb == 0) {
                return "";
            }
            const std::string qd = w.quotient;
            const size_t point = qd.find('.');
            const int places =
                point == std::string::npos ? 0 : static_cast<int>(qd.size() - point - 1);
            std::string digits = qd;
            digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
            return Text(Value(digits), places + sb) + Remainder(w);
        }
        case MistakeKind::DivRemainderPoint: {
            if (sb == 0 || w.remainder == "0") {
                return "";
            }
            const size_t point = w.remainder.find('.');
            const int places =
                point == std::string::npos ? 0 : static_cast<int>(w.remainder.size() - point - 1);
            std::string digits = w.remainder;
            digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
            return w.quotient + "あまり" +
                   Text(Value(digits) * Pow10(std::max(0, sb - places)), std::max(0, places - sb));
        }
    }
    return "";
}

// Problems where the mistake can happen: the school-year sets of its calculation, and for the
// 0 − n mistake numbers with a 0 in the ones place.
std::vector<WorkingInput> Problems(MistakeKind kind, std::uint64_t seeds) {
    std::vector<std::string> sets;
    switch (kind) {
        case MistakeKind::AddNoCarry:
        case MistakeKind::AddCarryWritten:
            sets = {"g2-add-carry", "g3-add-carry", "g4-dec-add"};
            break;
        case MistakeKind::SubSmallerFromLarger:
        case MistakeKind::SubBorrowNoDecrement:
        case MistakeKind::SubBorrowAcrossZero:
            sets = {"g2-sub-borrow", "g3-sub-borrow", "g3-sub-borrow-zero", "g4-dec-sub"};
            break;
        case MistakeKind::DecAlignRight:
            sets = {"g4-dec-add", "g4-dec-sub"};
            break;
        case MistakeKind::MulNoCarry:
        case MistakeKind::MulCarryAddedBefore:
        case MistakeKind::MulPartialNoShift:
        case MistakeKind::DecMulPoint:
            sets = {"g3-mul-1digit", "g3-mul-2digit", "g4-dec-mul-int", "g5-dec-mul"};
            break;
        case MistakeKind::SubZeroMinusN:
            break;
        default:
            sets = {"g4-div-1digit",         "g4-div-zero-quotient", "g4-div-2digit",
                    "g4-div-2digit-correct", "g4-dec-div-int",       "g5-dec-div"};
    }
    std::vector<WorkingInput> out;
    for (std::uint64_t seed = 0; seed < seeds; ++seed) {
        for (const std::string& set : sets) {
            for (const Problem& p : MakeProblems(set, seed)) {
                out.push_back(p.input);
            }
        }
    }
    if (kind == MistakeKind::SubZeroMinusN) {
        std::uint64_t x = 12345;
        for (std::uint64_t i = 0; i < seeds * 20; ++i) {
            x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            const std::uint64_t a = (x >> 33) % 900 * 10 + 1000, b = (x >> 13) % a;
            out.push_back({std::to_string(a), "", std::to_string(b), "", '-', 0});
        }
    }
    return out;
}

// Each mistake's wrong answer, made by its rule, is what the procedure writes and is named;
// the right answer is right with nothing named.
TEST(Mistakes, EachWrongProcedureIsRecognisedByWhatItWrites) {
    for (const MistakeKind kind : AllMistakes()) {
        int applied = 0;
        for (const WorkingInput& in : Problems(kind, 8)) {
            const auto working = BuildWorking(in);
            ASSERT_TRUE(working);
            const std::string what = std::string(MistakeId(kind)) + " " + in.aInt + "." + in.aDec +
                                     in.op + in.bInt + "." + in.bDec;
            const AnswerCheck right = CheckAnswer(in, *working, *ParseChildAnswer(working->answer));
            EXPECT_TRUE(right.correct) << what;
            EXPECT_TRUE(right.mistakes.empty()) << what;
            const std::string wrong = ByRule(kind, in, *working);
            if (wrong.empty() || wrong == working->answer) {
                continue;
            }
            ++applied;
            EXPECT_EQ(CarryOutMistake(kind, in).value_or("none"), wrong) << what;
            const AnswerCheck check = CheckAnswer(in, *working, *ParseChildAnswer(wrong));
            EXPECT_FALSE(check.correct) << what;
            const auto named =
                std::find_if(check.mistakes.begin(), check.mistakes.end(),
                             [kind](const NamedMistake& m) { return m.kind == kind; });
            ASSERT_NE(named, check.mistakes.end()) << what << " " << wrong;
            EXPECT_EQ(named->sentence, MistakeSentence(kind));
            EXPECT_FALSE(named->example.empty()) << what;
        }
        EXPECT_GE(applied, 20) << MistakeId(kind);
    }
}

// Answers made by changing the right one a little: a mistake is named only when its procedure
// writes exactly that answer, which is rare; the hint names a place and never holds the answer.
TEST(Mistakes, OtherWrongAnswersAreRarelyNamedAndGetAHint) {
    int tried = 0, named = 0;
    std::uint64_t x = 99;
    for (const ProblemSet& set : ProblemSets()) {
        for (const Problem& p : MakeProblems(set.id, 3, 30)) {
            const auto working = BuildWorking(p.input);
            const std::string right = p.input.op == '/' ? working->quotient : working->answer;
            for (int k = 0; k < 10; ++k) {
                x = x * 6364136223846793005ULL + 1442695040888963407ULL;
                std::string answer = right;
                size_t at = (x >> 33) % answer.size();
                if (answer[at] == '.') {
                    at = at == 0 ? 1 : at - 1;
                }
                answer[at] = static_cast<char>('0' + (answer[at] - '0' + 1 + (x >> 40) % 9) % 10);
                if (p.input.op == '/' && working->remainder != "0") {
                    answer += "あまり" + working->remainder;
                }
                const auto child = ParseChildAnswer(answer);
                ASSERT_TRUE(child) << answer;
                const AnswerCheck check = CheckAnswer(p.input, *working, *child);
                if (check.correct) {
                    continue;  // only a leading 0 was changed
                }
                ++tried;
                named += check.mistakes.empty() ? 0 : 1;
                for (const NamedMistake& m : check.mistakes) {
                    const auto written = ParseChildAnswer(CarryOutMistake(m.kind, p.input).value());
                    EXPECT_EQ(NormalizeNumberText(written->value),
                              NormalizeNumberText(child->value))
                        << p.typed << " " << answer << " " << MistakeId(m.kind);
                    EXPECT_EQ(NormalizeNumberText(written->remainder.value_or("0")),
                              NormalizeNumberText(child->remainder.value_or("0")));
                }
                EXPECT_FALSE(check.hint.empty()) << p.typed << " " << answer;
                EXPECT_GE(check.hintStep, 0) << p.typed << " " << answer;
                if (working->answer.size() > 1) {
                    EXPECT_EQ(check.hint.find(working->answer), std::string::npos) << check.hint;
                }
            }
        }
    }
    const double rate = static_cast<double>(named) / tried;
    std::cout << "wrong answers: " << tried << ", a mistake named for " << named << " ("
              << rate * 100 << "%)\n";
    EXPECT_LT(rate, 0.05);
}

TEST(Mistakes, IdsAndSentences) {
    EXPECT_EQ(AllMistakes().size(), 15u);
    std::set<std::string> names;  // a teacher tells the kinds apart by these
    for (const MistakeKind kind : AllMistakes()) {
        EXPECT_EQ(MistakeFromId(MistakeId(kind)), kind);
        EXPECT_FALSE(MistakeSentence(kind).empty());
        EXPECT_TRUE(names.insert(MistakeName(kind)).second) << MistakeName(kind);
    }
    EXPECT_EQ(MistakeId(MistakeKind::AddCarryWritten), "add-carry-written");
    EXPECT_FALSE(MistakeFromId("add-carry").has_value());
}

TEST(Mistakes, AnswersAreReadAsAChildWritesThem) {
    const auto read = [](std::string_view text) -> std::string {
        const auto a = ParseChildAnswer(text);
        return !a ? "none" : a->value + (a->remainder ? "|" + *a->remainder : "");
    };
    EXPECT_EQ(read("83"), "83");
    EXPECT_EQ(read(" 3.875 "), "3.875");
    EXPECT_EQ(read("14あまり0.3"), "14|0.3");
    EXPECT_EQ(read("14R0.3"), "14|0.3");
    EXPECT_EQ(read("１４あまり０．３"), "14|0.3");
    EXPECT_EQ(read("\u3000１４ あまり ３\t"), "14|3");
    for (const char* bad : {"", " ", "8 3x", "3.", ".5", "1.2.3", "14あまり", "あまり3", "14R",
                            "14R3R1", "-3", "+3", "3e2", "８\xEF\xBC", "\xFF"}) {
        EXPECT_EQ(read(bad), "none") << bad;
    }
    // A remainder is only part of a division's answer.
    const WorkingInput add{"48", "", "35", "", '+', 0};
    EXPECT_FALSE(CheckAnswer(add, *BuildWorking(add), *ParseChildAnswer("83あまり0")).correct);
    const WorkingInput divide{"84", "", "4", "", '/', 0};
    EXPECT_TRUE(CheckAnswer(divide, *BuildWorking(divide), *ParseChildAnswer("21あまり0")).correct);
    EXPECT_TRUE(CheckAnswer(divide, *BuildWorking(divide), *ParseChildAnswer("021")).correct);
}

}  // namespace
}  // namespace kazu
