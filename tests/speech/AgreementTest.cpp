// Two models' hearings of one calculation taken together.
#include <gtest/gtest.h>

#include "speech/listen/Agreement.h"

namespace kazu::listen {
namespace {

const std::vector<std::string> k12Div4 = {"d1", "d2", "op/", "d4", "eqW"};
const std::vector<std::string> k12Div7 = {"d1", "d2", "op/", "d7", "eqW"};

TEST(AgreementTest, AgreeingModelsAreSureAndDifferingOnesAskTheChild) {
    // Both heard 12÷4: as sure as the surer, though one alone would have been asked about.
    Hearing heard = Agreed({{k12Div4, 0.2}, {k12Div4, 0.6}});
    EXPECT_EQ(heard.words, k12Div4);
    EXPECT_DOUBLE_EQ(heard.confidence, 0.6);

    // They differ: the surer one's words, as unsure as the other, whichever order they come in.
    for (const auto& hearings : {std::vector<Hearing>{{k12Div7, 0.9}, {k12Div4, 0.25}},
                                 std::vector<Hearing>{{k12Div4, 0.25}, {k12Div7, 0.9}}}) {
        heard = Agreed(hearings);
        EXPECT_EQ(heard.words, k12Div7);
        EXPECT_DOUBLE_EQ(heard.confidence, 0.25);
    }

    // A model that heard nothing (a filler, or below the floor) leaves the other's as it is.
    heard = Agreed({{{}, 0.05}, {k12Div4, 0.7}});
    EXPECT_EQ(heard.words, k12Div4);
    EXPECT_DOUBLE_EQ(heard.confidence, 0.7);

    // Neither heard anything, or no model took part: nothing, as near as the nearer came.
    heard = Agreed({{{}, 0.05}, {{}, 0.08}});
    EXPECT_TRUE(heard.words.empty());
    EXPECT_DOUBLE_EQ(heard.confidence, 0.08);
    EXPECT_TRUE(Agreed({}).words.empty());
    EXPECT_DOUBLE_EQ(Agreed({}).confidence, 0);
}

}  // namespace
}  // namespace kazu::listen
