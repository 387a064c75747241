// What the character says and how: texts after their tables, flags, rate and volume, blinks.
#include <gtest/gtest.h>

#include "BoardFixture.h"

namespace kazu {
namespace {

// Records the face's calls in the same log as the voice's requests, so order can be checked.
class RecordingCharacter : public CharacterView {
  public:
    explicit RecordingCharacter(std::vector<std::string>& log) : log_(log) {}
    void VisemeDsp(int viseme) override { log_.push_back("viseme " + std::to_string(viseme)); }
    void MabatakiDsp(int milliseconds) override {
        log_.push_back("blink " + std::to_string(milliseconds));
    }
    void ReadingLevel(int level) override { log_.push_back("level " + std::to_string(level)); }

  private:
    std::vector<std::string>& log_;
};

// A voice whose requests land in a shared log.
class LoggingVoice : public RecordingVoice {
  public:
    explicit LoggingVoice(std::vector<std::string>& log) : log_(log) {}
    void Speak(const std::string& text, int flags) override {
        RecordingVoice::Speak(text, flags);
        log_.push_back(requests().back());
    }
    void SetRate(int rate) override { log_.push_back("rate " + std::to_string(rate)); }
    void SetVolume(int volume) override { log_.push_back("volume " + std::to_string(volume)); }

  private:
    std::vector<std::string>& log_;
};

struct SpeechFixture {
    explicit SpeechFixture(AppSettings settings = {}) : model(host, voice, settings) {
        model.settings.SIKISPRATE = 7;
        model.settings.SIKISPVOLUME = 55;
        model.SetCharacter(&character);
        model.Start(canvas, 96);
        log.clear();
    }
    std::vector<std::string> log;
    RecordingHost host;
    LoggingVoice voice{log};
    RecordingCharacter character{log};
    MetricsCanvas canvas;
    Kokuban model;
};

TEST(SpeakMessage, BlinksThenSetsRateAndVolumeThenQueues) {
    SpeechFixture f;
    f.model.SpeakMessage("12/5=2R2");
    const std::vector<std::string> expected = {"blink 100", "rate 7", "volume 55",
                                               "speak \"12わる5イコール2 あまり 2\" 1"};
    EXPECT_EQ(f.log, expected);
}

TEST(SpeakMessage, QuietTokenPurgesAndSaysYesWithoutBlinking) {
    SpeechFixture f;
    f.model.SpeakMessage("ZZZ");
    EXPECT_EQ(f.host.beeps, 1);
    EXPECT_EQ(f.log, std::vector<std::string>{"speak \"はあい。\" 2"});
}

TEST(SpeakMessage, SilentWhileExpressionSpeakingIsOff) {
    AppSettings settings;
    settings.SIKISPEAK = 0;
    SpeechFixture f(settings);
    f.model.SpeakMessage("ZZZ");
    f.model.SpeakMessage("1+1=2");
    f.model.R2Click();
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.host.beeps, 0);
    // The texts spoken with SpeakText pass every switch.
    f.model.HelpSpeak();
    f.model.ExplainRequest();
    EXPECT_EQ(f.voice.spoken().size(), 2u);
}

TEST(ReadAloud, QueuesThenBlinksAQuarterSecond) {
    SpeechFixture f;
    for (char ch : std::string("7/2=")) {
        f.model.InputChar(ch);
    }
    f.log.clear();
    f.model.R2Click();
    ASSERT_GE(f.log.size(), 4u);
    EXPECT_EQ(f.log[0], "rate 7");
    EXPECT_EQ(f.log[1], "volume 55");
    EXPECT_EQ(f.log[2].rfind("speak \"7わる2=", 0), 0u) << f.log[2];
    EXPECT_EQ(f.log[3], "blink 250");
}

TEST(ReadAloud, AZeroQuotientWithARemainderKeepsItsZero) {
    SpeechFixture f;
    for (char ch : std::string("7/8=")) {
        f.model.InputChar(ch);
    }
    f.model.R2Click();
    EXPECT_EQ(f.voice.spoken().back(), "7わる8=0あまり7");
    f.model.R2Click();  // read twice: the result text must not wear away
    EXPECT_EQ(f.voice.spoken().back(), "7わる8=0あまり7");
}

TEST(ReadAloud, NothingForAnEmptyExpressionAndAFinalPointIsRead) {
    SpeechFixture f;
    f.model.R2Click();
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(ExpressionReading("0.5+0.25=0.75"), "0.5たす0.25=0.75");
    EXPECT_EQ(ExpressionReading("3."), "3点");
}

TEST(KeyEcho, PointIsReadAsTenAndRefusedKeysAreEchoedToo) {
    SpeechFixture f;
    f.model.InputChar('.');  // refused: an expression cannot start with a point
    EXPECT_EQ(f.voice.spoken(), std::vector<std::string>{"点 "});
}

TEST(Greeting, BlinksAfterQueuingAndSaysTheVoiceMode) {
    AppSettings settings;
    settings.SRFLAG = 1;
    settings.HEAROK = 1;
    SpeechFixture f(settings);
    f.model.FormActivate();
    ASSERT_EQ(f.log.size(), 4u);
    EXPECT_NE(f.log[2].find("今は音声入力による計算モードです。"), std::string::npos);
    EXPECT_EQ(f.log[3], "blink 200");
}

TEST(Greeting, OnlyWhenMessagesAreSpoken) {
    AppSettings settings;
    settings.MSGSPEAK = 0;
    SpeechFixture f(settings);
    f.model.FormActivate();
    EXPECT_TRUE(f.log.empty());
    EXPECT_FALSE(f.model.greetingText().empty());
}

TEST(HelpSpeak, StartsWithTheSentenceOfTheCurrentMode) {
    SpeechFixture f;
    f.model.HelpSpeak();
    ASSERT_EQ(f.voice.spoken().size(), 1u);
    const std::string calculation = f.voice.spoken()[0];
    EXPECT_EQ(calculation.rfind("おっす！　ぽん吉の音声での使い方を説明するよ。", 0), 0u);
    EXPECT_NE(calculation.find("。。今は計算モードです。"), std::string::npos);
    EXPECT_NE(calculation.find("。。以上、音声での使い方を説明しました。"), std::string::npos);
    EXPECT_EQ(f.log.back(), "blink 250");
    f.model.commandMode = true;
    f.model.HelpSpeak();
    EXPECT_NE(f.voice.spoken()[1].find("。。今はコマンドモードです。"), std::string::npos);
    EXPECT_EQ(f.voice.spoken()[1].find("。。今は計算モードです。"), std::string::npos);
}

TEST(ExplainRequest, DependsOnWhetherACalculationIsShown) {
    SpeechFixture f;
    f.model.ExplainRequest();
    for (char ch : std::string("1+1=")) {
        f.model.InputChar(ch);
    }
    f.model.ExplainRequest();
    const auto& spoken = f.voice.spoken();
    EXPECT_EQ(spoken.front(), "まず、式の計算をしてください。");
    EXPECT_EQ(spoken.back(), "ごめんなさい。説明の準備がまだなんです。");
}

TEST(Refusals, SpokenSynchronouslyThenBlinkWhileVoiceInputRuns) {
    AppSettings settings;
    settings.SRFLAG = 1;
    SpeechFixture f(settings);
    f.model.settings.KEYSPEAK = 0;
    for (char ch : std::string("3/0=")) {
        f.model.InputChar(ch);
    }
    const std::vector<std::string> expected = {"speak \"０で割ることはできません。\" 0",
                                               "blink 250"};
    EXPECT_EQ(f.log, expected);
}

TEST(TestSentence, QueuedWithRateAndVolumeAndNoTable) {
    AppSettings settings;
    settings.SIKISPEAK = 0;
    SpeechFixture f(settings);
    f.model.TestYomiClick();
    const std::vector<std::string> expected = {
        "rate 7", "volume 55", "speak \"読み上げの速さと音量のテストです。78+23=101\" 1"};
    EXPECT_EQ(f.log, expected);
}

TEST(Escape, SkipsEveryQueuedSentence) {
    SpeechFixture f;
    f.model.FormKeyDown(vk::kEscape, {});
    EXPECT_EQ(f.voice.requests().back(), "skip Sentence 1000");
}

TEST(Visemes, OnlyChangesRedrawTheFace) {
    SpeechFixture f;
    for (int viseme : {2, 2, 2, 0, 21}) {
        f.model.OnViseme(viseme);
    }
    f.model.OnAudioLevel(42);
    const std::vector<std::string> expected = {"viseme 2", "viseme 0", "viseme 21", "level 42"};
    EXPECT_EQ(f.log, expected);
}

TEST(IdleFace, EveryFifthTickBlinksAndShowsAMouth) {
    SpeechFixture f;
    for (int tick = 0; tick < 10; ++tick) {
        f.model.Timer1Timer();
    }
    int blinks = 0, mouths = 0;
    for (const auto& entry : f.log) {
        blinks += entry == "blink 100" ? 1 : 0;
        if (entry.rfind("viseme ", 0) == 0) {
            ++mouths;
            const int viseme = std::stoi(entry.substr(7));
            EXPECT_GE(viseme, 0);
            EXPECT_LE(viseme, 10);
        }
    }
    EXPECT_EQ(blinks, 2);
    EXPECT_EQ(mouths, 2);
}

}  // namespace
}  // namespace kazu
