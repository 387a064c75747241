// Random divisions and comparisons within the entry limits, each checked against a reference
// worked here in binary integers, independent of the decimal digit-text arithmetic.
#include "core/Funcsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>

namespace kazu {
namespace {

__extension__ typedef unsigned __int128 U128;

// 256-bit unsigned integer, little-endian 64-bit limbs: every scaled operand of an entered
// division stays below 10^45.
struct Wide {
    std::array<uint64_t, 4> limb{};
};

Wide MulAdd(const Wide& a, uint64_t factor, uint64_t addend = 0) {
    Wide result;
    U128 carry = addend;
    for (size_t i = 0; i < a.limb.size(); ++i) {
        const U128 t = static_cast<U128>(a.limb[i]) * factor + carry;
        result.limb[i] = static_cast<uint64_t>(t);
        carry = t >> 64;
    }
    EXPECT_EQ(static_cast<uint64_t>(carry), 0u) << "reference overflow";
    return result;
}

Wide Add(const Wide& a, const Wide& b) {
    Wide result;
    uint64_t carry = 0;
    for (size_t i = 0; i < a.limb.size(); ++i) {
        const U128 t = static_cast<U128>(a.limb[i]) + b.limb[i] + carry;
        result.limb[i] = static_cast<uint64_t>(t);
        carry = static_cast<uint64_t>(t >> 64);
    }
    return result;
}

Wide Sub(const Wide& a, const Wide& b) {
    Wide result;
    uint64_t borrow = 0;
    for (size_t i = 0; i < a.limb.size(); ++i) {
        const uint64_t subtrahend = b.limb[i] + borrow;
        const bool under = a.limb[i] < subtrahend || (borrow != 0 && subtrahend == 0);
        result.limb[i] = a.limb[i] - subtrahend;
        borrow = under ? 1 : 0;
    }
    return result;
}

int Compare(const Wide& a, const Wide& b) {
    for (size_t i = a.limb.size(); i > 0; --i) {
        if (a.limb[i - 1] != b.limb[i - 1]) {
            return a.limb[i - 1] < b.limb[i - 1] ? -1 : 1;
        }
    }
    return 0;
}

int HighestBit(const Wide& a) {
    for (int i = static_cast<int>(a.limb.size()) - 1; i >= 0; --i) {
        const uint64_t word = a.limb[static_cast<size_t>(i)];
        if (word != 0) {
            return i * 64 + 63 - __builtin_clzll(word);
        }
    }
    return -1;
}

// Shift-and-subtract, one bit at a time.
std::pair<Wide, Wide> DivMod(const Wide& a, const Wide& b) {
    Wide quotient;
    Wide rest;
    for (int bit = HighestBit(a); bit >= 0; --bit) {
        const size_t word = static_cast<size_t>(bit / 64);
        const uint64_t mask = uint64_t{1} << (bit % 64);
        rest = MulAdd(rest, 2, (a.limb[word] & mask) != 0 ? 1 : 0);
        if (Compare(rest, b) >= 0) {
            rest = Sub(rest, b);
            quotient.limb[word] |= mask;
        }
    }
    return {quotient, rest};
}

// Short division by a one-limb divisor.
std::pair<Wide, uint64_t> DivSmall(const Wide& a, uint64_t divisor) {
    Wide quotient;
    U128 rest = 0;
    for (size_t i = a.limb.size(); i > 0; --i) {
        const U128 current = (rest << 64) | a.limb[i - 1];
        quotient.limb[i - 1] = static_cast<uint64_t>(current / divisor);
        rest = current % divisor;
    }
    return {quotient, static_cast<uint64_t>(rest)};
}

uint64_t Pow10(int exponent) {
    uint64_t p = 1;
    for (int i = 0; i < exponent; ++i) {
        p *= 10;
    }
    return p;
}

const std::array<Wide, 78>& PowersOfTen() {
    static const std::array<Wide, 78> powers = [] {
        std::array<Wide, 78> p;
        p[0].limb[0] = 1;
        for (size_t i = 1; i < p.size(); ++i) {
            p[i] = MulAdd(p[i - 1], 10);
        }
        return p;
    }();
    return powers;
}

Wide Scaled(const Wide& a, int zeros) {
    Wide result = a;
    for (int i = 0; i < zeros; ++i) {
        result = MulAdd(result, 10);
    }
    return result;
}

int DigitCount(const Wide& a) {
    int count = 1;
    while (Compare(PowersOfTen()[static_cast<size_t>(count)], a) <= 0) {
        ++count;
    }
    return count;
}

Wide FromDigits(std::string_view digits) {
    Wide result;
    for (const char c : digits) {
        result = MulAdd(result, 10, static_cast<uint64_t>(c - '0'));
    }
    return result;
}

// A number text as its digits without the point and the count of digits after it.
struct Scaled10 {
    Wide value;
    int decimals = 0;
};

::testing::AssertionResult ReadText(const std::string& text, Scaled10& out) {
    const size_t point = text.find('.');
    std::string digits = text;
    out.decimals = 0;
    if (point != std::string::npos) {
        digits.erase(point, 1);
        out.decimals = static_cast<int>(text.size() - point - 1);
        if (out.decimals == 0 || text.back() == '0') {
            return ::testing::AssertionFailure() << "untrimmed decimals in \"" << text << '"';
        }
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        (text.size() > 1 && text[0] == '0' && text[1] != '.')) {
        return ::testing::AssertionFailure() << "not a plain number text: \"" << text << '"';
    }
    out.value = FromDigits(digits);
    return ::testing::AssertionSuccess();
}

struct Operand {
    std::string integer;
    std::string fraction;
};

std::string Label(const Operand& a, const Operand& b, int places) {
    return a.integer + "." + a.fraction + " / " + b.integer + "." + b.fraction + " places " +
           std::to_string(places);
}

// What an entered division must give: the status, and for status 1 the quotient value with
// its count of decimals.
struct Expected {
    int32_t status = DivisionStatus::kOk;
    Scaled10 quotient;
    bool cut = false;  // the text length cut took decimals
};

Expected ReferenceQuotient(const Operand& a, const Operand& b, int places) {
    const Wide dividend = FromDigits(a.integer + a.fraction);
    const Wide divisor = FromDigits(b.integer + b.fraction);
    const int aScale = static_cast<int>(a.fraction.size());
    const int bScale = static_cast<int>(b.fraction.size());
    // a/b to `places` decimals: floor(A·10^(bScale+places) / (B·10^aScale)).
    Wide q = DivMod(Scaled(dividend, bScale + places), Scaled(divisor, aScale)).first;
    int decimals = places;
    const auto trim = [&] {
        while (decimals > 0 && DivSmall(q, 10).second == 0) {
            q = DivSmall(q, 10).first;
            --decimals;
        }
    };
    trim();
    const int integerDigits = std::max(1, DigitCount(q) - decimals);
    if (integerDigits > 18) {
        return {DivisionStatus::kBadQuotient, {}, false};
    }
    // Texts over 17 characters are cut to 16, taking decimals only.
    if (integerDigits + (decimals > 0 ? decimals + 1 : 0) > 17) {
        const int keep = std::max(0, 15 - integerDigits);
        q = DivSmall(q, Pow10(decimals - keep)).first;
        decimals = keep;
        trim();
        return {DivisionStatus::kOk, {q, decimals}, true};
    }
    return {DivisionStatus::kOk, {q, decimals}, false};
}

std::string RandomDigits(std::mt19937_64& random, int count) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += static_cast<char>('0' + digit(random));
    }
    return text;
}

// An operand as it can be typed for a division: 1 to 17 digits, at least one before the point.
Operand RandomOperand(std::mt19937_64& random) {
    const int total = std::uniform_int_distribution<int>(1, 17)(random);
    const int integer = std::uniform_int_distribution<int>(1, total)(random);
    return {RandomDigits(random, integer), RandomDigits(random, total - integer)};
}

// A divisor below one with leading zeros after the point: large quotients, near and beyond
// what the layout can hold.
Operand RandomSmallOperand(std::mt19937_64& random) {
    const int zeros = std::uniform_int_distribution<int>(0, 15)(random);
    const int digits = std::uniform_int_distribution<int>(1, 16 - zeros)(random);
    return {"0", std::string(static_cast<size_t>(zeros), '0') + RandomDigits(random, digits)};
}

bool IsZero(const Operand& o) {
    return (o.integer + o.fraction).find_first_not_of('0') == std::string::npos;
}

struct Tally {
    int checked = 0;
    int refused = 0;
    int cut = 0;
    int longInteger = 0;  // 17 or 18 integer digits, the most the layout takes
    int withRemainder = 0;
};

void CheckDivision(const Operand& a, const Operand& b, int places, Tally& tally) {
    const DivisionRecord r = EvaluateDivision(a.integer, a.fraction, b.integer, b.fraction, places);
    const Expected expected = ReferenceQuotient(a, b, places);
    const std::string label = Label(a, b, places);
    ++tally.checked;
    ASSERT_EQ(r.status, expected.status) << label;
    if (r.status != DivisionStatus::kOk) {
        ++tally.refused;
        return;
    }
    Scaled10 q;
    Scaled10 rest;
    ASSERT_TRUE(ReadText(r.quotientText, q)) << label;
    ASSERT_TRUE(ReadText(r.remainderText, rest)) << label;
    ASSERT_EQ(r.quotientDecimals, q.decimals) << label;
    ASSERT_EQ(r.remainderDecimals, rest.decimals) << label;
    ASSERT_EQ(q.decimals, expected.quotient.decimals) << label << " Q " << r.quotientText;
    ASSERT_EQ(Compare(q.value, expected.quotient.value), 0) << label << " Q " << r.quotientText;
    ASSERT_LE(r.quotientText.size(), 18u) << label;
    tally.cut += expected.cut ? 1 : 0;
    tally.longInteger += r.quotientText.substr(0, r.quotientText.find('.')).size() >= 17 ? 1 : 0;

    // divisor × Q + R == dividend and 0 <= R < divisor × 10^-decimals, all at one scale.
    const int aScale = static_cast<int>(a.fraction.size());
    const int bScale = static_cast<int>(b.fraction.size());
    ASSERT_LE(rest.decimals, std::max(aScale, bScale + places)) << label;
    const int scale = std::max({aScale, bScale + q.decimals, rest.decimals});
    const Wide dividend = Scaled(FromDigits(a.integer + a.fraction), scale - aScale);
    const Wide unit = Scaled(FromDigits(b.integer + b.fraction), scale - bScale - q.decimals);
    Wide product;  // unit × the quotient's digits, by Horner's rule
    for (const char c : r.quotientText) {
        if (c != '.') {
            product = Add(MulAdd(product, 10), MulAdd(unit, static_cast<uint64_t>(c - '0')));
        }
    }
    const Wide remainder = Scaled(rest.value, scale - rest.decimals);
    ASSERT_EQ(Compare(Add(product, remainder), dividend), 0) << label << " R " << r.remainderText;
    ASSERT_LT(Compare(remainder, unit), 0) << label << " R " << r.remainderText;
    tally.withRemainder += r.remainderText != "0" ? 1 : 0;
}

TEST(DivisionDifferentialTest, RandomEnteredDivisionsMatchAnExactReference) {
    std::mt19937_64 random(20240611);
    Tally tally;
    constexpr int kPairs = 200000;
    for (int i = 0; i < kPairs; ++i) {
        const Operand a = RandomOperand(random);
        Operand b = i % 8 == 0 ? RandomSmallOperand(random) : RandomOperand(random);
        while (IsZero(b)) {
            b = RandomOperand(random);
        }
        const int places = i % 11;
        CheckDivision(a, b, places, tally);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
    EXPECT_EQ(tally.checked, kPairs);
    // Every branch was taken often enough to mean something.
    EXPECT_GT(tally.refused, 1000);
    EXPECT_GT(tally.cut, 1000);
    EXPECT_GT(tally.longInteger, 1000);
    EXPECT_GT(tally.withRemainder, kPairs / 2);
}

TEST(DivisionDifferentialTest, SmallDivisorsAtEveryPlacesSetting) {
    // Short divisors are what children type most; each pair is tried at every setting.
    std::mt19937_64 random(7);
    Tally tally;
    for (int i = 0; i < 20000; ++i) {
        const Operand a = RandomOperand(random);
        const Operand b{std::to_string(std::uniform_int_distribution<int>(1, 99)(random)),
                        i % 3 == 0 ? RandomDigits(random, 1) : ""};
        for (int places = 0; places <= 10; ++places) {
            CheckDivision(a, b, places, tally);
            if (::testing::Test::HasFatalFailure()) {
                return;
            }
        }
    }
    EXPECT_EQ(tally.checked, 20000 * 11);
}

// Comparison of operands of up to 18 digits per part, scaled to 18 decimals in 128 bits.
int ReferenceCompare(const Operand& a, const Operand& b) {
    const auto value = [](const Operand& o) {
        U128 v = 0;
        std::string fraction = o.fraction;
        fraction.resize(18, '0');
        for (const char c : o.integer + fraction) {
            v = v * 10 + static_cast<unsigned>(c - '0');
        }
        return v;
    };
    return value(a) >= value(b) ? 1 : -2;
}

TEST(DivisionDifferentialTest, CompareOperandsMatchesAnExactReference) {
    std::mt19937_64 random(99);
    std::uniform_int_distribution<int> length(0, 18);
    std::uniform_int_distribution<int> kind(0, 3);
    int equal = 0;
    for (int i = 0; i < 100000; ++i) {
        Operand a{RandomDigits(random, std::max(1, length(random))),
                  RandomDigits(random, length(random))};
        Operand b{RandomDigits(random, std::max(1, length(random))),
                  RandomDigits(random, length(random))};
        switch (kind(random)) {
            case 0:  // the same value written with more zeros
                b = {"0" + a.integer, a.fraction + "00"};
                break;
            case 1:  // one unit apart in the last place
                b = a;
                if (b.fraction.empty()) {
                    b.fraction = "0";
                }
                b.fraction.back() = b.fraction.back() == '9' ? '8' : '9';
                break;
            case 2:  // the same integer part
                b.integer = a.integer;
                break;
            default:
                break;
        }
        const int expected = ReferenceCompare(a, b);
        equal += expected == ReferenceCompare(b, a) ? 1 : 0;
        ASSERT_EQ(CompareOperands(a.integer, a.fraction, b.integer, b.fraction), expected)
            << a.integer << "." << a.fraction << " vs " << b.integer << "." << b.fraction;
    }
    EXPECT_GT(equal, 10000);
}

}  // namespace
}  // namespace kazu
