// Stepping by hand in the board's pacing, and what the owner asks of the window for the input
// panel and the settings dialog.
#include <gtest/gtest.h>

#include "BoardFixture.h"

namespace kazu {
namespace {

// Answers the step waits from a script; records clock pauses and steps in one sequence.
class StepPacer : public Pacer {
  public:
    std::vector<std::string> log;
    int finishAtStep = -1;  // the step at which the user asks for the rest at once

    void Pause(int milliseconds) override {
        log.push_back("pause " + std::to_string(milliseconds));
    }
    bool SkipRequested() override { return false; }
    bool WaitForStep() override {
        log.push_back("step");
        return static_cast<int>(log.size()) != finishAtStep;
    }
};

struct SteppedBoard : BoardFixture {
    StepPacer stepPacer;
    SteppedBoard() { model.SetPacer(&stepPacer); }
    long Count(const std::string& entry) const {
        return std::count(stepPacer.log.begin(), stepPacer.log.end(), entry);
    }
};

}  // namespace

TEST(StepMode, EveryPauseOfTheClockBecomesAStepWhateverTheSpeed) {
    for (const int speed : {0, 1, 7}) {
        SteppedBoard clock;
        clock.model.settings.ENZANSPEED = speed == 0 ? 1 : speed;
        clock.Type("999+1=");
        const long pauses =
            clock.Count("pause " + std::to_string(clock.model.settings.ENZANSPEED * 100));
        ASSERT_GT(pauses, 0);

        SteppedBoard stepped;
        stepped.model.settings.ENZANSPEED = speed;
        stepped.model.board.stepDisplay = true;
        stepped.Type("999+1=");
        EXPECT_EQ(stepped.Count("step"), pauses) << speed;
        EXPECT_EQ(stepped.stepPacer.log.size(), size_t(pauses));  // no clock pause besides
        EXPECT_EQ(stepped.result(), "1000");
        EXPECT_EQ(stepped.canvas.log(), clock.canvas.log()) << "the same drawing, step by step";
        EXPECT_TRUE(stepped.model.board.stepDisplay);
        EXPECT_EQ(stepped.model.settings.ENZANSPEED, speed);
    }
}

TEST(StepMode, AskingForTheRestEndsSteppingAndSetsTheSpeedToZero) {
    SteppedBoard f;
    f.model.settings.ENZANSPEED = 4;
    f.model.board.stepDisplay = true;
    f.stepPacer.finishAtStep = 3;
    f.Type("1234*56=");
    EXPECT_EQ(f.Count("step"), 3);
    EXPECT_EQ(f.stepPacer.log.size(), size_t(3));  // the rest without any pause
    EXPECT_FALSE(f.model.board.stepDisplay);
    EXPECT_TRUE(f.model.board.cutShort);
    EXPECT_EQ(f.model.settings.ENZANSPEED, 0);
    EXPECT_EQ(f.result(), "69104");
}

TEST(StepMode, RepaintsAndPagesAreNeverStepped) {
    SteppedBoard f;
    f.Type("875/25=");
    f.model.board.stepDisplay = true;
    f.model.settings.ENZANSPEED = 3;
    f.stepPacer.log.clear();
    f.model.FormPaint();
    RecordingCanvas page{f.metrics};
    f.model.PrintOn(page);
    EXPECT_EQ(f.Count("step"), 0);
    EXPECT_TRUE(f.model.board.stepDisplay);
    EXPECT_EQ(f.model.settings.ENZANSPEED, 3);
}

TEST(InputPanelHost, TheGreetingShowsThePanelUnlessOnlyVoiceEntryIsAllowed) {
    for (const auto& [srflag, hearok, shown] :
         {std::tuple{0, 0, true}, {1, 0, true}, {0, 1, true}, {1, 1, false}}) {
        AppSettings settings;
        settings.SRFLAG = srflag;
        settings.HEAROK = hearok;
        BoardFixture f(settings);
        f.host.inputPanelShown = !shown;
        f.model.FormActivate();
        EXPECT_EQ(f.host.inputPanelShown, shown) << srflag << hearok;
    }
}

TEST(InputPanelHost, F8TogglesThePanelAndJOpensTheSettings) {
    BoardFixture f;
    f.Type("12");
    f.model.FormKeyDown(vk::kF8, {});
    EXPECT_EQ(f.host.inputPanelToggles, 1);
    EXPECT_EQ(f.model.state.expression, "12");
    f.model.FormKeyDown('J', {});
    EXPECT_EQ(f.host.settingsDialogs, 1);
    f.model.FormKeyDown('J', {true, false, false});  // Shift leaves only A and S
    f.model.FormKeyDown('J', {false, true, false});
    EXPECT_EQ(f.host.settingsDialogs, 1);
}

TEST(InputPanelHost, LineBreakFromTheDialogRedrawsOnlyAFinishedCalculation) {
    BoardFixture f;
    f.Type("12+3");
    f.canvas.log().clear();
    f.model.SetLineBreak(1);
    EXPECT_EQ(f.model.settings.KAIGYO_FLAG, 1);
    EXPECT_TRUE(f.Lines("text").empty());
    f.Type("=");
    f.canvas.log().clear();
    f.model.SetLineBreak(0);
    const std::vector<std::string> inLine = f.Lines("text");
    f.canvas.log().clear();
    f.model.SetLineBreak(1);
    const std::vector<std::string> broken = f.Lines("text");
    EXPECT_EQ(f.model.settings.KAIGYO_FLAG, 1);
    EXPECT_FALSE(inLine.empty());
    EXPECT_NE(inLine, broken);
    EXPECT_EQ(f.result(), "15");
}

}  // namespace kazu
