// The school-year problem sets: every problem of its own set and of no other, different within
// a set, answered exactly (checked against 128-bit arithmetic done here), and the same for the
// same seed, today and on every machine.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "BoardFixture.h"
#include "WideNumbers.h"
#include "core/practice/ProblemSets.h"
#include "support/RecordingVoice.h"

namespace kazu {
namespace {

struct Scaled {
    Wide value;
    int scale;
};

Scaled Read(const std::string& integer, const std::string& decimals) {
    return {Value(integer + decimals), static_cast<int>(decimals.size())};
}

std::string Expected(const WorkingInput& in) {
    const Scaled a = Read(in.aInt, in.aDec), b = Read(in.bInt, in.bDec);
    const int common = std::max(a.scale, b.scale);
    const Wide x = a.value * Pow10(common - a.scale), y = b.value * Pow10(common - b.scale);
    switch (in.op) {
        case '+':
            return Text(x + y, common);
        case '-':
            return Text(x - y, common);
        case '*':
            return Text(a.value * b.value, a.scale + b.scale);
        default: {
            // x / y cut to `places` decimals; the remainder x - y·q at the common scale.
            const Wide q = x * Pow10(in.places) / y;
            const Wide r = x * Pow10(in.places) - y * q;
            return Text(q, in.places) + (r == 0 ? "" : "あまり" + Text(r, common + in.places));
        }
    }
}

TEST(ProblemSets, AreTheCourseOfStudyInItsOrder) {
    std::vector<std::string> ids;
    std::vector<int> years;
    for (const ProblemSet& set : ProblemSets()) {
        ids.push_back(set.id);
        years.push_back(set.year);
        EXPECT_FALSE(set.description.empty());
        EXPECT_EQ(FindProblemSet(set.id), &set);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{
                       "g2-add", "g2-add-carry", "g2-sub", "g2-sub-borrow", "g3-add-carry",
                       "g3-sub-borrow", "g3-sub-borrow-zero", "g3-mul-1digit", "g3-mul-2digit",
                       "g4-div-1digit", "g4-div-zero-quotient", "g4-div-2digit",
                       "g4-div-2digit-correct", "g4-dec-add", "g4-dec-sub", "g4-dec-mul-int",
                       "g4-dec-div-int", "g5-dec-mul", "g5-dec-div"}));
    EXPECT_TRUE(std::is_sorted(years.begin(), years.end()));
    EXPECT_EQ(FindProblemSet("g9-nothing"), nullptr);
    EXPECT_TRUE(MakeProblems("g9-nothing", 1).empty());
}

// Over many seeds: ten problems a set, each of its set and of no other (so a rule that passes
// everything fails here), all different, answered exactly, and drawn again the same.
TEST(ProblemSets, EveryProblemIsOfItsSetOnlyDifferentExactAndRepeatable) {
    for (std::uint64_t seed = 0; seed < 40; ++seed) {
        for (const ProblemSet& set : ProblemSets()) {
            const std::vector<Problem> problems = MakeProblems(set.id, seed);
            ASSERT_EQ(problems.size(), 10u) << set.id << " seed " << seed;
            std::set<std::string> typed;
            for (const Problem& p : problems) {
                const std::string what = set.id + " " + p.typed;
                EXPECT_TRUE(typed.insert(p.typed).second) << what;
                for (const ProblemSet& other : ProblemSets()) {
                    EXPECT_EQ(IsOfSet(other.id, p), other.id == set.id) << what << " " << other.id;
                }
                const auto working = BuildWorking(p.input);
                ASSERT_TRUE(working) << what;
                EXPECT_EQ(working->answer, Expected(p.input)) << what;
            }
            const std::vector<Problem> again = MakeProblems(set.id, seed);
            for (size_t i = 0; i < problems.size(); ++i) {
                EXPECT_EQ(again[i].typed, problems[i].typed);
            }
        }
    }
}

// Printed sheets are drawn again from their seed later, on another machine: the draws must not
// change with the compiler, the library or a change of this code.
TEST(ProblemSets, ASeedDrawsWhatItDrewBefore) {
    const auto typed = [](std::string_view id, std::uint64_t seed) {
        std::vector<std::string> out;
        for (const Problem& p : MakeProblems(id, seed, 4)) {
            out.push_back(p.typed);
        }
        return out;
    };
    EXPECT_EQ(typed("g2-add-carry", 1),
              (std::vector<std::string>{"70+59=", "32+76=", "51+82=", "70+34="}));
    EXPECT_EQ(typed("g3-sub-borrow-zero", 1),
              (std::vector<std::string>{"903-36=", "5105-439=", "207-58=", "5202-1345="}));
    EXPECT_EQ(typed("g5-dec-div", 1),
              (std::vector<std::string>{"45.16/0.2=", "32.5/1.3=", "4.7/9.5=", "66.22/0.3="}));
}

// The keys of a problem, typed on the board (as the notebook, the worksheet and --check do),
// give the problem's operands and the working's answer.
TEST(ProblemSets, WhatIsTypedIsTheProblemOnTheBoard) {
    RecordingHost host;
    RecordingVoice voice;
    MetricsCanvas canvas;
    AppSettings settings;
    settings.SIKISPEAK = 0;
    Kokuban model(host, voice, settings);
    model.Start(canvas, 96);
    for (const ProblemSet& set : ProblemSets()) {
        for (const Problem& p : MakeProblems(set.id, 5)) {
            model.VK_DeleteKey();
            model.settings.POINTMAX = p.input.places;
            for (const char ch : p.typed) {
                model.InputChar(ch);
            }
            ASSERT_FALSE(model.state.entryOpen) << p.typed;
            const BoardOperands& o = model.board.operands;
            EXPECT_EQ(
                (std::vector<std::string>{o.aInt, o.aDec, o.bInt, o.bDec}),
                (std::vector<std::string>{p.input.aInt, p.input.aDec, p.input.bInt, p.input.bDec}))
                << p.typed;
            EXPECT_EQ(o.op, p.input.op);
            const std::string answer = BuildWorking(p.input)->answer;
            const size_t r = o.result.find('R');
            EXPECT_EQ(r == std::string::npos
                          ? o.result
                          : o.result.substr(0, r) + "あまり" + o.result.substr(r + 1),
                      answer)
                << p.typed;
        }
    }
}

TEST(ProblemSets, TheTaughtDifficultyDecidesTheSet) {
    const auto problem = [](std::string a, std::string ad, char op, std::string b, std::string bd,
                            int places, std::string typed) {
        return Problem{{std::move(a), std::move(ad), std::move(b), std::move(bd), op, places},
                       std::move(typed)};
    };
    EXPECT_TRUE(IsOfSet("g3-sub-borrow-zero", problem("402", "", '-', "175", "", 0, "402-175=")));
    EXPECT_FALSE(IsOfSet("g3-sub-borrow", problem("402", "", '-', "175", "", 0, "402-175=")));
    EXPECT_TRUE(IsOfSet("g3-sub-borrow", problem("452", "", '-', "175", "", 0, "452-175=")));
    // 25÷3 → 8, but 36×8 = 288 cannot be taken from 252: 7.
    EXPECT_TRUE(IsOfSet("g4-div-2digit-correct", problem("252", "", '/', "36", "", 0, "252/36=")));
    EXPECT_FALSE(IsOfSet("g4-div-2digit", problem("252", "", '/', "36", "", 0, "252/36=")));
    EXPECT_TRUE(IsOfSet("g4-div-zero-quotient", problem("412", "", '/', "4", "", 0, "412/4=")));
    EXPECT_FALSE(IsOfSet("g4-div-1digit", problem("412", "", '/', "4", "", 0, "412/4=")));
    EXPECT_TRUE(IsOfSet("g4-dec-div-int", problem("5", "4", '/', "4", "", 2, "5.4/4=")));
    EXPECT_FALSE(IsOfSet("g4-dec-div-int", problem("5", "3", '/', "4", "", 2, "5.3/4=")));
    // What is typed must be the problem itself.
    EXPECT_FALSE(IsOfSet("g2-add", problem("45", "", '+', "13", "", 0, "45+31=")));
    EXPECT_FALSE(IsOfSet("g2-add", problem("45", "", '+', "13", "", 1, "45+13=")));
}

}  // namespace
}  // namespace kazu
