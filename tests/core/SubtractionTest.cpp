// The written subtraction on the recorded canvas, and its answers against an exact reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "LayoutChecks.h"

namespace kazu {
namespace {

// Metrics of the fixture at font size 40: digitWidth 20, cellWidth 40, textHeight and
// rowHeight 53, halfSize 16, originX 159, originY 143; the first operand's row is at y 275.

// The cells of the board font: operands and difference, without any small figure or label.
std::vector<std::string> DigitCells(const BoardFixture& f) {
    std::vector<std::string> cells;
    for (const auto& line : f.Lines("text")) {
        if (line.find(" 40 #") != std::string::npos) {
            cells.push_back(line);
        }
    }
    return cells;
}

TEST(ColumnSubtraction, BorrowChainThroughZeros) {
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture f(settings);
    f.Type("1000-1=");
    EXPECT_EQ(f.result(), "999");
    const auto& log = f.canvas.log();
    // rightX = 5 * 40 + 159 = 359; rows at 275, 338, rule 401, difference 422.
    EXPECT_TRUE(Has(log, "text 199 275 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 159 338 40 #FFFF00 \"－\""));
    EXPECT_TRUE(Has(log, "text 319 338 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "line 159 401 359 401 4 #FFFF00"));
    // Units: the tens 0 lends; struck after a pause, a small 1 before the units, 9 above it.
    const size_t stroke = IndexOf(log, "line 279 275 332 328 2 #FF0000");
    const size_t one = IndexOf(log, "text 306 258 16 #FFFF00 \"１\"");
    const size_t nine = IndexOf(log, "text 295 243 16 #FF0000 \"９\"");
    const size_t units = IndexOf(log, "text 319 422 40 #FFFFFF \"９\"");
    ASSERT_LT(units, log.size());
    EXPECT_TRUE(PausedBefore(log, stroke));
    EXPECT_LT(stroke, one);
    EXPECT_LT(one, nine);
    EXPECT_LT(nine, units);
    // Tens and hundreds borrow in turn: the hundreds 0 shows 9, the thousands 1 shows 0.
    EXPECT_TRUE(Has(log, "line 239 275 292 328 2 #FF0000"));
    EXPECT_TRUE(Has(log, "text 266 258 16 #FFFF00 \"１\""));
    EXPECT_TRUE(Has(log, "text 255 243 16 #FF0000 \"９\""));
    EXPECT_TRUE(Has(log, "line 199 275 252 328 2 #FF0000"));
    EXPECT_TRUE(Has(log, "text 215 243 16 #FF0000 \"０\""));
    EXPECT_EQ(f.Lines("line").size(), 3u + 2u);  // three strokes, the rule, the underline
    // The thousands give 0, redrawn grey at once; the answer is normalised.
    const size_t lost = IndexOf(log, "text 199 422 40 #808080 \"０\"");
    ASSERT_LT(lost, log.size());
    EXPECT_FALSE(PausedBefore(log, lost));
    EXPECT_TRUE(Has(log, "text 447 143 48 #FF0000 \"999\""));
    // 4 + 1 + 1 operand cells, the rule, 4 digits and 3 strokes, the answer.
    EXPECT_EQ(f.pacer.pauses(), 15);
    EXPECT_EQ(f.layout().cursorBlinkPhase, 1);
}

TEST(ColumnSubtraction, EqualOperandsKeepTheLastZeroPlain) {
    BoardFixture f;
    f.Type("52-52=");
    EXPECT_EQ(f.result(), "0");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 199 422 40 #808080 \"０\""));
    EXPECT_TRUE(Has(log, "text 239 422 40 #FFFFFF \"０\""));
    EXPECT_FALSE(Has(log, "text 239 422 40 #808080 \"０\""));
    EXPECT_TRUE(Has(log, "text 407 143 48 #FF0000 \"0\""));
}

TEST(ColumnSubtraction, ZeroOperands) {
    BoardFixture zero;
    zero.Type("0-0=");
    EXPECT_EQ(zero.result(), "0");
    EXPECT_TRUE(Has(zero.canvas.log(), "text 199 422 40 #FFFFFF \"０\""));
    EXPECT_TRUE(zero.Lines("text 199 422 40 #808080").empty());
    BoardFixture five;
    five.Type("5-0=");
    EXPECT_EQ(five.result(), "5");
    EXPECT_TRUE(Has(five.canvas.log(), "text 199 422 40 #FFFFFF \"５\""));
}

TEST(ColumnSubtraction, RepaintDrawsTheSameNormalisedAnswer) {
    BoardFixture f;
    f.Type("1000-1=");
    f.canvas.log().clear();
    f.model.FormPaint();
    EXPECT_EQ(f.Lines("text 447 143 48").size(), 1u);
    EXPECT_TRUE(Has(f.canvas.log(), "text 447 143 48 #FF0000 \"999\""));
}

TEST(Subtraction, BorrowsHiddenLeaveTheSameDigits) {
    for (const std::string expression : {"1000-1=", "5-0.25=", "1000.5-0.75="}) {
        BoardFixture shown;
        shown.Type(expression);
        AppSettings settings;
        settings.KURISAGARI = 0;
        BoardFixture hidden(settings);
        hidden.Type(expression);
        EXPECT_EQ(hidden.result(), shown.result()) << expression;
        EXPECT_EQ(DigitCells(hidden), DigitCells(shown)) << expression;
        EXPECT_TRUE(hidden.Lines("text").size() < shown.Lines("text").size()) << expression;
        for (const auto& line : hidden.Lines("text")) {
            EXPECT_EQ(line.find(" 16 #"), std::string::npos) << expression << " " << line;
        }
        for (const auto& line : hidden.Lines("line")) {
            EXPECT_EQ(line.find(" 2 #"), std::string::npos) << expression << " " << line;
        }
    }
}

TEST(Subtraction, LabelsInTheirColours) {
    BoardFixture plain;
    plain.Type("1000-1=");
    for (const auto& line : plain.Lines("text")) {
        EXPECT_EQ(line.find("←"), std::string::npos) << line;
    }
    // Integer layout: note colour, half a font size right of the first operand.
    BoardFixture column;
    column.model.board.layout.labelsShown = 1;
    column.Type("1000-1=");
    const auto& log = column.canvas.log();
    EXPECT_TRUE(Has(log, "text 379 290 28 #FFFF00 \"←引かれる数\""));
    EXPECT_TRUE(Has(log, "text 379 358 28 #FFFF00 \"←引く数\""));
    EXPECT_TRUE(Has(log, "text 379 427 28 #FFFF00 \"←差\""));
    // Decimal layout: digit colour, right of the longest row of decimals.
    BoardFixture decimal;
    decimal.model.board.layout.labelsShown = 1;
    decimal.Type("5-0.25=");
    EXPECT_TRUE(Has(decimal.canvas.log(), "text 339 290 28 #FFFFFF \"←引かれる数\""));
    EXPECT_TRUE(Has(decimal.canvas.log(), "text 339 427 28 #FFFFFF \"←差\""));
}

TEST(Subtraction, LineBreakMovesEqualsAnswerAndRows) {
    AppSettings settings;
    settings.KAIGYO_FLAG = 1;
    BoardFixture f(settings);
    f.Type("1000-1=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 159 206 40 #FFFF00 \"＝\""));
    EXPECT_TRUE(Has(log, "text 199 206 48 #FF0000 \"999\""));
    EXPECT_TRUE(Has(log, "text 199 328 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "line 279 328 332 381 2 #FF0000"));
    EXPECT_TRUE(Has(log, "text 199 475 40 #808080 \"０\""));
}

TEST(DecimalSubtraction, BorrowsAcrossThePointIntoAddedZeros) {
    BoardFixture f;
    f.Type("5-0.25=");
    EXPECT_EQ(f.result(), "4.75");
    const auto& log = f.canvas.log();
    // rightX = 239, point at 231; 5 gets a point and two zeros, set apart in cyan.
    EXPECT_TRUE(Has(log, "text 231 306 12 #00FFFF \"●\""));
    EXPECT_TRUE(Has(log, "text 239 275 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 279 275 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 231 369 12 #FFFF00 \"●\""));
    EXPECT_TRUE(Has(log, "line 159 401 319 401 4 #FFFF00"));
    // Hundredths: the added tenths 0 lends and shows 9; tenths: the units 5 lends, shows 4.
    EXPECT_TRUE(Has(log, "line 239 280 271 317 2 #00FFFF"));
    EXPECT_TRUE(Has(log, "text 271 259 16 #FFFF00 \"１\""));
    EXPECT_TRUE(Has(log, "text 255 248 16 #FF0000 \"９\""));
    EXPECT_TRUE(Has(log, "line 199 280 231 317 2 #00FFFF"));
    EXPECT_TRUE(Has(log, "text 231 259 16 #FFFF00 \"１\""));
    EXPECT_TRUE(Has(log, "text 215 248 16 #FF0000 \"４\""));
    // The difference a third of a row below 406: 4.75.
    EXPECT_TRUE(Has(log, "text 199 423 40 #FFFFFF \"４\""));
    EXPECT_TRUE(Has(log, "text 231 454 12 #FFFF00 \"●\""));
    EXPECT_TRUE(Has(log, "text 239 423 40 #FFFFFF \"７\""));
    EXPECT_TRUE(Has(log, "text 279 423 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log, "text 407 143 48 #FF0000 \"4.75\""));
    // The board's copy of the operands stays as typed.
    EXPECT_EQ(f.model.board.operands.aDec, "");
}

TEST(DecimalSubtraction, ZerosAddedToTheSecondOperand) {
    // 1.5 gets one zero after its last decimal; it has a point, so no new one.
    BoardFixture f;
    f.Type("3.50-1.5=");
    EXPECT_EQ(f.result(), "2");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 279 338 40 #00FFFF \"０\""));
    EXPECT_TRUE(f.Lines("text 231 369 12 #00FFFF").empty());
    // Both decimals of 2.00 crossed out in the note colour, hundredths first.
    const size_t hundredths = IndexOf(log, "text 279 423 40 #FFFF00 \"０\"");
    const size_t tenths = IndexOf(log, "text 239 423 40 #FFFF00 \"０\"");
    ASSERT_LT(tenths, log.size());
    EXPECT_LT(hundredths, tenths);
    EXPECT_EQ(log[hundredths + 1], "line 280 424 311 455 2 #FFFF00");
    EXPECT_TRUE(Has(log, "text 447 143 48 #FF0000 \"2\""));
    // 1 has no decimals: it gets the point and the zero from rightX on.
    BoardFixture whole;
    whole.Type("3.5-1=");
    EXPECT_EQ(whole.result(), "2.5");
    EXPECT_TRUE(Has(whole.canvas.log(), "text 231 369 12 #00FFFF \"●\""));
    EXPECT_TRUE(Has(whole.canvas.log(), "text 239 338 40 #00FFFF \"０\""));
}

TEST(DecimalSubtraction, ZeroDifferenceAndLostIntegerZeros) {
    BoardFixture zero;
    zero.Type("0.5-0.5=");
    EXPECT_EQ(zero.result(), "0");
    EXPECT_TRUE(Has(zero.canvas.log(), "text 199 423 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(zero.canvas.log(), "text 239 423 40 #FFFF00 \"０\""));
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture f(settings);
    f.Type("1000.5-0.75=");
    EXPECT_EQ(f.result(), "999.75");
    const auto& log = f.canvas.log();
    // Integer 0999: the lost 0 grey, after a pause in this layout.
    const size_t lost = IndexOf(log, "text 199 423 40 #808080 \"０\"");
    ASSERT_LT(lost, log.size());
    EXPECT_TRUE(PausedBefore(log, lost));
    // 6 + 5 operand cells, 1 added zero, the rule, 2 + 2 decimal steps, the point,
    // 4 integer digits with 3 strokes, the grey 0, the answer.
    EXPECT_EQ(f.pacer.pauses(), 27);
}

TEST(DecimalSubtraction, PausesOfTheDecimalLayouts) {
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture borrows(settings);
    borrows.Type("5-0.25=");
    // 1 + 5 operand cells, point and 2 zeros, the rule, 2 strokes and 2 digits, the point,
    // the units, the answer.
    EXPECT_EQ(borrows.pacer.pauses(), 17);
    BoardFixture crossed(settings);
    crossed.Type("3.50-1.5=");
    // 4 + 4 operand cells, 1 zero, the rule, 2 digits, the point, the units, 2 crossed, the
    // answer.
    EXPECT_EQ(crossed.pacer.pauses(), 17);
}

TEST(Subtraction, WhiteboardColours) {
    AppSettings settings;
    settings.DSP_CL_TYPE = 1;
    BoardFixture f(settings);
    f.Type("5-0.25=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 231 306 12 #808080 \"●\""));
    EXPECT_TRUE(Has(log, "text 239 275 40 #808080 \"０\""));
    EXPECT_TRUE(Has(log, "line 199 280 231 317 2 #808080"));
    EXPECT_TRUE(Has(log, "text 215 248 16 #808080 \"４\""));
    EXPECT_TRUE(Has(log, "text 407 143 48 #000000 \"4.75\""));
}

TEST(SubtractionDifferential, HundredThousandRandomDifferencesAreExact) {
    std::mt19937_64 random(20261209);
    // Some operands from 0 and 9 only, or 0 and 1 only, to make long borrow chains.
    auto digits = [&random](int count, const std::string& alphabet) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += alphabet[random() % alphabet.size()];
        }
        return text;
    };
    const std::string alphabets[] = {"0123456789", "0123456789", "09", "01"};
    DifferentialBoard board;
    const auto& messages = board.host.messages;
    for (int n = 0; n < 100000;) {
        const std::string& alphabet = alphabets[random() % 4];
        const int aIntLen = 1 + static_cast<int>(random() % 18);
        const int aDecLen =
            static_cast<int>(random() % (19 - aIntLen)) * static_cast<int>(random() % 2);
        std::string aInt = digits(aIntLen, alphabet), aDec = digits(aDecLen, alphabet);
        std::string bInt, bDec;
        if (random() % 8 == 0) {
            bInt = aInt;  // equal operands: a difference of zeros
            bDec = aDec;
        } else {
            bInt = digits(1 + static_cast<int>(random() % 18), alphabet);
            bDec =
                digits(static_cast<int>(random() % 19) * static_cast<int>(random() % 2), alphabet);
        }
        const size_t places = std::max(aDec.size(), bDec.size());
        const Wide a = Scaled(aInt, aDec, places), b = Scaled(bInt, bDec, places);
        if (a < b) {
            if (bInt.size() + bDec.size() > 18) {
                continue;  // too long to be the first operand
            }
            std::swap(aInt, bInt);
            std::swap(aDec, bDec);
        }
        const std::string expected = FormatScaled(a < b ? b - a : a - b, places);
        const std::string expression = aInt + (aDec.empty() ? "" : "." + aDec) + "-" + bInt +
                                       (bDec.empty() ? "" : "." + bDec) + "=";
        ++n;
        board.Calculate(expression);
        ASSERT_TRUE(messages.empty()) << expression << " " << messages.front();
        ASSERT_FALSE(board.model.state.entryOpen) << expression;
        ASSERT_EQ(board.model.board.operands.result, expected) << expression;
        ASSERT_EQ(board.canvas.answer, expected) << expression;
        const BoardLayout& l = board.model.board.layout;
        const int maxInt = static_cast<int>(std::max(aInt.size(), bInt.size()));
        const int lastColumn = l.originX + (maxInt + 1 + static_cast<int>(places)) * l.cellWidth;
        ASSERT_GE(board.canvas.minX, l.originX - l.cellWidth) << expression;
        // Texts start inside the columns, or at the answer on the expression line.
        ASSERT_LE(board.canvas.maxX, std::max(lastColumn, l.answerX + 2 * l.cellWidth))
            << expression;
    }
}

}  // namespace
}  // namespace kazu
