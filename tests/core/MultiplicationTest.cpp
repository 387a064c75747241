// Long multiplication on the recorded canvas, and its answers against an exact reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "LayoutChecks.h"

namespace kazu {
namespace {

// Metrics of the fixture at font size 40: digitWidth 20, cellWidth 40, textHeight and
// rowHeight 53, originX 159, originY 143, halfSize 16; the first row at y 275.
int CountContaining(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&part](const auto& line) {
        return line.find(part) != std::string::npos;
    }));
}

TEST(ColumnMultiplication, PartialProductsShiftLeftAndAddUpInColumns) {
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture f(settings);
    f.Type("23*45=");
    EXPECT_EQ(f.result(), "1035");
    const auto& log = f.canvas.log();
    // rightX = (2 + 2) * 40 + 159 = 319; the multiplier one cellWidth below, the sign left of it.
    EXPECT_TRUE(Has(log, "text 239 275 40 #FFFFFF \"２\""));
    EXPECT_TRUE(Has(log, "text 199 315 40 #FFFF00 \"×\""));
    EXPECT_TRUE(Has(log, "text 279 315 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log, "line 199 402 319 402 4 #FFFF00"));
    // 23 × 5 = 115 on the first line, each small carry before its digit, in the digit colour.
    const size_t carry = IndexOf(log, "text 269 417 16 #FFFFFF \"１\"");
    const size_t units = IndexOf(log, "text 279 443 40 #FFFFFF \"５\"");
    ASSERT_LT(units, log.size());
    EXPECT_LT(carry, units);
    EXPECT_TRUE(Has(log, "text 199 443 40 #FFFFFF \"１\""));  // the final carry
    // 23 × 4 = 92 one line lower and one column further left.
    EXPECT_TRUE(Has(log, "text 239 509 40 #FFFFFF \"２\""));
    EXPECT_TRUE(Has(log, "text 199 509 40 #FFFFFF \"９\""));
    // The rule under the partial products, one column wider than the last of them.
    EXPECT_TRUE(Has(log, "line 159 572 319 572 3 #FF0000"));
    // Column sums 5, 3, 10 (carry in the carry colour), 1.
    EXPECT_TRUE(Has(log, "text 189 585 16 #FFFF00 \"１\""));
    EXPECT_TRUE(Has(log, "text 199 611 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 159 611 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 407 143 48 #FF0000 \"1035\""));
    // 5 operand cells, the rule, 5 + 3 partial cells, 5 sum cells, the pause before the answer.
    EXPECT_EQ(f.pacer.pauses(), 20);
    EXPECT_EQ(f.layout().cursorBlinkPhase, 1);
}

TEST(ColumnMultiplication, ZeroInTheMultiplierSharesItsLineWithTheNextPartialProduct) {
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture f(settings);
    f.Type("123*105=");
    EXPECT_EQ(f.result(), "12915");
    const auto& log = f.canvas.log();
    // rightX = 399: 615 on the first line; the 0 in the tens column of the second line,
    // written at once, and 123 left of it on the same line.
    EXPECT_TRUE(Has(log, "text 279 443 40 #FFFFFF \"６\""));
    const size_t zero = IndexOf(log, "text 319 509 40 #00FFFF \"０\"");
    ASSERT_LT(zero, log.size());
    EXPECT_FALSE(PausedBefore(log, zero));
    EXPECT_TRUE(Has(log, "text 279 509 40 #FFFFFF \"３\""));
    EXPECT_TRUE(Has(log, "text 199 509 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "line 159 572 399 572 3 #FF0000"));
    EXPECT_TRUE(Has(log, "text 199 611 40 #FFFFFF \"１\""));
}

TEST(ColumnMultiplication, TrailingZerosAreSetAsideAndCarriedDown) {
    BoardFixture f;
    f.Type("300*20=");
    EXPECT_EQ(f.result(), "6000");
    const auto& log = f.canvas.log();
    // 3 × 2 is multiplied on rightX = 239; the zeros stand right of it in the underline colour.
    EXPECT_TRUE(Has(log, "text 199 275 40 #FFFFFF \"３\""));
    EXPECT_TRUE(Has(log, "text 239 275 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 279 275 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 199 315 40 #FFFFFF \"２\""));
    EXPECT_TRUE(Has(log, "text 239 315 40 #00FFFF \"０\""));
    // The rule reaches over the three zeros, which come down beside the single partial product.
    EXPECT_TRUE(Has(log, "line 239 402 359 402 4 #FFFF00"));
    EXPECT_TRUE(Has(log, "text 199 443 40 #FFFFFF \"６\""));
    for (const std::string x : {"239", "279", "319"}) {
        EXPECT_TRUE(Has(log, "text " + x + " 443 40 #00FFFF \"０\"")) << x;
    }
    // A single partial product is the product: no second rule.
    EXPECT_EQ(CountContaining(f.Lines("line"), " 3 #FF0000"), 0);
}

TEST(ColumnMultiplication, ZeroOperandsGiveASingleZero) {
    BoardFixture first;
    first.Type("0*5=");
    EXPECT_EQ(first.result(), "0");
    // Under the units column, in the answer colour, half a row under the rule.
    EXPECT_TRUE(Has(first.canvas.log(), "text 199 428 40 #FF0000 \"０\""));

    BoardFixture second;
    second.Type("12*0=");
    EXPECT_EQ(second.result(), "0");
    EXPECT_TRUE(Has(second.canvas.log(), "text 239 315 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(second.canvas.log(), "text 239 428 40 #FF0000 \"０\""));

    // Under the last set-aside zero of the other operand.
    BoardFixture third;
    third.Type("100*0=");
    EXPECT_EQ(third.result(), "0");
    EXPECT_TRUE(Has(third.canvas.log(), "text 279 315 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(third.canvas.log(), "text 279 428 40 #FF0000 \"０\""));

    // A zero typed with two digits is still one 0 in one column, and sets nothing aside.
    BoardFixture typedTwice;
    typedTwice.Type("00*5=");
    EXPECT_EQ(typedTwice.result(), "0");
    EXPECT_TRUE(Has(typedTwice.canvas.log(), "text 199 275 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(typedTwice.canvas.log(), "text 159 315 40 #FFFF00 \"×\""));
}

TEST(ColumnMultiplication, WithoutCarriesTheRowsMoveUp) {
    AppSettings settings;
    settings.KURIAGARI = 0;
    BoardFixture f(settings);
    f.Type("23*45=");
    EXPECT_EQ(f.result(), "1035");
    for (const auto& line : f.Lines("text")) {
        EXPECT_EQ(line.find(" 16 #"), std::string::npos) << line;
    }
    EXPECT_TRUE(Has(f.canvas.log(), "text 279 417 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(f.canvas.log(), "text 159 533 40 #FFFFFF \"１\""));
}

TEST(ColumnMultiplication, LabelsClearTheSetAsideZeros) {
    BoardFixture f;
    f.model.board.layout.labelsShown = 1;
    f.Type("300*20=");
    const auto& log = f.canvas.log();
    // Right of the multiplicand's zeros (pen 319) by a quarter cell; "←積" past the product's
    // zeros; all in the digit colour at 0.7 of the font size.
    EXPECT_TRUE(Has(log, "text 329 290 28 #FFFFFF \"←かけられる数\""));
    EXPECT_TRUE(Has(log, "text 329 348 28 #FFFFFF \"←かける数\""));
    EXPECT_TRUE(Has(log, "text 369 456 28 #FFFFFF \"←積\""));
}

TEST(ColumnMultiplication, LineBreakMovesEqualsAnswerAndRows) {
    AppSettings settings;
    settings.KAIGYO_FLAG = 1;
    BoardFixture f(settings);
    f.Type("23*45=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 159 206 40 #FFFF00 \"＝\""));
    EXPECT_TRUE(Has(log, "text 199 206 48 #FF0000 \"1035\""));
    EXPECT_TRUE(Has(log, "text 239 328 40 #FFFFFF \"２\""));
}

TEST(ColumnMultiplication, CarriesOfTenAndMoreAreWrittenInFull) {
    BoardFixture f;
    f.Type("999999999999999*99999999999999=");
    EXPECT_EQ(f.result(), "99999999999998900000000000001");
    const auto& log = f.canvas.log();
    EXPECT_EQ(CountContaining(log, "Ｅ"), 0);
    // Column 10 of the sums carries 10: the 1 one small figure left of the 0.
    const size_t tens = IndexOf(log, "text 853 1377 16 #FFFF00 \"１\"");
    ASSERT_LT(tens, log.size());
    EXPECT_LT(tens, IndexOf(log, "text 869 1377 16 #FFFF00 \"０\""));
}

TEST(Multiplication, WhiteboardColours) {
    AppSettings settings;
    settings.DSP_CL_TYPE = 1;
    BoardFixture f(settings);
    f.Type("300*20=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 239 275 40 #808080 \"０\""));
    EXPECT_TRUE(Has(log, "text 199 443 40 #000000 \"６\""));
    EXPECT_TRUE(Has(log, "line 159 402 239 402 4 #808080"));
}

TEST(DecimalMultiplication, OperandsAlignByTheirLastDigit) {
    BoardFixture f;
    f.Type("1.25*3.1=");
    EXPECT_EQ(f.result(), "3.875");
    const auto& log = f.canvas.log();
    // rightX = (3 + 2) * 40 + 159 = 359: the 5 and the 1 share the last column.
    EXPECT_TRUE(Has(log, "text 319 275 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log, "text 319 338 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 271 306 12 #FFFF00 \"●\""));
    EXPECT_TRUE(Has(log, "text 311 369 12 #FFFF00 \"●\""));
    EXPECT_TRUE(Has(log, "text 199 338 40 #FFFF00 \"×\""));
    EXPECT_TRUE(Has(log, "line 199 406 359 406 4 #FFFF00"));
    // 125 × 1, then 125 × 3 = 375 one line lower and one column left.
    EXPECT_TRUE(Has(log, "text 239 440 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 271 499 16 #FFFF00 \"１\""));
    EXPECT_TRUE(Has(log, "text 199 520 40 #FFFFFF \"３\""));
    EXPECT_TRUE(Has(log, "line 159 585 359 585 3 #FF0000"));
    // 3875 with the point placed three places from the right.
    EXPECT_TRUE(Has(log, "text 199 621 40 #FFFFFF \"３\""));
    EXPECT_TRUE(Has(log, "text 319 621 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log, "text 231 652 12 #FFFF00 \"●\""));
    EXPECT_TRUE(Has(log, "text 447 143 48 #FF0000 \"3.875\""));
}

TEST(DecimalMultiplication, LeadingZerosAreNotMultipliedButComeBackBeforeThePoint) {
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture f(settings);
    f.Type("0.05*3=");
    EXPECT_EQ(f.result(), "0.15");
    const auto& log = f.canvas.log();
    // One partial product: 5 × 3 only, the product written over it.
    EXPECT_TRUE(Has(log, "text 279 440 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log, "text 239 440 40 #FFFFFF \"１\""));
    EXPECT_EQ(CountContaining(log, " 440 40 #FFFFFF \"０\""), 0);
    EXPECT_TRUE(Has(log, "text 239 443 40 #FFFFFF \"１\""));
    // The missing zero before the point, in the note colour, under a rule made long enough.
    EXPECT_TRUE(Has(log, "line 199 406 319 406 4 #FFFF00"));
    const size_t zero = IndexOf(log, "text 199 443 40 #FFFF00 \"０\"");
    ASSERT_LT(zero, log.size());
    EXPECT_TRUE(PausedBefore(log, zero));
    EXPECT_TRUE(Has(log, "text 231 474 12 #FFFF00 \"●\""));
}

TEST(DecimalMultiplication, ZerosOfTheMultiplierBeforeItsFirstDigitGetNothing) {
    BoardFixture f;
    f.Type("1.25*0.25=");
    EXPECT_EQ(f.result(), "0.3125");
    // Two partial products (625 and 250); the multiplier's leading 0 draws no row.
    EXPECT_EQ(CountContaining(f.canvas.log(), "#00FFFF \"０\""), 0);
}

TEST(DecimalMultiplication, TrailingZerosOfTheProductAreStruckOut) {
    BoardFixture f;
    f.Type("1.5*2=");
    EXPECT_EQ(f.result(), "3");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 239 443 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(log, "line 239 443 271 496 2 #00FFFF"));
    EXPECT_TRUE(Has(log, "text 367 143 48 #FF0000 \"3\""));
}

TEST(DecimalMultiplication, SetAsideZerosCountInThePlaces) {
    BoardFixture f;
    f.Type("20*0.005=");
    EXPECT_EQ(f.result(), "0.1");
    const auto& log = f.canvas.log();
    // 2 × 5 = 10 on rightX = 359, the set-aside 0 after it, a zero in front, then "0.100".
    EXPECT_TRUE(Has(log, "text 279 443 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 359 443 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 239 443 40 #FFFF00 \"０\""));
    EXPECT_TRUE(Has(log, "text 271 474 12 #FFFF00 \"●\""));
    EXPECT_TRUE(Has(log, "line 359 443 391 496 2 #00FFFF"));
    EXPECT_TRUE(Has(log, "line 319 443 351 496 2 #00FFFF"));
    EXPECT_EQ(CountContaining(f.Lines("line"), " 2 #00FFFF"), 2);

    BoardFixture integerOut;
    integerOut.Type("300*0.5=");
    EXPECT_EQ(integerOut.result(), "150");
}

TEST(DecimalMultiplication, ZeroProductIsDecidedOnTheDigits) {
    BoardFixture zero;
    zero.Type("0.00*5.5=");
    EXPECT_EQ(zero.result(), "0");
    EXPECT_TRUE(Has(zero.canvas.log(), "text 319 433 40 #FFFF00 \"０\""));
    // The smallest product the limits allow is not zero.
    BoardFixture tiny;
    tiny.Type("0.0000000000001*0.00000000000001=");
    EXPECT_EQ(tiny.result(), "0." + std::string(26, '0') + "1");
}

TEST(DecimalMultiplication, TheAnswerIsTheExactProductOnTheBoard) {
    BoardFixture f;
    f.Type("123456789.123*987654321.987=");
    EXPECT_EQ(f.result(), "121932631355968601.347401");
    EXPECT_TRUE(Has(f.canvas.log(), "text 1207 143 48 #FF0000 \"121932631355968601.347401\""));
}

// Operands the entry never hands over, put straight into the entry record and drawn.
void DrawDirectly(BoardFixture& f, const std::string& aInt, const std::string& aDec,
                  const std::string& bInt, const std::string& bDec) {
    CalcEntry& e = f.model.state.entry;
    e.firstInt = aInt;
    e.firstFrac = aDec;
    e.secondInt = bInt;
    e.secondFrac = bDec;
    e.firstIntLen = static_cast<int32_t>(aInt.size());
    e.firstFracLen = static_cast<int32_t>(aDec.size());
    e.secondIntLen = static_cast<int32_t>(bInt.size());
    e.secondFracLen = static_cast<int32_t>(bDec.size());
    e.opChar = '*';
    e.maxIntLen = std::max(e.firstIntLen, e.secondIntLen);
    e.maxFracLen = std::max(e.firstFracLen, e.secondFracLen);
    e.drawReady = true;
    f.model.board.DrawCalculation();
}

TEST(Multiplication, OperandsBeyondWhatTheBoardWorksAreRefused) {
    // Past a signed 64-bit integer.
    BoardFixture tooLong;
    DrawDirectly(tooLong, "9223372036854775808", "", "2", "");
    ASSERT_EQ(tooLong.host.messages.size(), 1u);
    EXPECT_EQ(tooLong.host.messages[0], "残念！|ケタがオーバー！");
    EXPECT_EQ(CountContaining(tooLong.Lines("text"), " 275 "), 0);

    BoardFixture notANumber;
    DrawDirectly(notANumber, "1", "5x", "2", "");
    ASSERT_EQ(notANumber.host.messages.size(), 1u);
    EXPECT_EQ(notANumber.host.messages[0], "Debug|error in float.");
    EXPECT_EQ(CountContaining(notANumber.Lines("text"), " 275 "), 0);

    // 19 digits convert but would overrun the partial-product table: nothing is drawn.
    BoardFixture pastTheTable;
    DrawDirectly(pastTheTable, "9223372036854775807", "", "18446744073", "5");
    EXPECT_TRUE(pastTheTable.host.messages.empty());
    EXPECT_EQ(CountContaining(pastTheTable.Lines("text"), " 275 "), 0);
}

// Where the digits of a calculation stand, and what the answer on the expression line says.
class ColumnsCanvas : public MetricsCanvas {
  public:
    int columnsTop = 0;  // texts at or below this y belong to the columns
    int answerSize = 0;
    int minX = 0, maxX = 0;
    bool unknownCharacter = false;
    std::string answer;

    void Reset() {
        minX = 1 << 30;
        maxX = -(1 << 30);
        unknownCharacter = false;
        answer.clear();
    }
    int TextOut(int x, int y, const std::string& text) override {
        if (y >= columnsTop) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
        } else if (FontSize() == answerSize) {
            answer = text;
        }
        unknownCharacter = unknownCharacter || text == "Ｅ";
        return MetricsCanvas::TextOut(x, y, text);
    }
};

// Exact products: 18 digits times 18 digits stays far below 2^128.
std::string Reference(const std::string& a, const std::string& b, size_t places) {
    return FormatScaled(Scaled(a, "", 0) * Scaled(b, "", 0), places);
}

TEST(MultiplicationDifferential, HundredThousandRandomProductsAreExact) {
    std::mt19937_64 random(20261208);
    auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Digits with zeros often enough to meet set-aside, leading and inner zeros and zero
    // operands, besides plain random digits.
    auto digits = [&](int count, int zeroPercent) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += below(100) < zeroPercent ? '0' : static_cast<char>('0' + below(10));
        }
        return text;
    };
    RecordingHost host;
    RecordingVoice voice;
    ColumnsCanvas canvas;
    AppSettings settings;
    settings.SIKISPEAK = 0;
    Kokuban model(host, voice, settings);
    model.Start(canvas, 96);
    const BoardLayout& l = model.board.layout;
    canvas.columnsTop = model.board.FirstRowY();
    canvas.answerSize = Trunc(l.fontSize * 1.2L);
    for (int n = 0; n < 100000; ++n) {
        const int aLen = 1 + below(18);
        const int bLen = 1 + below(std::min(18, 29 - aLen));
        const int aDecLen = below(2) == 0 ? 0 : below(aLen);
        const int bDecLen = below(2) == 0 ? 0 : below(bLen);
        const int zeroPercent = std::array<int, 4>{0, 10, 50, 90}[static_cast<size_t>(below(4))];
        std::string a = digits(aLen, zeroPercent);
        std::string b = digits(bLen, zeroPercent);
        if (below(4) == 0) {
            // Trailing zeros, which integer operands set aside.
            const int zeros = below(std::min(aLen, bLen));
            std::fill(a.end() - zeros, a.end(), '0');
            std::fill(b.end() - zeros, b.end(), '0');
        }
        const auto typed = [](const std::string& all, int decLen) {
            const std::string integer = all.substr(0, all.size() - static_cast<size_t>(decLen));
            return decLen == 0 ? integer : integer + "." + all.substr(integer.size());
        };
        const std::string expression = typed(a, aDecLen) + "*" + typed(b, bDecLen) + "=";
        model.VK_DeleteKey();
        canvas.Reset();
        for (char ch : expression) {
            model.InputChar(ch);
        }
        ASSERT_TRUE(host.messages.empty()) << expression << " " << host.messages.front();
        ASSERT_FALSE(model.state.entryOpen) << expression;
        const std::string expected =
            Reference(a, b, static_cast<size_t>(aDecLen) + static_cast<size_t>(bDecLen));
        ASSERT_EQ(model.board.operands.result, expected) << expression;
        ASSERT_EQ(canvas.answer, expected) << expression;
        ASSERT_FALSE(canvas.unknownCharacter) << expression;
        // Every cell lies in the columns: at most one per digit typed, from originX on.
        ASSERT_GE(canvas.minX, l.originX) << expression;
        ASSERT_LE(canvas.maxX, l.originX + (aLen + bLen - 1) * l.cellWidth) << expression;
    }
}

}  // namespace
}  // namespace kazu
