// Typing an expression: what is taken, what is refused, and how clear, restore and replay work.
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "BoardFixture.h"

namespace kazu {
namespace {

TEST(Entry, BuildsOperandsAndOperator) {
    BoardFixture f;
    f.Type("12.5*3");
    const CalcEntry& e = f.model.state.entry;
    EXPECT_EQ(f.model.state.expression, "12.5*3");
    EXPECT_EQ(e.firstInt, "12");
    EXPECT_EQ(e.firstFrac, "5");
    EXPECT_EQ(e.secondInt, "3");
    EXPECT_EQ(e.opChar, '*');
    EXPECT_TRUE(f.model.state.entryOpen);
}

TEST(Entry, RefusesWhatCannotStandInAnExpression) {
    BoardFixture f;
    f.Type(".");  // no expression starts with a point
    EXPECT_EQ(f.model.state.expression, "");
    f.Type("+");  // no operator before a digit
    EXPECT_EQ(f.model.state.expression, "");
    f.Type("3++4..5x=");
    EXPECT_EQ(f.model.state.expression, "3+4.5=");
    EXPECT_TRUE(f.host.messages.empty());
}

TEST(Entry, EqualsNeedsAnIntegerDigitInTheSecondOperand) {
    BoardFixture f;
    f.Type("3+.5=");
    EXPECT_EQ(f.model.state.expression, "3+.5");
    EXPECT_FALSE(f.model.state.equalsEntered);
    f.model.BackSpace();
    f.model.BackSpace();
    f.Type("0.5=");
    EXPECT_EQ(f.model.state.expression, "3+0.5=");
    EXPECT_EQ(f.result(), "3.5");
}

TEST(Entry, OperandMayEndWithItsPoint) {
    BoardFixture f;
    f.Type("5.+2=");
    EXPECT_TRUE(f.model.state.equalsEntered);
    EXPECT_EQ(f.result(), "7");
}

TEST(Entry, LeadingZerosStayUntilTheAnswerIsNormalised) {
    BoardFixture f;
    f.Type("007+1=");
    EXPECT_EQ(f.model.state.expression, "007+1=");
    EXPECT_EQ(f.result(), "8");
}

TEST(Entry, FinishedBoardAsksToBeClearedFirst) {
    BoardFixture f;
    f.Type("1+1=");
    f.voice.Clear();
    f.Type("5");
    EXPECT_EQ(f.model.state.expression, "1+1=");
    ASSERT_EQ(f.voice.spoken().size(), 1u);
    EXPECT_EQ(f.voice.spoken()[0], "新しい式を入力するには，表示中の式を消去してください。");
}

TEST(DigitLimits, NineteenthIntegerDigitIsRefusedAndTheOthersStay) {
    BoardFixture f;
    f.Type("123456789012345678");
    f.Type("9");
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], "ご注意！|Keta Over!!");
    EXPECT_EQ(f.model.state.expression, "123456789012345678");
    EXPECT_EQ(f.model.state.entry.firstIntLen, 18);
    f.Type("+1=");
    EXPECT_EQ(f.result(), "123456789012345679");
}

TEST(DigitLimits, OperatorAfterMoreThanEighteenDigits) {
    BoardFixture f;
    f.Type("123456789.123456789");
    f.Type("1");  // a 19th digit in all is still within each part's 18
    f.Type("+");
    EXPECT_EQ(f.host.messages.back(), "ご注意！|わられる数が、18ケタをオーバー!!");
    EXPECT_FALSE(f.model.state.opEntered);
}

TEST(DigitLimits, DivisionTakesSeventeenDigitsPerOperand) {
    BoardFixture f;
    f.Type("123456789012345678/1");
    EXPECT_EQ(f.host.messages.back(), "ご注意！|割る数、割られる数は１７桁以下までです。残念！");
    EXPECT_EQ(f.model.state.expression, "123456789012345678/");
}

TEST(DigitLimits, MultiplicationTakesTwentyNineDigitsInAll) {
    BoardFixture f;
    f.Type("123456789012345*12345678901234");
    EXPECT_TRUE(f.host.messages.empty());
    f.Type("5");
    EXPECT_EQ(f.host.messages.back(), "ご注意！|Keta Over!!");
    EXPECT_EQ(f.model.state.entry.secondIntLen, 14);
}

TEST(DigitLimits, RefusalIsSilentWhileVoiceInputRuns) {
    AppSettings settings;
    settings.SRFLAG = 1;
    BoardFixture f(settings);
    f.Type("1234567890123456789");
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.model.state.entry.firstIntLen, 18);
}

TEST(Checks, SubtractionBelowZeroIsRefusedAndStaysOpen) {
    BoardFixture f;
    f.Type("3-5=");
    EXPECT_EQ(f.host.messages.back(), "注意!|引く数の方が大きい．");
    EXPECT_EQ(f.model.state.expression, "3-5");
    EXPECT_TRUE(f.model.state.entryOpen);
    f.Type("=");  // still refused, and a digit extends the second operand
    f.Type("0");
    EXPECT_EQ(f.model.state.expression, "3-50");
}

TEST(Checks, CloseOperandsAreComparedExactly) {
    BoardFixture f;
    f.Type("12345678901234567.8-12345678901234567.800000000000000001=");
    EXPECT_EQ(f.host.messages.back(), "注意!|引く数の方が大きい．");
    EXPECT_FALSE(f.model.state.equalsEntered);
}

TEST(Checks, EqualOperandsMaySubtract) {
    BoardFixture f;
    f.Type("5-5=");
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_TRUE(f.model.state.equalsEntered);
}

TEST(Checks, DivisionByZeroIsRefused) {
    for (const char* expression : {"0/0=", "3/0.0="}) {
        BoardFixture f;
        f.Type(expression);
        ASSERT_FALSE(f.host.messages.empty()) << expression;
        EXPECT_EQ(f.host.messages.back(), "警告！|０で割ることはできません。");
        EXPECT_FALSE(f.model.state.equalsEntered);
    }
}

TEST(Checks, RefusalsAreSpokenWhileVoiceInputRuns) {
    AppSettings settings;
    settings.SRFLAG = 1;
    settings.SIKISPEAK = 0;  // spoken straight to the voice, past the speech switches
    BoardFixture f(settings);
    f.Type("3-5=");
    EXPECT_TRUE(f.host.messages.empty());
    ASSERT_FALSE(f.voice.requests().empty());
    EXPECT_EQ(f.voice.requests().back(), "speak \"引く数の方が大きいので引けません。\" 0");
}

TEST(Clear, DeleteClearsAndRestoreBringsBackWithoutEquals) {
    BoardFixture f;
    f.Type("12+3=");
    f.model.VK_DeleteKey();
    EXPECT_EQ(f.model.state.expression, "");
    EXPECT_EQ(f.model.state.restoreText, "12+3=");
    EXPECT_EQ(f.voice.spoken().back(), "クリア－しました。");
    f.model.Hukkatu();
    EXPECT_EQ(f.model.state.expression, "12+3");
    EXPECT_TRUE(f.model.state.entryOpen);
    EXPECT_EQ(f.host.memo1, "12+3");
}

TEST(Clear, RecalculationDrawsTheLastExpressionAgain) {
    BoardFixture f;
    f.Type("12+3=");
    f.model.VK_DeleteKey();
    f.model.ReCalcButtonClick();
    EXPECT_EQ(f.model.state.expression, "12+3=");
    EXPECT_EQ(f.result(), "15");
    EXPECT_FALSE(f.model.state.replaying);
}

TEST(Clear, RecalculationOfAScrolledBoardRedrawsIt) {
    BoardFixture f;
    f.Type("12+3=");
    f.model.ScrollDown();
    f.model.ReCalcButtonClick();
    EXPECT_EQ(f.model.state.expression, "12+3=");
    EXPECT_FALSE(f.model.state.entryOpen);
    EXPECT_EQ(f.model.scrollPosition(), 0);
}

TEST(Clear, BackspaceReplaysTheShorterExpression) {
    BoardFixture f;
    f.Type("12+3");
    f.model.BackSpace();
    EXPECT_EQ(f.model.state.expression, "12+");
    EXPECT_TRUE(f.model.state.opEntered);
    f.model.BackSpace();
    f.model.BackSpace();
    f.model.BackSpace();
    f.model.BackSpace();  // on an empty expression: nothing
    EXPECT_EQ(f.model.state.expression, "");
    f.Type("1+1=");
    f.model.BackSpace();  // after "=": nothing
    EXPECT_EQ(f.model.state.expression, "1+1=");
}

TEST(Clear, DeleteOnAScrolledBoardOnlyScrollsBack) {
    BoardFixture f;
    f.Type("1+1=");
    f.model.ScrollDown();
    f.model.ScrollDown();
    EXPECT_EQ(f.model.scrollPosition(), 8);
    f.model.VK_DeleteKey();
    EXPECT_EQ(f.model.scrollPosition(), 0);
    EXPECT_EQ(f.model.state.expression, "1+1=");
    f.model.VK_DeleteKey();
    EXPECT_EQ(f.model.state.expression, "");
}

// Whatever keys arrive, the expression box shows exactly what the calculation holds: keys the
// board refuses (after "=", past a digit limit, a second operator) leave no trace in it. Runs of
// digits reach the limits; the keys a refusal posts are delivered as the window would.
TEST(ExpressionBox, ShowsExactlyTheHeldExpressionAfterEveryKey) {
    const int others[] = {vk::kAdd,    vk::kSubtract, vk::kMultiply, vk::kDivide, vk::kDecimal,
                          vk::kReturn, vk::kBack,     vk::kDelete,   'H',         'R',
                          'P',         vk::kF8,       vk::kDown,     vk::kHome,   'L'};
    std::mt19937_64 random(547);
    for (int run = 0; run < 40; ++run) {
        BoardFixture f;
        std::string keys;  // the keys so far, for the failure message
        auto press = [&](int key) {
            keys += ' ' + std::to_string(key);
            f.model.FormKeyDown(key, {});
            while (!f.host.postedKeys.empty()) {
                const int posted = f.host.postedKeys.front();
                f.host.postedKeys.erase(f.host.postedKeys.begin());
                f.model.FormKeyDown(posted, {});
            }
            return f.host.memo1 == f.model.state.expression;
        };
        for (int step = 0; step < 50; ++step) {
            bool same = true;
            if (random() % 2 == 0) {
                for (auto n = 1 + random() % 24; n > 0 && same; --n) {
                    same = press(static_cast<int>('0' + random() % 10));
                }
            } else {
                same = press(others[random() % std::size(others)]);
            }
            ASSERT_TRUE(same) << "box \"" << f.host.memo1 << "\", expression \""
                              << f.model.state.expression << "\" after keys" << keys;
        }
    }
}

TEST(Speech, EchoAndAnswerUseTheMessageTable) {
    BoardFixture f;
    f.Type("1.5+2=");
    const std::vector<std::string> expected = {"1", "点 ",      "5",   "たす",
                                               "2", "イコール", "3.5", "1.5たす2イコール3.5"};
    EXPECT_EQ(f.voice.spoken(), expected);
}

TEST(Speech, NothingIsSpokenWhileExpressionSpeakingIsOff) {
    AppSettings settings;
    settings.SIKISPEAK = 0;
    BoardFixture f(settings);
    f.Type("1+2=");
    f.model.VK_DeleteKey();
    EXPECT_TRUE(f.voice.spoken().empty());
}

TEST(Speech, ReadAloudUsesTheExpressionTable) {
    BoardFixture f;
    f.Type("3+4=");
    f.voice.Clear();
    f.model.R2Click();
    EXPECT_EQ(f.voice.spoken(), std::vector<std::string>{"3たす4=7"});
    EXPECT_EQ(ExpressionReading("7/2=3R1"), "7わる2=3あまり1");
    EXPECT_EQ(MessageReading("7/2=3R1"), "7わる2イコール3 あまり 1");
    EXPECT_EQ(MessageReading("3."), "3点");
}

TEST(Speech, GreetingOnceWithTheChildsName) {
    AppSettings settings;
    settings.USERSYOBINA = "はなこちゃん";
    BoardFixture f(settings);
    f.model.FormActivate();
    f.model.FormActivate();
    ASSERT_EQ(f.voice.spoken().size(), 1u);
    EXPECT_EQ(f.voice.spoken()[0],
              "。こんにちわ！はなこちゃん。数ちゃんです。今はキーとマウスによる計算モードです。では"
              "、どーぞー。");
}

}  // namespace
}  // namespace kazu
