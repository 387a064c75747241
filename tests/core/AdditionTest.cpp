// The written addition on the recorded canvas, and its answers against an exact reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "BoardFixture.h"

namespace kazu {
namespace {

// Metrics of the fixture at font size 40: digitWidth 20, cellWidth 40, textHeight 53,
// originX 159, originY 143 (with the speech panel).
bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

TEST(ColumnAddition, CarriesRunFromTheUnitsAndTheLastGoesLeftWithoutPause) {
    AppSettings settings;
    settings.ENZANSPEED = 1;
    BoardFixture f(settings);
    ASSERT_EQ(f.layout().cellWidth, 40);
    ASSERT_EQ(f.layout().originX, 159);
    f.Type("999+1=");
    EXPECT_EQ(f.result(), "1000");
    const auto& log = f.canvas.log();
    // Operands right-aligned on rightX = 319; the sign one column left of the longer one.
    EXPECT_TRUE(Has(log, "text 199 275 40 #FFFFFF \"９\""));
    EXPECT_TRUE(Has(log, "text 159 338 40 #FFFF00 \"＋\""));
    EXPECT_TRUE(Has(log, "text 279 338 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "line 159 401 319 401 4 #FFFF00"));
    // Units first: the small carry, then the digit, in each column.
    const size_t carry0 = IndexOf(log, "text 269 416 16 #FFFF00 \"１\"");
    const size_t units = IndexOf(log, "text 279 433 40 #FFFFFF \"０\"");
    const size_t tens = IndexOf(log, "text 239 433 40 #FFFFFF \"０\"");
    ASSERT_LT(tens, log.size());
    EXPECT_LT(carry0, units);
    EXPECT_LT(units, tens);
    // The final carry, drawn at once one column left of the hundreds.
    const size_t final = IndexOf(log, "text 159 433 40 #FFFFFF \"１\"");
    ASSERT_LT(final, log.size());
    EXPECT_NE(log[final - 1].rfind("pause", 0), 0u);
    // The answer after "＝", 1.2 times larger, red, underlined.
    EXPECT_TRUE(Has(log, "text 359 143 40 #FFFF00 \"＝\""));
    EXPECT_TRUE(Has(log, "text 407 143 48 #FF0000 \"1000\""));
    EXPECT_TRUE(Has(log, "line 407 207 503 207 3 #00FFFF"));
    // 3 + 1 + 1 operand cells, 1 rule pause, 3 sums and 3 carries, 1 before the answer.
    EXPECT_EQ(f.pacer.pauses(), 13);
    EXPECT_EQ(f.layout().cursorBlinkPhase, 1);
}

TEST(ColumnAddition, ShorterOperandIsRightAligned) {
    BoardFixture f;
    f.Type("12+3456=");
    EXPECT_EQ(f.result(), "3468");
    const auto& log = f.canvas.log();
    // rightX = 5 * 40 + 159 = 359: "12" in the two right columns, "＋" left of the 3.
    EXPECT_TRUE(Has(log, "text 279 275 40 #FFFFFF \"１\""));
    EXPECT_TRUE(Has(log, "text 159 338 40 #FFFF00 \"＋\""));
    EXPECT_TRUE(Has(log, "text 199 338 40 #FFFFFF \"３\""));
    EXPECT_EQ(f.pacer.pauses(), 0);  // speed 0
}

TEST(ColumnAddition, CarriesCanBeHidden) {
    AppSettings settings;
    settings.KURIAGARI = 0;
    BoardFixture f(settings);
    f.Type("999+1=");
    EXPECT_EQ(f.result(), "1000");
    for (const auto& line : f.Lines("text")) {
        EXPECT_EQ(line.find(" 16 #"), std::string::npos) << line;
    }
}

TEST(ColumnAddition, LabelsOnlyWhenShown) {
    BoardFixture plain;
    plain.Type("1+2=");
    for (const auto& line : plain.Lines("text")) {
        EXPECT_EQ(line.find("←"), std::string::npos);
    }
    BoardFixture labelled;
    labelled.model.board.layout.labelsShown = 1;
    labelled.Type("1+2=");
    int labels = 0;
    for (const auto& line : labelled.Lines("text")) {
        labels += line.find("←") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(labels, 3);
    // At 0.7 of the font size, beside the first operand's row.
    EXPECT_TRUE(Has(labelled.canvas.log(), "text 279 295 28 #FFFFFF \"←たされる数\""));
}

TEST(ColumnAddition, LineBreakMovesEqualsAnswerAndRows) {
    AppSettings settings;
    settings.KAIGYO_FLAG = 1;
    BoardFixture f(settings);
    f.Type("1+2=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 159 206 40 #FFFF00 \"＝\""));
    EXPECT_TRUE(Has(log, "text 199 206 48 #FF0000 \"3\""));
    // The first row one rowHeight lower: 275 + 53.
    EXPECT_TRUE(Has(log, "text 199 328 40 #FFFFFF \"１\""));
}

TEST(DecimalAddition, CarryAcrossThePointAndTheZeroCrossedOut) {
    BoardFixture f;
    f.Type("0.5+0.5=");
    EXPECT_EQ(f.result(), "1");
    const auto& log = f.canvas.log();
    // rightX = 2 * 40 + 159 = 239; tenths at 239, units at 199; sum row 338 + 84 + 15 = 437.
    EXPECT_TRUE(Has(log, "text 199 437 40 #FFFFFF \"１\""));
    const size_t zero = IndexOf(log, "text 239 437 40 #FFFFFF \"０\"");
    ASSERT_LT(zero, log.size());
    EXPECT_TRUE(Has(log, "line 240 438 271 469 2 #FFFF00"));
    // The point of the sum in the right fifth of the units cell.
    EXPECT_TRUE(Has(log, "text 231 468 12 #FFFF00 \"●\""));
}

TEST(DecimalAddition, MissingPlacesCountAsZeroAndTheRuleCoversThem) {
    BoardFixture f;
    f.Type("1.25+3=");
    EXPECT_EQ(f.result(), "4.25");
    EXPECT_TRUE(Has(f.canvas.log(), "line 159 401 319 401 4 #FFFF00"));
}

TEST(DecimalAddition, SumRowRisesWithoutCarries) {
    AppSettings settings;
    settings.KURIAGARI = 0;
    BoardFixture f(settings);
    f.Type("0.5+0.5=");
    EXPECT_TRUE(Has(f.canvas.log(), "text 199 422 40 #FFFFFF \"１\""));
}

TEST(Addition, WhiteboardColours) {
    AppSettings settings;
    settings.DSP_CL_TYPE = 1;
    BoardFixture f(settings);
    f.Type("9+1=");
    const auto& log = f.canvas.log();
    EXPECT_TRUE(Has(log, "text 327 143 48 #000000 \"10\""));
    EXPECT_TRUE(Has(log, "line 159 401 239 401 4 #808080"));
}

// Scaled exact sums: 18 + 18 digits stay below 2^128.
__extension__ typedef unsigned __int128 Wide;
std::string Reference(const std::string& aInt, const std::string& aDec, const std::string& bInt,
                      const std::string& bDec) {
    const size_t places = std::max(aDec.size(), bDec.size());
    auto scaled = [places](const std::string& i, std::string d) {
        d.resize(places, '0');
        Wide value = 0;
        for (char c : i + d) {
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        return value;
    };
    Wide sum = scaled(aInt, aDec) + scaled(bInt, bDec);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(sum % 10)));
        sum /= 10;
    } while (sum != 0);
    if (places > 0) {
        digits.insert(
            0, std::string(places + 1 > digits.size() ? places + 1 - digits.size() : 0, '0'));
        digits.insert(digits.size() - places, ".");
        while (digits.back() == '0') {
            digits.pop_back();
        }
        if (digits.back() == '.') {
            digits.pop_back();
        }
    }
    return digits;
}

// Where every digit of a calculation may stand.
class BoundsCanvas : public MetricsCanvas {
  public:
    int minX = 1 << 30, maxX = -(1 << 30);
    int TextOut(int x, int y, const std::string& text) override {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        return MetricsCanvas::TextOut(x, y, text);
    }
};

TEST(AdditionDifferential, HundredThousandRandomSumsAreExact) {
    std::mt19937_64 random(20261208);
    auto digits = [&random](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        return text;
    };
    RecordingHost host;
    RecordingVoice voice;
    BoundsCanvas canvas;
    AppSettings settings;
    settings.SIKISPEAK = 0;
    Kokuban model(host, voice, settings);
    model.Start(canvas, 96);
    for (int n = 0; n < 100000; ++n) {
        const int aIntLen = 1 + static_cast<int>(random() % 18);
        const int aDecLen =
            static_cast<int>(random() % (19 - aIntLen)) * static_cast<int>(random() % 2);
        const int bIntLen = 1 + static_cast<int>(random() % 18);
        const int bDecLen = static_cast<int>(random() % 19) * static_cast<int>(random() % 2);
        const std::string aInt = digits(aIntLen), aDec = digits(aDecLen);
        const std::string bInt = digits(bIntLen), bDec = digits(bDecLen);
        std::string expression = aInt + (aDec.empty() ? "" : "." + aDec) + "+" + bInt +
                                 (bDec.empty() ? "" : "." + bDec) + "=";
        model.VK_DeleteKey();
        canvas.minX = 1 << 30;
        canvas.maxX = -(1 << 30);
        for (char ch : expression) {
            model.InputChar(ch);
        }
        ASSERT_TRUE(host.messages.empty()) << expression << " " << host.messages.front();
        ASSERT_FALSE(model.state.entryOpen) << expression;
        ASSERT_EQ(model.board.operands.result, Reference(aInt, aDec, bInt, bDec)) << expression;
        const BoardLayout& l = model.board.layout;
        const int maxInt = std::max(aIntLen, bIntLen);
        const int lastColumn = l.originX + (maxInt + 1 + std::max(aDecLen, bDecLen)) * l.cellWidth;
        ASSERT_GE(canvas.minX, l.originX - l.cellWidth) << expression;
        // Texts start inside the columns, or at the answer on the expression line.
        ASSERT_LE(canvas.maxX, std::max(lastColumn, l.answerX + 2 * l.cellWidth)) << expression;
    }
}

}  // namespace
}  // namespace kazu
