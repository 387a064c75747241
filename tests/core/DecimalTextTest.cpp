#include "core/DecimalText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kazu {
namespace {

Decimal D(const char* text) {
    const std::optional<Decimal> value = ReadDecimal(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(Decimal{});
}

std::string Text(const Decimal& value) {
    return FormatDecimal(value, value.scale);
}

TEST(DecimalTextTest, ReadsOnlyPlainNumberTexts) {
    for (const char* text : {"0", "007", "12.", ".5", "0.000", "12345678901234567890123.4567"}) {
        EXPECT_TRUE(ReadDecimal(text).has_value()) << text;
    }
    for (const char* text : {"", ".", "1.2.3", "-1", "+1", "1e5", " 1", "1 ", "１"}) {
        EXPECT_FALSE(ReadDecimal(text).has_value()) << text;
    }
    const Decimal value = D("007.250");
    EXPECT_EQ(value.digits, "7250");
    EXPECT_EQ(value.scale, 3);
    EXPECT_TRUE(D("000.000").IsZero());
}

TEST(DecimalTextTest, FormatsWithTheAskedDecimals) {
    EXPECT_EQ(FormatDecimal(D("007.250"), 3), "7.250");
    EXPECT_EQ(FormatDecimal(D("7.25"), 5), "7.25000");
    EXPECT_EQ(FormatDecimal(D("7.29"), 1), "7.2");  // cut, not rounded
    EXPECT_EQ(FormatDecimal(D("7.99"), 0), "7");
    EXPECT_EQ(FormatDecimal(D(".05"), 2), "0.05");
    EXPECT_EQ(FormatDecimal(D("0"), 2), "0.00");
    EXPECT_EQ(FormatDecimal(D("120"), 0), "120");
}

TEST(DecimalTextTest, ComparesAcrossScalesAndLengths) {
    EXPECT_EQ(CompareDecimal(D("1.50"), D("1.5")), 0);
    EXPECT_EQ(CompareDecimal(D("0010"), D("9.999")), 1);
    EXPECT_EQ(CompareDecimal(D("0.1"), D("0.09999999999999999999999")), 1);
    EXPECT_EQ(CompareDecimal(D("99"), D("100")), -1);
    EXPECT_EQ(CompareDecimal(D("0"), D(".000")), 0);
}

TEST(DecimalTextTest, ArithmeticCarriesAndBorrowsThroughLongRuns) {
    EXPECT_EQ(Text(MultiplyDecimal(D("999999999999999999"), D("999999999999999999"))),
              "999999999999999998000000000000000001");
    EXPECT_EQ(Text(MultiplyDecimal(D("0.25"), D("0.4"))), "0.100");
    EXPECT_EQ(Text(MultiplyDecimal(D("0"), D("123.45"))), "0.00");
    EXPECT_EQ(Text(SubtractDecimal(D("1000000000000000000000"), D("0.001"))),
              "999999999999999999999.999");
    EXPECT_EQ(Text(SubtractDecimal(D("5.5"), D("5.50"))), "0.00");
    EXPECT_EQ(Text(SubtractDecimal(D("10"), D("9.9"))), "0.1");
}

TEST(DecimalTextTest, DivisionIsCutNeverRounded) {
    EXPECT_EQ(Text(DivideTruncated(D("2"), D("3"), 10)), "0.6666666666");
    EXPECT_EQ(Text(DivideTruncated(D("1.5"), D("0.25"), 0)), "6");
    EXPECT_EQ(Text(DivideTruncated(D("0.001"), D("7"), 2)), "0.00");
    EXPECT_EQ(Text(DivideTruncated(D("7"), D("0.007"), 1)), "1000.0");
    EXPECT_EQ(Text(DivideTruncated(D(("1" + std::string(40, '0')).c_str()), D("7"), 3)),
              "1428571428571428571428571428571428571428.571");
    EXPECT_EQ(Text(DivideTruncated(D("99999999999999999999999999999999999999999"), D("3"), 0)),
              "33333333333333333333333333333333333333333");
}

TEST(DecimalTextTest, TruncateAndTrimKeepTheValueShape) {
    EXPECT_EQ(Text(Truncate(D("3.14159"), 2)), "3.14");
    EXPECT_EQ(Text(Truncate(D("3.14"), 5)), "3.14");
    EXPECT_EQ(Text(Truncate(D("0.009"), 2)), "0.00");
    EXPECT_EQ(Text(Trimmed(D("3.1400"))), "3.14");
    EXPECT_EQ(Text(Trimmed(D("300.00"))), "300");
    EXPECT_EQ(Text(Trimmed(D("0.000"))), "0");
    EXPECT_EQ(IntegerDigits(D("0.5")), 1);
    EXPECT_EQ(IntegerDigits(D("120.5")), 3);
    EXPECT_EQ(IntegerDigits(D("000")), 1);
}

__extension__ typedef unsigned __int128 U128;

std::string ToText(U128 value) {
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return text;
}

TEST(DecimalTextTest, IntegerArithmeticMatchesBuiltInIntegers) {
    std::mt19937_64 random(5);
    std::uniform_int_distribution<int> shift(0, 63);
    for (int i = 0; i < 20000; ++i) {
        const uint64_t x = random() >> shift(random);
        const uint64_t y = (random() >> shift(random)) | 1;
        const Decimal a = D(ToText(x).c_str());
        const Decimal b = D(ToText(y).c_str());
        const U128 product = static_cast<U128>(x) * y;
        ASSERT_EQ(Text(MultiplyDecimal(a, b)), ToText(product)) << x << " * " << y;
        ASSERT_EQ(Text(DivideTruncated(D(ToText(product + x).c_str()), b, 0)),
                  ToText((product + x) / y))
            << x << " " << y;
        ASSERT_EQ(CompareDecimal(a, b), x < y ? -1 : (x > y ? 1 : 0)) << x << " " << y;
        if (x >= y) {
            ASSERT_EQ(Text(SubtractDecimal(a, b)), ToText(x - y)) << x << " - " << y;
        }
    }
}

}  // namespace
}  // namespace kazu
