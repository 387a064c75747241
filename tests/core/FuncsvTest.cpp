#include "core/Funcsv.h"

#include <gtest/gtest.h>

#include <string>

namespace kazu {
namespace {

TEST(NormalizeNumberTextTest, DropsLeadingZerosAndZerosAfterThePoint) {
    const struct {
        const char* text;
        const char* normal;
    } cases[] = {
        {"007.500", "7.5"}, {"000", "0"},  {"0.50", "0.5"}, {"3.0", "3"},      {"10", "10"},
        {"", "0"},          {".5", ".5"},  {".0", "0"},     {"0", "0"},        {"0.0", "0"},
        {"00.50", "0.5"},   {"12.", "12"}, {"0012", "12"},  {"100.00", "100"}, {"0.001", "0.001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizeNumberText(c.text), c.normal) << '"' << c.text << '"';
    }
}

TEST(NormalizeNumberTextTest, HandlesFortyDigits) {
    const std::string digits = "1234567890123456789012345678901234567890";
    EXPECT_EQ(NormalizeNumberText("000" + digits), digits);
    EXPECT_EQ(NormalizeNumberText("0" + digits + ".000"), digits);
    EXPECT_EQ(NormalizeNumberText("0." + digits + "00"), "0." + digits.substr(0, 39));
}

TEST(StripTrailingTest, RemovesEveryTrailingOccurrence) {
    EXPECT_EQ(StripTrailing("1200", '0'), "12");
    EXPECT_EQ(StripTrailing("000", '0'), "");
    EXPECT_EQ(StripTrailing("", '0'), "");
    EXPECT_EQ(StripTrailing("12.", '.'), "12");
    EXPECT_EQ(StripTrailing("1020", '0'), "102");
    EXPECT_EQ(StripTrailing("5+3==", '='), "5+3");
}

TEST(StripTrailingTest, KeepTwoNeverGoesBelowTwoCharacters) {
    EXPECT_EQ(StripTrailingKeepTwo("", '='), "0");
    EXPECT_EQ(StripTrailingKeepTwo("5+3==", '='), "5+3");
    EXPECT_EQ(StripTrailingKeepTwo("==", '='), "==");
    EXPECT_EQ(StripTrailingKeepTwo("1===", '='), "1=");
    EXPECT_EQ(StripTrailingKeepTwo("=", '='), "=");
    EXPECT_EQ(StripTrailingKeepTwo("12", '='), "12");
}

TEST(CompareOperandsTest, ComparesValuesNotTexts) {
    EXPECT_EQ(CompareOperands("5", "", "5", ""), 1);  // equal is not below
    EXPECT_EQ(CompareOperands("5", "", "5", "1"), -2);
    EXPECT_EQ(CompareOperands("12", "", "12", "0"), 1);
    EXPECT_EQ(CompareOperands("007", "5", "7", "50"), 1);
    EXPECT_EQ(CompareOperands("7", "49", "007", "5"), -2);
    EXPECT_EQ(CompareOperands("", "5", "0", "5"), 1);
    EXPECT_EQ(CompareOperands("10", "", "9", "99"), 1);
    EXPECT_EQ(CompareOperands("0", "", "0", "001"), -2);
}

TEST(CompareOperandsTest, OperandsThatDifferBeyondEighteenDigitsAreNotEqual) {
    // Read as 80-bit floats these two were the same number.
    EXPECT_EQ(CompareOperands("12345678901234567", "8", "12345678901234567", "800000000000000001"),
              -2);
    EXPECT_EQ(CompareOperands("12345678901234567", "800000000000000001", "12345678901234567", "8"),
              1);
    EXPECT_EQ(CompareOperands("999999999999999999", "", "999999999999999998", "999999999999999999"),
              1);
}

TEST(CompareOperandsTest, FortyDigitOperandsCompareExactly) {
    const std::string a = "9876543210987654321098765432109876543210";
    const std::string b = "9876543210987654321098765432109876543211";
    EXPECT_EQ(CompareOperands(a, "", b, ""), -2);
    EXPECT_EQ(CompareOperands(b, "", a, ""), 1);
    EXPECT_EQ(CompareOperands("0", a, "0", b), -2);
    EXPECT_EQ(CompareOperands("1", b, "1", a + "9"), 1);
    EXPECT_EQ(CompareOperands(a, a, a, a + "000"), 1);
}

TEST(CompareOperandsTest, TextsThatAreNoNumberGiveMinusOne) {
    EXPECT_EQ(CompareOperands("", "", "1", ""), -1);
    EXPECT_EQ(CompareOperands("1", "", "", ""), -1);
    EXPECT_EQ(CompareOperands("1a", "", "1", ""), -1);
    EXPECT_EQ(CompareOperands("1", "", "1", "2.3"), -1);
    EXPECT_EQ(CompareOperands("-1", "", "1", ""), -1);
}

struct DivisionCase {
    const char* aInt;
    const char* aFrac;
    const char* bInt;
    const char* bFrac;
    int places;
    const char* quotient;
    const char* remainder;
    int32_t quotientDecimals;
    int32_t remainderDecimals;
};

void ExpectDivision(const DivisionCase& c) {
    const DivisionRecord r = EvaluateDivision(c.aInt, c.aFrac, c.bInt, c.bFrac, c.places);
    const std::string label = std::string(c.aInt) + "." + c.aFrac + " / " + c.bInt + "." + c.bFrac +
                              " places " + std::to_string(c.places);
    EXPECT_EQ(r.status, DivisionStatus::kOk) << label;
    EXPECT_EQ(r.quotientText, c.quotient) << label;
    EXPECT_EQ(r.remainderText, c.remainder) << label;
    EXPECT_EQ(r.quotientDecimals, c.quotientDecimals) << label;
    EXPECT_EQ(r.remainderDecimals, c.remainderDecimals) << label;
}

TEST(EvaluateDivisionTest, QuotientIsTruncatedAndRemainderIsExact) {
    const DivisionCase cases[] = {
        {"7", "", "8", "", 0, "0", "7", 0, 0},
        {"10", "", "4", "", 1, "2.5", "0", 1, 0},
        {"10", "", "4", "", 0, "2", "2", 0, 0},
        {"1", "", "3", "", 2, "0.33", "0.01", 2, 2},
        {"2", "", "3", "", 10, "0.6666666666", "0.0000000002", 10, 10},
        {"0", "", "3", "", 10, "0", "0", 0, 0},
        {"7", "", "2", "", 0, "3", "1", 0, 0},
        {"1", "5", "0", "25", 0, "6", "0", 0, 0},
        {"1", "", "8", "", 2, "0.12", "0.04", 2, 2},
        {"100", "", "3", "", 1, "33.3", "0.1", 1, 1},
        {"0", "001", "7", "", 2, "0", "0.001", 0, 3},  // below one unit of the last place
        {"12", "5", "0", "5", 3, "25", "0", 0, 0},
        {"5", "", "2", "", 4, "2.5", "0", 1, 0},
    };
    for (const DivisionCase& c : cases) {
        ExpectDivision(c);
    }
}

TEST(EvaluateDivisionTest, QuotientFollowsTheDigitsNotAFloat) {
    // The exact quotient is 2550677726338.09399773...; a float read 2550677726338.094.
    ExpectDivision({"2252248432356537", "", "883", "", 8, "2550677726338.09", "3.53", 2, 2});
}

TEST(EvaluateDivisionTest, LongQuotientsLoseDecimalsButNeverIntegerDigits) {
    const DivisionCase cases[] = {
        {"99999999999999", "", "7", "", 5, "14285714285714.1", "0.3", 1, 1},
        {"999999999999999", "", "7", "", 5, "142857142857142", "5", 0, 0},
        {"9999999999999999", "", "7", "", 5, "1428571428571428", "3", 0, 0},
        {"12345678901234567", "", "0", "3", 2, "41152263004115223", "0.1", 0, 1},
        {"12345678901234567", "", "0", "1", 0, "123456789012345670", "0", 0, 0},
        // Cutting to 16 characters leaves 1234567890123.40; the zero goes as well.
        {"12345678901234012", "", "10000", "", 4, "1234567890123.4", "12", 1, 0},
    };
    for (const DivisionCase& c : cases) {
        ExpectDivision(c);
    }
}

TEST(EvaluateDivisionTest, QuotientBeyondEighteenIntegerDigitsIsRefused) {
    EXPECT_EQ(EvaluateDivision("12345678901234567", "", "0", "01", 0).status,
              DivisionStatus::kBadQuotient);
    EXPECT_EQ(EvaluateDivision("99999999999999999", "", "0", "0000000000000001", 3).status,
              DivisionStatus::kBadQuotient);
    EXPECT_EQ(EvaluateDivision("99999999999999999", "", "0", "1", 3).status, DivisionStatus::kOk);
}

TEST(EvaluateDivisionTest, ZeroDivisorIsStatusZero) {
    EXPECT_EQ(EvaluateDivision("0", "", "0", "", 2).status, DivisionStatus::kDivideByZero);
    EXPECT_EQ(EvaluateDivision("3", "", "0", "0", 2).status, DivisionStatus::kDivideByZero);
    EXPECT_EQ(EvaluateDivision("3", "", "000", "", 0).status, DivisionStatus::kDivideByZero);
    EXPECT_EQ(EvaluateDivision("3", "", "", "000", 0).status, DivisionStatus::kDivideByZero);
    // The zero divisor is found before the count of decimals is looked at.
    EXPECT_EQ(EvaluateDivision("3", "", "0", "0000000000000000000", 0).status,
              DivisionStatus::kDivideByZero);
}

TEST(EvaluateDivisionTest, TextsThatAreNoNumberAreReportedByOperand) {
    EXPECT_EQ(EvaluateDivision("", "", "3", "", 0).status, DivisionStatus::kBadDividend);
    EXPECT_EQ(EvaluateDivision("1x", "", "3", "", 0).status, DivisionStatus::kBadDividend);
    EXPECT_EQ(EvaluateDivision("", "", "", "", 0).status, DivisionStatus::kBadDividend);
    EXPECT_EQ(EvaluateDivision("3", "", "", "", 0).status, DivisionStatus::kBadDivisor);
    EXPECT_EQ(EvaluateDivision("3", "", "4", "5.6", 0).status, DivisionStatus::kBadDivisor);
}

TEST(EvaluateDivisionTest, MoreThanSeventeenDecimalsIsStatusMinusSeven) {
    const std::string eighteen = "123456789012345678";
    EXPECT_EQ(EvaluateDivision("1", eighteen, "3", "", 2).status, DivisionStatus::kTooManyDecimals);
    EXPECT_EQ(EvaluateDivision("1", "", "3", eighteen, 2).status, DivisionStatus::kTooManyDecimals);
    EXPECT_EQ(EvaluateDivision("1", eighteen.substr(1), "3", eighteen.substr(1), 2).status,
              DivisionStatus::kOk);
    // A quotient too long for the layout is found first.
    EXPECT_EQ(EvaluateDivision("9", "", "0", "000000000000000001", 0).status,
              DivisionStatus::kBadQuotient);
}

TEST(EvaluateDivisionTest, RecordsTheOperandsAndTheirCounts) {
    const DivisionRecord r = EvaluateDivision("01200", "50", "300", "", 1);
    EXPECT_EQ(r.dividendText, "01200.50");
    EXPECT_EQ(r.divisorText, "300");
    EXPECT_EQ(r.dividendIntDigits, 5);
    EXPECT_EQ(r.dividendFracDigits, 2);
    EXPECT_EQ(r.divisorIntDigits, 3);
    EXPECT_EQ(r.zerosToCancel, 2);
    EXPECT_EQ(r.quotientText, "4");
    EXPECT_EQ(r.remainderText, "0.5");

    EXPECT_EQ(EvaluateDivision("12", "", "5", "", 0).dividendText, "12");
    EXPECT_EQ(EvaluateDivision("1000", "", "7", "", 0).zerosToCancel, 0);
    EXPECT_EQ(EvaluateDivision("0", "", "10", "", 0).zerosToCancel, 1);
    EXPECT_EQ(EvaluateDivision("000", "", "1000", "", 0).zerosToCancel, 3);

    // A refused division still carries what was read.
    const DivisionRecord refused = EvaluateDivision("8", "", "0", "", 0);
    EXPECT_EQ(refused.dividendText, "8");
    EXPECT_EQ(refused.divisorText, "0");
    EXPECT_EQ(refused.divisorIntDigits, 1);
    EXPECT_EQ(refused.quotientText, "");
}

TEST(EvaluateDivisionTest, NegativePlacesCountAsNone) {
    ExpectDivision({"7", "", "2", "", -3, "3", "1", 0, 0});
}

}  // namespace
}  // namespace kazu
