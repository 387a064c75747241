// The written division on the recorded canvas: where each digit, point, strike and line goes,
// in which colour and order, and that the rows read as the answer on the answer line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DivisionRows.h"
#include "LayoutChecks.h"

namespace kazu {
namespace {

// Metrics of the fixture at font size 40: cellWidth 40, rowHeight 53, originX 159, originY 143.
// The dividend row is at y 355 (vinculum 349), the quotient row at 286; the k-th product row at
// 370 - 84 + 127k, its underline at 370 - 21 + 127k, its difference row at 370 - 15 + 127k.
AppSettings Places(int places) {
    AppSettings settings;
    settings.POINTMAX = places;
    return settings;
}

// A division typed into a board on a canvas that only keeps what ReadRow needs.
struct ReadBoard {
    explicit ReadBoard(const std::string& keys, int places = 0)
        : model(host, voice, Places(places)) {
        model.Start(canvas, 96);
        for (char ch : keys) {
            model.InputChar(ch);
        }
    }
    std::string Row(int y) const { return ReadRow(canvas.events, model.board.layout, y); }
    std::string QuotientRow() const { return Row(QuotientRowY(model.board.layout)); }
    std::string RemainderRow() const {
        return Row(LowestDigitRow(canvas.events, model.board.layout));
    }
    const std::string& result() const { return model.board.operands.result; }
    RecordingHost host;
    RecordingVoice voice;
    RowCanvas canvas;
    Kokuban model;
};

TEST(ColumnDivision, CommonZerosAreStruckAndTheQuotientIsWorkedOnWhatIsLeft) {
    BoardFixture f;
    f.Type("1200/300=");
    EXPECT_EQ(f.result(), "4");
    const auto& log = f.canvas.log();
    // R = 159 + 6 * 40: the dividend from 319, the divisor ending at 239, the bracket between.
    EXPECT_TRUE(Has(log, "text 283 342 56 #FFFF00 \")\""));
    EXPECT_TRUE(Has(log, "line 283 349 479 349 4 #FFFF00"));
    // The vinculum over the cancelled zeros turns cyan; 12. and 3. get points in cyan, and
    // the zeros behind them are struck.
    EXPECT_TRUE(Has(log, "line 399 349 479 349 4 #00FFFF"));
    EXPECT_TRUE(Has(log, "text 391 386 12 #00FFFF \"●\""));
    EXPECT_TRUE(Has(log, "text 439 355 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "line 440 356 471 387 2 #FFFF00"));
    EXPECT_TRUE(Has(log, "text 191 386 12 #00FFFF \"●\""));
    EXPECT_TRUE(Has(log, "line 240 356 271 387 2 #FFFF00"));
    // 12 ÷ 3: 4 over the 2, 12 below, the underline over the whole dividend, 0 left.
    EXPECT_TRUE(Has(log, "text 359 286 40 #FFFFFF \"４\""));
    EXPECT_TRUE(Has(log, "text 319 412 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "line 319 476 479 476 3 #FFFF00"));
    EXPECT_TRUE(Has(log, "text 359 481 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 527 143 48 #FF0000 \"4\""));
    EXPECT_TRUE(Has(log, "text 527 217 20 #FFFF00 \"(商は 整数 の位まで)\""));
}

TEST(ColumnDivision, CancelledZerosComeBackInTheRemainder) {
    BoardFixture whole;
    whole.Type("1300/700=");
    EXPECT_EQ(whole.result(), "1R600");
    const auto& log = whole.canvas.log();
    // 13 ÷ 7 = 1 rest 6, and the two zeros return in the rule colour with a line over them.
    EXPECT_TRUE(Has(log, "text 359 481 40 #FFFFFF \"６\""));
    EXPECT_TRUE(Has(log, "text 399 481 40 #FFFF00 \"０\""));
    EXPECT_TRUE(Has(log, "text 439 481 40 #FFFF00 \"０\""));
    EXPECT_TRUE(Has(log, "line 399 481 479 476 4 #FFFF00"));

    // With one place the first cancelled zero is the tenths; the other comes back in cyan.
    BoardFixture tenths(Places(1));
    tenths.Type("1300/700=");
    EXPECT_EQ(tenths.result(), "1.8R40");
    const auto& log1 = tenths.canvas.log();
    for (const auto& line : log1) {
        EXPECT_EQ(line.find("#C0C0C0"), std::string::npos) << line;  // no zero appended
    }
    EXPECT_TRUE(Has(log1, "text 399 286 40 #FFFFFF \"８\""));
    EXPECT_TRUE(Has(log1, "text 391 317 12 #00FFFF \"●\""));  // the quotient's point
    EXPECT_TRUE(Has(log1, "text 399 608 40 #FFFFFF \"４\""));
    EXPECT_TRUE(Has(log1, "text 439 608 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log1, "line 439 605 479 605 2 #00FFFF"));

    EXPECT_EQ(ReadBoard("1300/700=", 1).RemainderRow(), "40");
}

TEST(ColumnDivision, OnlyThePlacesTheQuotientNeedsAreAppended) {
    BoardFixture f(Places(3));
    f.Type("10/4=");
    EXPECT_EQ(f.result(), "2.5");
    const auto& log = f.canvas.log();
    // 2.5 has one place: one silver zero after a cyan point.
    EXPECT_TRUE(Has(log, "text 311 386 12 #00FFFF \"●\""));
    EXPECT_TRUE(Has(log, "text 319 355 40 #C0C0C0 \"０\""));
    EXPECT_FALSE(Has(log, "text 359 355 40 #C0C0C0 \"０\""));
    EXPECT_TRUE(Has(log, "line 319 349 359 349 4 #00FFFF"));
    EXPECT_TRUE(Has(log, "text 319 286 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log, "text 367 217 20 #FFFF00 \"(商は 小数第 3位まで)\""));
}

TEST(ColumnDivision, InnerZerosOfTheQuotientAndDigitsBroughtDown) {
    BoardFixture f;
    f.Type("618/3=");
    EXPECT_EQ(f.result(), "206");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 279 286 40 #FFFFFF \"０\""));
    // 6 - 6 leaves nothing to write; the 1 and then the 8 come down beside it.
    EXPECT_TRUE(Has(log, "text 279 481 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 319 481 40 #FFFFFF \"８\""));
    EXPECT_LT(IndexOf(log, "text 279 481 40 #FFFFFF \"１\""),
              IndexOf(log, "text 279 286 40 #FFFFFF \"０\""));

    // 1005 ÷ 5: the zero after 10 - 10 is not brought down, the underline grows over it, and
    // the next underline starts one column further right.
    BoardFixture g;
    g.Type("1005/5=");
    EXPECT_EQ(g.result(), "201");
    const auto& log2 = g.canvas.log();
    EXPECT_FALSE(Has(log2, "text 319 481 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(log2, "line 359 476 399 476 3 #FFFF00"));
    EXPECT_TRUE(Has(log2, "text 359 481 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log2, "line 319 603 399 603 3 #FFFF00"));
    EXPECT_EQ(ReadBoard("1005/5=").QuotientRow(), "201");
}

TEST(ColumnDivision, AFinalCarryStandsLeftOfTheDivisorsWidth) {
    BoardFixture f;
    f.Type("100/25=");
    EXPECT_EQ(f.result(), "4");
    const auto& log = f.canvas.log();
    // 4 × 25 = 100 under 100: the carry 1 one column left of the two product digits.
    EXPECT_TRUE(Has(log, "text 279 412 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 319 412 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 359 412 40 #FFFFFF \"０\""));
}

TEST(ColumnDivision, ADivisorTypedWithLeadingZerosDividesByItsValue) {
    BoardFixture f;
    f.Type("8/007=");
    EXPECT_EQ(f.result(), "1R1");
    // One product digit, not 007 reaching left of the bracket.
    EXPECT_TRUE(Has(f.canvas.log(), "text 319 412 40 #FFFFFF \"７\""));
    EXPECT_TRUE(f.Lines("text 279 412").empty());
}

TEST(Division, AZeroQuotientCopiesTheDividendAsTheRemainder) {
    BoardFixture f;
    f.Type("7/8=");
    EXPECT_EQ(f.result(), "0R7");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 239 286 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 239 418 40 #FFFFFF \"０\""));
    EXPECT_TRUE(Has(log, "line 211 481 279 481 4 #FFFF00"));
    EXPECT_TRUE(Has(log, "text 239 492 40 #FFFFFF \"７\""));
    EXPECT_TRUE(Has(log, "text 327 143 48 #FF0000 \"0\""));
    EXPECT_TRUE(Has(log, "text 447 143 48 #FF0000 \"7\""));

    const ReadBoard decimal("0.05/0.25=", 0);
    EXPECT_EQ(decimal.result(), "0R0.05");
    EXPECT_EQ(decimal.QuotientRow(), "0");
    EXPECT_EQ(decimal.RemainderRow(), "0.05");
}

TEST(DecimalDivision, BothPointsMoveByTheDivisorsPlaces) {
    BoardFixture f;
    f.Type("1.5/0.25=");
    EXPECT_EQ(f.result(), "6");
    const auto& log = f.canvas.log();
    // R = 159 + 6 * 40. The divisor's point and the typed point are struck in red ...
    EXPECT_TRUE(Has(log, "line 195 375 207 387 2 #FF0000"));
    EXPECT_TRUE(Has(log, "line 351 375 363 387 2 #FF0000"));
    // ... 25 gets a new point, 150 its point after a cyan zero appended.
    EXPECT_TRUE(Has(log, "text 279 386 12 #00FFFF \"●\""));
    EXPECT_TRUE(Has(log, "text 399 355 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 431 386 12 #00FFFF \"●\""));
    EXPECT_TRUE(Has(log, "text 399 286 40 #FFFFFF \"６\""));
    EXPECT_TRUE(Has(log, "text 319 412 40 #FFFFFF \"１\""));  // 150, with its carry

    // More own places than the divisor has: 7.25 ÷ 0.5 works 72 ÷ 5 and keeps the 5.
    const ReadBoard longer("7.25/0.5=");
    EXPECT_EQ(longer.result(), "14R0.25");
    EXPECT_EQ(longer.QuotientRow(), "14");
    EXPECT_EQ(longer.RemainderRow(), "0.25");
}

TEST(DecimalDivision, OnlyTheDivisorDecimal) {
    BoardFixture f;
    f.Type("10/0.4=");
    EXPECT_EQ(f.result(), "25");
    const auto& log = f.canvas.log();
    // The divisor's point struck, a struck point at the end of 10, a zero appended, 100.
    EXPECT_TRUE(Has(log, "line 195 375 207 387 2 #FF0000"));
    EXPECT_TRUE(Has(log, "line 351 375 363 387 2 #FF0000"));
    EXPECT_TRUE(Has(log, "text 359 355 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "line 359 349 399 349 4 #FFFF00"));
    EXPECT_TRUE(Has(log, "text 391 386 12 #00FFFF \"●\""));
    EXPECT_EQ(ReadBoard("10/0.4=").QuotientRow(), "25");
}

TEST(DecimalDivision, OnlyTheDividendDecimal) {
    BoardFixture f;
    f.Type("7.5/2=");
    EXPECT_EQ(f.result(), "3R1.5");
    const auto& log = f.canvas.log();
    // 7 ÷ 2 = 3 rest 1; the 5 the quotient did not reach comes down, the point in cyan.
    EXPECT_TRUE(Has(log, "text 239 481 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 279 481 40 #FFFFFF \"５\""));
    EXPECT_TRUE(Has(log, "text 271 512 12 #00FFFF \"●\""));

    const ReadBoard tenths("12.5/5=", 1);
    EXPECT_EQ(tenths.result(), "2.5");
    EXPECT_EQ(tenths.QuotientRow(), "2.5");
}

TEST(Division, RemaindersReadAsTheAnswer) {
    struct Case {
        const char* keys;
        int places;
        const char* result;
        const char* remainderRow;
    };
    const Case cases[] = {
        {"7/2=", 0, "3R1", "1"},
        {"2/3=", 2, "0.66R0.02", "0.02"},    // below one: 0, point, leading zeros
        {"1.57/0.5=", 0, "3R0.07", "0.07"},  // below one, an own digit left over
        {"7/25=", 1, "0.2R2", "2"},          // whole, the tenths 0 struck
        {"994.9/201=", 1, "4.9R10", "10"},   // a whole remainder ending in 0
        {"1010/50=", 0, "20R10", "10"},      // last quotient digit 0, a zero cancelled
        {"100.10/5=", 0, "20R0.1", "0.1"},   // last quotient digit 0, a place to strike
        {"2.5/0.2=", 0, "12R0.1", "0.1"},
    };
    for (const Case& c : cases) {
        const ReadBoard board(c.keys, c.places);
        EXPECT_EQ(board.result(), c.result) << c.keys;
        EXPECT_EQ(board.RemainderRow(), c.remainderRow) << c.keys;
    }
    // The remainder below one in the notebook's colours: leading zeros cyan, its digits white.
    BoardFixture f(Places(2));
    f.Type("2/3=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 239 608 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 279 608 40 #00FFFF \"０\""));
    EXPECT_TRUE(Has(log, "text 319 608 40 #FFFFFF \"２\""));
    EXPECT_TRUE(Has(log, "text 239 286 40 #00FFFF \"０\""));  // the quotient's 0
}

TEST(Division, TheGuideMarksTheRemaindersPointOnlyWhenAsked) {
    auto guideLines = [](const std::string& keys, int guide) {
        BoardFixture f;
        f.model.board.layout.guideShown = guide;
        f.Type(keys);
        return f.Lines("line 275 ");
    };
    const auto dots = guideLines("7.5/2=", 1);
    ASSERT_FALSE(dots.empty());
    // Dotted, from a text height below the dividend row to half one below the remainder row.
    EXPECT_EQ(dots.front(), "line 275 408 275 410 1 #FFFF00");
    EXPECT_EQ(dots.back(), "line 275 504 275 506 1 #FFFF00");
    EXPECT_TRUE(guideLines("7.5/2=", 0).empty());
    EXPECT_TRUE(guideLines("7.0/2=", 1).empty());  // a whole remainder
}

TEST(Division, LabelsNameTheRows) {
    BoardFixture f;
    f.model.board.layout.labelsShown = 1;
    f.Type("7/2=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 299 291 28 #FF0000 \"←［商:1ケタ,末位:整数の位］\""));
    EXPECT_TRUE(Has(log, "text 299 355 28 #FFFFFF \"←割られる数\""));
    EXPECT_TRUE(Has(log, "text 299 481 28 #FFFFFF \"←余り\""));
    EXPECT_TRUE(Has(log, "text 99 302 28 #FFFFFF \"割る数↓\""));

    BoardFixture g(Places(2));
    g.model.board.layout.labelsShown = 1;
    g.Type("1.5/4=");
    EXPECT_EQ(g.Lines("text 379 291 28 #FF0000 \"←[商:3ケタ,末位:小数第2位］\"").size(), 1u);

    BoardFixture plain;
    plain.Type("7/2=");
    for (const auto& line : plain.Lines("text")) {
        EXPECT_EQ(line.find("←"), std::string::npos) << line;
    }
}

TEST(Division, LineBreakMovesTheRowsDown) {
    AppSettings settings;
    settings.KAIGYO_FLAG = 1;
    BoardFixture f(settings);
    f.Type("7/2=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 239 339 40 #FFFFFF \"３\""));
    EXPECT_TRUE(Has(log, "text 159 408 40 #FFFFFF \"２\""));
    EXPECT_TRUE(Has(log, "text 239 534 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 199 206 48 #FF0000 \"3\""));
}

TEST(Division, EveryDigitOfTheWorkingWaitsItsStep) {
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture f(settings);
    f.Type("618/3=");
    const auto& log = f.canvas.log();
    for (const char* line : {"text 239 286 40 #FFFFFF \"２\"", "text 279 286 40 #FFFFFF \"０\"",
                             "text 319 286 40 #FFFFFF \"６\"", "text 239 412 40 #FFFFFF \"６\"",
                             "text 319 481 40 #FFFFFF \"８\""}) {
        const size_t at = IndexOf(log, line);
        ASSERT_LT(at, log.size()) << line;
        EXPECT_TRUE(PausedBefore(log, at)) << line;
    }
}

TEST(Division, WhiteboardColours) {
    AppSettings settings;
    settings.DSP_CL_TYPE = 1;
    BoardFixture f(settings);
    f.Type("1.5/0.25=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 279 386 12 #808080 \"●\""));
    EXPECT_TRUE(Has(log, "line 351 375 363 387 2 #000000"));
    EXPECT_TRUE(Has(log, "text 399 286 40 #000000 \"６\""));
}

// 17 digits by 8 with 10 places: 22 working digits, beyond a signed 64-bit integer.
TEST(Division, AWorkingDividendBeyondSixtyFourBitsIsSentBackForEditing) {
    BoardFixture f(Places(10));
    f.Type("12345678901234567/87654321");
    f.voice.Clear();
    f.Type("=");
    EXPECT_EQ(f.model.division.status, DivisionStatus::kOverflow);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0],
              "ご確認!!|＜オーバーフロウ＞\n ケタ数オーバーしました。商の小数の位を減らして"
              "下さい。\nDeleteキーを押して再入力します。");
    EXPECT_EQ(f.host.postedKeys, (std::vector<int>{vk::kDelete, vk::kInsert}));
    for (const auto& line : f.Lines("text")) {
        EXPECT_EQ(line.find(" 286 40 "), std::string::npos) << line;  // no quotient digit
        EXPECT_EQ(line.find(" 48 #"), std::string::npos) << line;     // no answer
    }
    EXPECT_EQ(f.result(), "");
    // Only the key echo of "="; no answer is read out.
    EXPECT_EQ(f.voice.spoken().size(), 1u);

    // A repaint before the posted keys arrive asks nothing more.
    f.model.FormPaint();
    EXPECT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.postedKeys.size(), 2u);

    // The keys clear the board and bring the expression back without "=".
    f.model.FormKeyDown(vk::kDelete, {});
    f.model.FormKeyDown(vk::kInsert, {});
    EXPECT_EQ(f.model.state.expression, "12345678901234567/87654321");
    EXPECT_TRUE(f.model.state.entryOpen);

    // With two places the same division fits and is worked.
    BoardFixture fits(Places(2));
    fits.Type("12345678901234567/87654321=");
    EXPECT_EQ(fits.result(), "140845069.13R446356.27");
    EXPECT_TRUE(fits.host.messages.empty());
}

}  // namespace
}  // namespace kazu
