// Voice input end to end without a microphone: recognitions fed in, replies, beeps, the
// status line and the modes read back in order.
#include <gtest/gtest.h>

#include <algorithm>

#include "BoardFixture.h"

namespace kazu {
namespace {

constexpr Colour kYellow = 0xFFFF00;
constexpr Colour kRed = 0xFF0000;
constexpr Colour kGreen = 0x008000;
constexpr Colour kLime = 0x00FF00;

AppSettings Speaking() {
    AppSettings settings;
    settings.USERSYOBINA = "ゆうこさん";
    return settings;
}

struct Listening : BoardFixture {
    explicit Listening(const AppSettings& settings = Speaking()) : BoardFixture(settings) {
        model.SpeechSetup(recognizer, "KAZUGrammar.xml");
        model.S2Click();
        voice.Clear();
        host.beeps = 0;
        recognizer.requests.clear();
    }
    // Enters command mode as a child would.
    void Command() {
        recognizer.Hear("コマンド");
        voice.Clear();
        host.beeps = 0;
    }
    const std::vector<std::string>& said() const { return voice.spoken(); }
};

TEST(SpeechSetup, LoadsTheGrammarAndListensForDictation) {
    BoardFixture f;
    FedRecognizer& recognizer = f.recognizer;
    f.model.SpeechSetup(recognizer, "KAZUGrammar.xml");
    EXPECT_EQ(recognizer.requests, (std::vector<std::string>{"dictation load", "dictation 0",
                                                             "grammar \"KAZUGrammar.xml\"",
                                                             "rules 0 0", "dictation 1"}));
    EXPECT_TRUE(f.host.voiceInputAvailable);
    EXPECT_EQ(f.host.statusLine, "×××××");
    EXPECT_EQ(f.host.statusColour, kGreen);
}

// The recogniser joins once its grammars are compiled: a switch made before (the settings
// dialog's) is not lost, and the last one made counts.
TEST(SpeechSetup, SwitchingBeforeTheRecogniserIsReadyTakesEffectOnce) {
    for (const bool startLast : {true, false}) {
        BoardFixture f;
        f.model.E1Click();
        f.model.S2Click();
        if (!startLast) {
            f.model.E1Click();
        }
        EXPECT_EQ(f.host.beeps, 0);
        EXPECT_EQ(f.model.settings.SRFLAG, 0);
        f.model.SpeechSetup(f.recognizer, "KAZUGrammar.xml");
        EXPECT_EQ(f.model.settings.SRFLAG, startLast ? 1 : 0);
        EXPECT_EQ(f.host.statusLine, startLast ? "式を言って!!" : "×××××");
        EXPECT_EQ(std::count(f.voice.spoken().begin(), f.voice.spoken().end(),
                             std::string("音声入力ができます。")),
                  startLast ? 1 : 0);
    }
}

TEST(SpeechSetup, AMissingGrammarMakesVoiceInputUnavailable) {
    AppSettings settings;
    settings.SRFLAG = 1;
    settings.HEAROK = 1;
    BoardFixture f(settings);
    FedRecognizer& recognizer = f.recognizer;
    recognizer.grammarResult = -1;
    f.model.SpeechSetup(recognizer, "KAZUGrammar.xml");
    EXPECT_EQ(recognizer.requests.back(), "grammar \"KAZUGrammar.xml\"");
    EXPECT_FALSE(f.host.voiceInputAvailable);
    EXPECT_EQ(f.model.settings.SRFLAG, 0);
    EXPECT_EQ(f.model.settings.HEAROK, 0);
    f.voice.Clear();
    f.model.S2Click();
    EXPECT_EQ(f.host.beeps, 2);
    EXPECT_TRUE(f.voice.spoken().empty());
}

TEST(StartAndStop, ConfirmOnceAndShowTheModeOnTheStatusLine) {
    BoardFixture f;
    FedRecognizer& recognizer = f.recognizer;
    f.model.SpeechSetup(recognizer, "KAZUGrammar.xml");
    f.host.inputPanelShown = true;
    f.model.S2Click();
    f.model.S2Click();
    // The board is cleared with its usual reply, then the confirmation, once.
    EXPECT_EQ(f.voice.spoken(),
              (std::vector<std::string>{"クリア－しました。", "音声入力ができます。"}));
    EXPECT_EQ(f.host.statusLine, "式を言って!!");
    EXPECT_EQ(f.host.statusColour, kYellow);
    EXPECT_FALSE(f.host.inputPanelShown);
    EXPECT_EQ(f.model.settings.HEAROK, 1);

    f.voice.Clear();
    f.model.E1Click();
    EXPECT_EQ(f.voice.spoken(),
              (std::vector<std::string>{"音声入力をオフにしました。読み上げは可能です。"}));
    EXPECT_EQ(f.host.statusLine, "×××××");
    EXPECT_TRUE(f.host.inputPanelShown);
    EXPECT_EQ(f.model.settings.SRFLAG, 0);
}

TEST(StartAndStop, RefusedDictationBeepsAndStaysOff) {
    BoardFixture f;
    FedRecognizer& recognizer = f.recognizer;
    f.model.SpeechSetup(recognizer, "KAZUGrammar.xml");
    recognizer.dictationResult = -1;
    f.voice.Clear();
    f.model.S2Click();
    EXPECT_EQ(f.host.beeps, 1);
    EXPECT_EQ(f.voice.spoken(), (std::vector<std::string>{"音声認識ができません。"}));
    EXPECT_EQ(f.model.settings.SRFLAG, 0);
}

TEST(Recognition, EmptyTextChangesNothingAndPausedListeningOnlyShowsTheText) {
    Listening f;
    f.host.memo2 = "前";
    f.recognizer.Hear("");
    EXPECT_EQ(f.host.memo2, "前");
    f.model.settings.HEAROK = 0;
    f.recognizer.Hear("3かける4わ");
    EXPECT_EQ(f.host.memo2, "3かける4わ");
    EXPECT_TRUE(f.model.state.expression.empty());
}

TEST(SpokenExpression, OneUtteranceIsDrawnAndAnswered) {
    Listening f;
    f.recognizer.Hear("3かける4わ");
    EXPECT_EQ(f.result(), "12");
    EXPECT_EQ(f.model.state.expression, "3*4=");
    EXPECT_EQ(f.host.memo1, "3*4=");
    ASSERT_FALSE(f.said().empty());
    EXPECT_EQ(f.said().back(), "3掛ける4イコール12です。");
    EXPECT_EQ(f.model.lastSpokenAnswer, "3掛ける4イコール12です。");
}

TEST(SpokenExpression, PiecesAreCollectedAndReadBackAsTheyGrow) {
    Listening f;
    f.recognizer.Hear("12プラス");
    EXPECT_EQ(f.model.state.expression, "12+");
    EXPECT_EQ(f.said(), (std::vector<std::string>{"12たす"}));
    f.recognizer.Hear("自由5");
    EXPECT_EQ(f.model.state.expression, "12+15");
    f.recognizer.Hear("イコール");
    EXPECT_EQ(f.result(), "27");
    EXPECT_EQ(f.said().back(), "12たす15イコール27です。");
}

TEST(SpokenExpression, RemaindersAreReadOnlyWhenThereAreSome) {
    Listening f;
    f.recognizer.Hear("7わる2わ");
    EXPECT_EQ(f.said().back(), "7わる2イコール3 あまり 1です。");
    f.recognizer.Hear("クリア");
    f.recognizer.Hear("8わる2わ");
    EXPECT_EQ(f.said().back(), "8わる2イコール4です。");
}

// A whole calculation the engine was unsure of is said back and drawn once the child says
// yes, or replaced by what the child says again; pieces and words are handled as heard.
TEST(DoubtfulHearing, CalculationsWaitForAYes) {
    Listening f;
    f.recognizer.Hear("12わる7わ", 0, 0.2);
    EXPECT_TRUE(f.model.state.expression.empty());
    EXPECT_EQ(f.said(), (std::vector<std::string>{"12わる7、かな？"}));
    EXPECT_NE(f.host.memo2.find("「12÷7」かな？"), std::string::npos);
    f.recognizer.Hear("はい");
    EXPECT_EQ(f.model.state.expression, "12/7=");
    EXPECT_EQ(f.said().back(), "12わる7イコール1 あまり 5です。");

    f.recognizer.Hear("クリア", 0, 0.1);
    EXPECT_TRUE(f.model.state.expression.empty());
    f.recognizer.Hear("12わる7わ", 0, 0.2);
    f.recognizer.Hear("12わる4わ", 0, 0.9);
    EXPECT_EQ(f.model.state.expression, "12/4=");
    f.recognizer.Hear("はい");  // nothing left to confirm: no part of a calculation either
    EXPECT_EQ(f.model.state.expression, "12/4=");
    EXPECT_EQ(f.said().back(), "12わる4イコール3です。");

    // A doubtful piece is read back as every piece is; the doubtful end asks about the whole.
    f.recognizer.Hear("クリア");
    f.recognizer.Hear("5+", 0, 0.1);
    f.recognizer.Hear("3わ", 0, 0.1);
    EXPECT_EQ(f.said().back(), "5たす3、かな？");
    f.recognizer.Hear("はい");
    EXPECT_EQ(f.model.state.expression, "5+3=");
}

TEST(DoubtfulHearing, ACommandThatHasAnOppositeIsAskedForAgain) {
    Listening f;
    f.Command();
    f.model.settings.SIKISPRATE = 5;
    f.recognizer.Hear("もっと速く読んで", 19, 0.5);
    EXPECT_EQ(f.model.settings.SIKISPRATE, 5);
    EXPECT_EQ(f.said(), (std::vector<std::string>{"もう一度 言ってね。"}));
    EXPECT_NE(f.host.memo2.find("もっと速く読んで？"), std::string::npos);
    f.recognizer.Hear("もっと遅く読んで", 20, 0.9);
    EXPECT_EQ(f.model.settings.SIKISPRATE, 4);
    // One without an opposite runs however unsure.
    f.recognizer.Hear("ありがとう", 9, 0.1);
    EXPECT_EQ(f.said().back(), "どういたしまして。");
    EXPECT_TRUE(OppositeCommands(20, 19));
    EXPECT_FALSE(HasOppositeCommand(21));
}

// What was heard while the character spoke may be her own voice from the loudspeakers.
TEST(OwnVoice, WhatWasHeardWhileSheSpokeIsLeftButTheHelpCanBeStopped) {
    Listening f;
    f.recognizer.Hear("12わる7わ", 0, 0.9, true);
    f.recognizer.Hear("クリア", 0, 1, true);
    EXPECT_TRUE(f.model.state.expression.empty());
    EXPECT_TRUE(f.said().empty());
    EXPECT_TRUE(f.host.memo2.empty());
    f.Command();
    f.model.settings.SIKISPRATE = 5;
    f.recognizer.Hear("もっと遅く読んで", 20, 1, true);
    EXPECT_EQ(f.model.settings.SIKISPRATE, 5);
    const size_t before = f.voice.requests().size();
    f.recognizer.Hear("ヘルプ中止", 31, 1, true);
    ASSERT_GT(f.voice.requests().size(), before);
    EXPECT_EQ(f.voice.requests()[before], "skip Sentence 1000");
    // Once she is quiet, the child is heard again.
    f.recognizer.Hear("もっと遅く読んで", 20, 1);
    EXPECT_EQ(f.model.settings.SIKISPRATE, 4);
}

TEST(SpokenExpression, AnInvalidExpressionIsRefusedAndTheBoardKept) {
    Listening f;
    f.recognizer.Hear("5+3+2わ");
    // A message like any other: rate and volume, then queued.
    const std::vector<std::string> refusal = {"rate 10", "volume 100",
                                              "speak \"式が正しくありません。\" 1"};
    EXPECT_EQ(std::vector<std::string>(f.voice.requests().end() - 3, f.voice.requests().end()),
              refusal);
    EXPECT_TRUE(f.result().empty());
    EXPECT_EQ(f.host.memo1, "5+3+2=");

    // With expression speaking off, the refusal is only shown.
    AppSettings quiet = Speaking();
    quiet.SIKISPEAK = 0;
    Listening g(quiet);
    g.recognizer.Hear("5+3+2わ");
    EXPECT_EQ(g.host.memo1, "5+3+2=");
    EXPECT_TRUE(g.said().empty());
}

// Fed characters are not read one by one; typed ones are again once the feeding is over, also
// when it ended at a refused calculation.
TEST(SpokenExpression, TypedCharactersAreEchoedAgainAfterTheFeeding) {
    for (const char* heard : {"12+", "8わる0わ"}) {
        Listening f;
        f.recognizer.Hear(heard);
        for (const std::string& text : f.said()) {
            EXPECT_NE(text, "1") << heard;
            EXPECT_NE(text, "8") << heard;
        }
        f.model.E1Click();
        f.voice.Clear();
        f.model.KeyInputChar('7');
        EXPECT_EQ(f.said(), (std::vector<std::string>{"7"})) << heard;
    }
}

TEST(SpokenExpression, AFinishedCalculationAsksToBeClearedFirst) {
    Listening f;
    f.recognizer.Hear("3かける4わ");
    f.voice.Clear();
    f.recognizer.Hear("5");
    EXPECT_EQ(f.host.memo2, "新しい式を入力するには、まず今の式を「クリア」か「消去」してね。");
    EXPECT_TRUE(f.said().empty());
    f.recognizer.Hear("円");
    EXPECT_EQ(f.model.state.expression, "3*4=");
    // The end word alone, after a pause that ended the calculation already, asks for nothing.
    for (const char* end : {"わ", "イコール"}) {
        f.recognizer.Hear(end);
        EXPECT_EQ(f.host.memo2, end);
    }
    EXPECT_TRUE(f.said().empty());
    EXPECT_EQ(f.model.state.expression, "3*4=");
}

TEST(SpokenExpression, PiIsThreePointOneFour) {
    Listening f;
    f.recognizer.Hear("円周率");
    EXPECT_EQ(f.model.state.expression, "3.14");
}

TEST(WordCommands, ClearWinsOverBackAndHidesNothingElse) {
    Listening f;
    f.recognizer.Hear("12プラス3");
    f.voice.Clear();
    f.recognizer.Hear("クリアして戻る");
    EXPECT_EQ(f.host.beeps, 1);
    EXPECT_TRUE(f.model.state.expression.empty());
    EXPECT_TRUE(f.model.SpokenExpression.empty());
    EXPECT_EQ(f.said(), (std::vector<std::string>{"式をクリア－しました。"}));
}

TEST(WordCommands, BackTakesOneCharacterAndSaysWhatIsLeft) {
    Listening f;
    f.recognizer.Hear("12プラス3");
    f.voice.Clear();
    f.recognizer.Hear("もどって");
    EXPECT_EQ(f.model.state.expression, "12+");
    EXPECT_EQ(f.model.SpokenExpression, "12+");
    EXPECT_EQ(f.said(), (std::vector<std::string>{"１文字もどりました。", "12たす"}));
}

TEST(WordCommands, RecalculationWithNothingSavedDoesNothing) {
    Listening f;
    f.recognizer.Hear("再計算");
    EXPECT_TRUE(f.said().empty());
    f.recognizer.Hear("計算");
    EXPECT_EQ(f.said(), (std::vector<std::string>{"今は計算モードです。"}));
}

TEST(WordCommands, CommandSwitchesTheRecogniserToTheGrammar) {
    Listening f;
    f.recognizer.Hear("コマンド");
    EXPECT_EQ(f.said(), (std::vector<std::string>{"メニューコマンド、受け付けました。"}));
    EXPECT_TRUE(f.model.commandMode);
    EXPECT_EQ(f.recognizer.requests, (std::vector<std::string>{"dictation 0", "rules 0 1"}));
    EXPECT_EQ(f.host.statusLine, "命令してね！");
    EXPECT_EQ(f.host.statusColour, kRed);
}

TEST(WordCommands, LineBreakPanelAndEndOfRecognition) {
    Listening f;
    f.recognizer.Hear("改行");
    EXPECT_EQ(f.host.postedKeys, (std::vector<int>{'L'}));
    f.recognizer.Hear("パネルなし");
    EXPECT_FALSE(f.host.speechPanelShown);
    EXPECT_EQ(f.model.settings.SP_PANELSHOW, 0);
    f.recognizer.Hear("スピーチパネルなし");
    EXPECT_EQ(f.said(), (std::vector<std::string>{"スピーチパネルを非表示にしました",
                                                  "スピーチパネルは表示していません。"}));
    f.recognizer.Hear("認識終了");
    EXPECT_EQ(f.model.settings.SRFLAG, 0);
    EXPECT_FALSE(f.recognizer.dictationActive);
    EXPECT_EQ(f.host.statusLine, "×××××");
}

TEST(NumberedCommands, UnknownNumbersAndMissingPropertiesDoNothing) {
    Listening f;
    f.Command();
    for (int number : {3, 75, 0}) {
        f.recognizer.Hear("なにか", number);
    }
    EXPECT_EQ(f.host.beeps, 0);
    EXPECT_TRUE(f.said().empty());
    Recognition odd{"なにか", {{"ChosenCommand", "", {{"commandvalue", "9x", {}}}}}};
    f.recognizer.listener()->OnRecognition(odd);
    EXPECT_EQ(f.host.beeps, 0);
    Recognition upper{"ありがとう", {{"ChosenCommand", "", {{"commandvalue", "9", {}}}}}};
    f.recognizer.listener()->OnRecognition(upper);
    EXPECT_EQ(f.said(), (std::vector<std::string>{"どういたしまして。"}));
}

TEST(NumberedCommands, RateAndVolumeAtTheirLimits) {
    Listening f;
    f.Command();
    const int captions = f.host.captionChanges;
    f.recognizer.Hear("もっと速く読んで", 19);
    EXPECT_EQ(f.model.settings.SIKISPRATE, 10);
    EXPECT_TRUE(f.said().empty());
    EXPECT_EQ(f.host.beeps, 1);
    EXPECT_GT(f.host.captionChanges, captions);
    f.recognizer.Hear("もっと大きい声で", 28);
    EXPECT_EQ(f.said(), (std::vector<std::string>{"声の大きさを100％に上げました。"}));
    f.model.settings.SIKISPRATE = 5;
    f.recognizer.Hear("もっと速く読んで", 19);
    f.recognizer.Hear("もっと小さい声で", 29);
    EXPECT_EQ(f.said()[1], "読み上げの速さを6に上げました。");
    EXPECT_EQ(f.said()[2], "声の大きさを95％に下げました。");
}

TEST(NumberedCommands, TimeAndDate) {
    Listening f;
    f.Command();
    const std::pair<LocalTime, const char*> times[] = {
        {{2026, 12, 8, 2, 12, 5, 9}, "午前12時05分09秒"},
        {{2026, 12, 8, 2, 0, 30, 0}, "午前0時30分00秒"},
        {{2026, 12, 8, 2, 13, 0, 0}, "午後1時00分00秒"},
    };
    for (const auto& [now, text] : times) {
        f.model.clock = [now = now] { return now; };
        f.recognizer.Hear("何時", 34);
        EXPECT_EQ(f.said().back(), std::string(text) + "です。");
        EXPECT_EQ(f.host.memo1, text);
    }
    f.model.clock = [] { return LocalTime{2026, 12, 8, 2, 9, 7, 3}; };
    f.recognizer.Hear("何時", 15);
    EXPECT_EQ(f.host.memo1, "9:07:03");
    f.voice.Clear();
    f.recognizer.Hear("何日", 17);
    EXPECT_EQ(f.said(), (std::vector<std::string>{"2026年12月8日火曜日です。", "ゆうこさん"}));
}

TEST(NumberedCommands, AlreadyInCommandModeWithMessagesOff) {
    AppSettings settings = Speaking();
    settings.MSGSPEAK = 0;
    Listening f(settings);
    f.Command();
    f.model.settings.HEAROK = 0;
    f.recognizer.Hear("コマンド", 6);
    EXPECT_EQ(f.said(),
              (std::vector<std::string>{"聞き取り中止中なので,｢聞き取り再開」と言って下さい。"}));
}

TEST(NumberedCommands, PauseResumeAndBackToCalculating) {
    Listening f;
    f.recognizer.Hear("12プラス");
    f.Command();
    f.recognizer.Hear("聞き取り中止", 32);
    EXPECT_EQ(f.host.beeps, 0);
    EXPECT_EQ(f.model.settings.HEAROK, 0);
    EXPECT_EQ(f.host.statusLine, "聞取休み中");
    EXPECT_EQ(f.host.statusColour, kLime);
    EXPECT_TRUE(f.host.inputPanelShown);
    EXPECT_TRUE(f.model.state.expression.empty());

    f.recognizer.Hear("計算", 8);
    EXPECT_EQ(f.said().back(), "聞き取り中止中なので,「聞き取り再開」してからにして下さい。");
    EXPECT_TRUE(f.model.commandMode);

    f.recognizer.Hear("聞き取り再開", 33);
    EXPECT_EQ(f.model.settings.HEAROK, 1);
    EXPECT_TRUE(f.model.resumePending());
    EXPECT_EQ(f.host.statusLine, "命令してね！");
    EXPECT_FALSE(f.host.inputPanelShown);
    f.recognizer.Hear("聞き取り再開", 33);
    EXPECT_EQ(f.said().back(), "今は命令聞き取り中です。");

    f.recognizer.Hear("計算", 8);
    EXPECT_EQ(f.said().back(), "計算できます。");
    EXPECT_FALSE(f.model.commandMode);
    EXPECT_FALSE(f.model.resumePending());
    EXPECT_EQ(f.host.statusLine, "式を言って!!");
    EXPECT_TRUE(f.recognizer.dictationActive);
    EXPECT_FALSE(f.recognizer.rulesActive);
}

TEST(NumberedCommands, PlacesStepTimeAndTheWindow) {
    Listening f;
    f.Command();
    f.recognizer.Hear("賞は整数まで", 40);
    EXPECT_EQ(f.model.settings.POINTMAX, 0);
    EXPECT_EQ(f.said().back(), "割り算の賞を。整数までにしました。");
    f.recognizer.Hear("商は小数第3位まで", 43);
    EXPECT_EQ(f.said().back(), "割り算の賞を。小数第3位までにしました。");
    f.model.settings.ENZANSPEED = 5;
    f.host.settingsDialogOpen = true;
    f.recognizer.Hear("ステップなし", 66);
    EXPECT_EQ(f.model.settings.ENZANSPEED, 5);
    EXPECT_EQ(f.said().back(), "パネルで設定するか、パネルを閉じてから音声で設定してください。");
    f.host.settingsDialogOpen = false;
    f.recognizer.Hear("ステップなし", 66);
    EXPECT_EQ(f.model.settings.ENZANSPEED, 0);
    for (int number : {61, 60, 64}) {
        f.recognizer.Hear("窓", number);
    }
    EXPECT_EQ(f.host.windowActions, (std::vector<std::string>{"minimize", "restore", "print"}));
    f.voice.Clear();
    f.recognizer.Hear("かずちゃん終了", 1);
    EXPECT_EQ(f.voice.requests().back(), "speak \"数ちゃんを終了します。またね！ゆうこさん\" 0");
    EXPECT_EQ(f.host.windowActions.back(), "close");
}

// Speech that arrives while a calculation is drawn with its pauses.
class HearingPacer : public Pacer {
  public:
    HearingPacer(FedRecognizer& recognizer, std::string text)
        : recognizer_(recognizer), text_(std::move(text)) {}
    void Pause(int) override {
        if (!text_.empty()) {
            recognizer_.Hear(std::exchange(text_, {}));
        }
    }
    bool SkipRequested() override { return false; }

  private:
    FedRecognizer& recognizer_;
    std::string text_;
};

TEST(Recognition, SpeechDuringAPacedDrawingWaitsForTheDrawing) {
    AppSettings settings = Speaking();
    settings.ENZANSPEED = 1;
    Listening f(settings);
    HearingPacer pacer(f.recognizer, "クリア");
    f.model.SetPacer(&pacer);
    f.recognizer.Hear("23かける45わ");
    EXPECT_TRUE(f.model.state.expression.empty());
    ASSERT_EQ(f.said().size(), 4u);
    EXPECT_EQ(f.said()[2], "23掛ける45イコール1035です。");
    EXPECT_EQ(f.said()[3], "式をクリア－しました。");
}

TEST(Recognition, ALostRecogniserTurnsVoiceInputOff) {
    Listening f;
    f.model.OnRecognizerLost("音声認識エンジンが止まりました。");
    EXPECT_EQ(f.model.settings.SRFLAG, 0);
    EXPECT_FALSE(f.host.voiceInputAvailable);
    EXPECT_EQ(f.host.statusLine, "×××××");
    EXPECT_EQ(f.host.memo2, "音声認識エンジンが止まりました。");
    f.model.S2Click();
    EXPECT_EQ(f.host.beeps, 2);
    f.model.OnInputLevel(140);
    EXPECT_EQ(f.host.inputLevel, 100);
}

}  // namespace
}  // namespace kazu
