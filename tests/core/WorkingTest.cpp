// The written working: every cell written by exactly one step, nothing read before it is
// written, the steps in the order school teaches, the answer checked the way a child checks
// it (たしかめ算); and the sentences of the textbook examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/DecimalText.h"
#include "core/working/Working.h"

namespace kazu {
namespace {

std::string Digits(std::mt19937_64& random, int count, bool leading) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const unsigned low = i == 0 && leading && count > 1 ? 1 : 0;
        text += static_cast<char>('0' + low + random() % (10 - low));
    }
    return text;
}

Decimal Value(const std::string& integer, const std::string& decimals) {
    return *ReadDecimal(integer + "." + decimals);
}

// The answer as the working gives it, checked by the inverse operation.
void CheckAnswer(const WorkingInput& in, const Working& w, const std::string& what) {
    const Decimal a = Value(in.aInt, in.aDec), b = Value(in.bInt, in.bDec);
    const Decimal answer = *ReadDecimal(w.op == '/' ? w.quotient : w.answer);
    switch (w.op) {
        case '+':
            EXPECT_EQ(CompareDecimal(SubtractDecimal(answer, b), a), 0) << what;
            break;
        case '-':
            EXPECT_EQ(CompareDecimal(SubtractDecimal(a, answer), b), 0) << what;
            break;
        case '*':
            EXPECT_EQ(CompareDecimal(MultiplyDecimal(a, b), answer), 0) << what;
            break;
        default: {
            // わる数 × 商 + あまり = わられる数, and the remainder is below one unit of the
            // quotient's last place times the divisor.
            const Decimal r = *ReadDecimal(w.remainder);
            EXPECT_EQ(CompareDecimal(SubtractDecimal(a, MultiplyDecimal(b, answer)), r), 0) << what;
            const Decimal unit{"1", answer.scale};
            EXPECT_LT(CompareDecimal(r, MultiplyDecimal(b, unit)), 0) << what;
            EXPECT_EQ(w.answer, w.quotient + (r.IsZero() ? "" : "あまり" + w.remainder)) << what;
        }
    }
}

// Each cell is written by exactly one step, and read only after it.
void CheckCells(const Working& w, const std::string& what) {
    using Key = std::tuple<int, int, bool>;
    std::map<Key, int> writtenBy;
    for (size_t s = 0; s < w.steps.size(); ++s) {
        const Step& step = w.steps[s];
        for (const CellRef& ref : step.reads) {
            ASSERT_NE(w.Find(ref), nullptr) << what << " step " << s + 1;
            const auto at = writtenBy.find({ref.row, ref.column, ref.point});
            ASSERT_TRUE(at != writtenBy.end()) << what << " step " << s + 1 << " reads row "
                                               << ref.row << " column " << ref.column;
        }
        for (const CellRef& ref : step.writes) {
            ASSERT_NE(w.Find(ref), nullptr) << what << " step " << s + 1;
            ASSERT_TRUE(writtenBy.insert({{ref.row, ref.column, ref.point}, int(s)}).second)
                << what << " step " << s + 1 << " writes row " << ref.row << " column "
                << ref.column << " again";
        }
        ASSERT_FALSE(ExplainStep(w, step).empty()) << what << " step " << s + 1;
    }
    size_t cells = 0;
    for (const Row& row : w.rows) {
        cells += row.cells.size();
    }
    EXPECT_EQ(writtenBy.size(), cells) << what << ": a cell no step writes";
    ASSERT_FALSE(w.steps.empty());
    EXPECT_EQ(w.steps.back().kind, StepKind::Answer) << what;
    EXPECT_NE(ExplainStep(w, w.steps.back()).find(w.answer), std::string::npos) << what;
}

// School order: columns from the right for + and −, multiplier digits from the ones for ×,
// quotient digits from the left for ÷.
void CheckOrder(const Working& w, const std::string& what) {
    int last = 0;
    bool first = true;
    for (const Step& step : w.steps) {
        int column = 0;
        if ((w.op == '+' || w.op == '-') &&
            (step.kind == StepKind::Column || step.kind == StepKind::Carry)) {
            column = step.writes.empty() ? step.reads.front().column : step.writes.front().column;
            EXPECT_TRUE(first || column > last) << what;
        } else if (w.op == '*' &&
                   (step.kind == StepKind::Multiply || step.kind == StepKind::Carry) &&
                   !step.reads.empty()) {
            // The multiplier digit, then the multiplicand digit it multiplies, from the ones.
            const int digit = step.reads.size() > 1 ? step.reads[1].column : -1;
            column = step.reads.front().column * 100 + digit;
            EXPECT_TRUE(first || column > last) << what;
        } else if (w.op == '/' &&
                   (step.kind == StepKind::Estimate || step.kind == StepKind::Correct ||
                    step.kind == StepKind::Zero) &&
                   !step.writes.empty()) {
            column = step.writes.front().column;
            EXPECT_TRUE(first || column < last) << what;
        } else {
            continue;
        }
        last = column;
        first = false;
    }
}

TEST(Working, EveryCellWrittenOnceInSchoolOrderAndTheAnswerChecks) {
    std::mt19937_64 random(7);
    int built = 0;
    for (int n = 0; n < 20000; ++n) {
        WorkingInput in;
        in.op = "+-*/"[n % 4];
        in.places = (n / 4) % 11;
        const int longest = in.op == '/' ? 8 : 12;
        in.aInt = Digits(random, 1 + static_cast<int>(random() % longest), true);
        in.aDec = random() % 2 ? "" : Digits(random, static_cast<int>(random() % 5), false);
        in.bInt = Digits(random, 1 + static_cast<int>(random() % longest), true);
        in.bDec = random() % 2 ? "" : Digits(random, static_cast<int>(random() % 5), false);
        if (n % 7 == 0) {
            in.bInt = in.aInt;  // equal columns: zeros in the answer, borrows across them
        }
        const std::string what = in.aInt + "." + in.aDec + in.op + in.bInt + "." + in.bDec +
                                 " places " + std::to_string(in.places);
        const auto w = BuildWorking(in);
        const bool refused = (in.op == '-' && CompareDecimal(Value(in.aInt, in.aDec),
                                                             Value(in.bInt, in.bDec)) < 0) ||
                             (in.op == '/' && Value(in.bInt, in.bDec).IsZero());
        ASSERT_EQ(w.has_value(), !refused) << what;
        if (!w) {
            continue;
        }
        ++built;
        CheckCells(*w, what);
        CheckOrder(*w, what);
        CheckAnswer(in, *w, what);
        if (HasFailure()) {
            return;
        }
    }
    EXPECT_GT(built, 17000);
}

std::vector<std::string> Explained(const WorkingInput& in) {
    const auto w = BuildWorking(in);
    std::vector<std::string> lines;
    for (const Step& step : w->steps) {
        lines.push_back(StepKindName(step.kind) + " " + ExplainStep(*w, step));
    }
    return lines;
}

TEST(Working, TextbookExamplesInTheirWords) {
    // Borrowing across a zero: the hundreds lend to the tens, the tens to the ones.
    EXPECT_EQ(Explained({"402", "", "175", "", '-', 0}),
              (std::vector<std::string>{
                  "align くらいをそろえて書きます。",
                  "borrow 一のくらいは、2から5はひけません。十のくらいは0なので、百のくらいから1く"
                  "り下げます。百のくらいは3になります。",
                  "borrow 十のくらいは10になりました。そこから一のくらいへ1くり下げて、十のくらいは"
                  "9になります。",
                  "column 一のくらい、12ひく5は7。7を書きます。",
                  "column 十のくらい、9ひく7は2。2を書きます。",
                  "column 百のくらい、3ひく1は2。2を書きます。",
                  "answer 答えは227です。",
              }));
    // The zero of 30 set aside, 56 × 3 one digit product a step, the zero brought back.
    EXPECT_EQ(Explained({"56", "", "30", "", '*', 0}),
              (std::vector<std::string>{
                  "align 右のはしをそろえて書きます。",
                  "zero 終わりの0は、あわせて1こ。0はとっておいて、その左までをかけます。",
                  "multiply かける数の十のくらいの3を、かけられる数の右のはしから、じゅんにかけま"
                  "す。",
                  "carry 6かける3は18。8を書いて、1くり上げます。",
                  "multiply 5かける3は15。くり上がった1をたして16。16を書きます。",
                  "zero とっておいた0を1こ、右につけます。",
                  "answer 答えは1680です。",
              }));
    // Both points moved two places; the estimate by hiding the ones corrected down to 4.
    const auto moved = Explained({"7", "6", "0", "19", '/', 0});
    ASSERT_GE(moved.size(), 8u);
    EXPECT_EQ(moved[1],
              "point わる数の小数点を2けた右にうつして、整数にします。わられる数の小数点も、2けた"
              "右にうつします。");
    EXPECT_EQ(moved[3],
              "estimate 76わる19の見当をつけます。下の位をかくして、7わる1で、7をたててみます。");
    EXPECT_EQ(moved[6],
              "correct かけると95で、76より大きいので、ひけません。商を1小さくして、4にし"
              "ます。");
    EXPECT_EQ(moved[10], "zero 0は19より小さいので、商に0をたてます。");
    EXPECT_EQ(moved.back(), "answer 答えは40です。");
    // 85 ÷ 17: 8 ÷ 1 gives 8, too big three times.
    const auto corrected = Explained({"85", "", "17", "", '/', 0});
    EXPECT_EQ(std::count_if(corrected.begin(), corrected.end(),
                            [](const std::string& s) { return s.rfind("correct ", 0) == 0; }),
              3);
    EXPECT_EQ(corrected.back(), "answer 答えは5です。");
    // A remainder keeps the dividend's own point: 7.25 ÷ 2 to the ones leaves 1.25.
    EXPECT_EQ(Explained({"7", "25", "2", "", '/', 0}).back(), "answer 答えは3あまり1.25です。");
    // The carried 1 written small and added in the next column.
    const auto carried = Explained({"9", "", "1", "", '+', 0});
    EXPECT_EQ(carried[1], "carry 一のくらい、9たす1は10。0を書いて、1くり上げます。");
    EXPECT_EQ(carried[2], "column くり上がった1を、十のくらいに書きます。");
}

}  // namespace
}  // namespace kazu
