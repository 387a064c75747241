// Random divisions typed into the board: the quotient row and the remainder row must read as the
// exact answer, and so must the answer line, for every number of quotient places.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "BoardFixture.h"
#include "DivisionRows.h"

namespace kazu {
namespace {

__extension__ typedef unsigned __int128 U128;

std::string StripLeadingZeros(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// Schoolbook division of a digit text by a divisor below 10^34; the remainder is left in `rest`.
std::string DivideDigits(const std::string& digits, U128 divisor, U128& rest) {
    std::string quotient;
    rest = 0;
    for (char c : digits) {
        rest = rest * 10 + static_cast<unsigned>(c - '0');
        quotient += static_cast<char>('0' + static_cast<int>(rest / divisor));
        rest %= divisor;
    }
    return StripLeadingZeros(quotient);
}

U128 Value(const std::string& digits) {
    U128 value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

// value / 10^places, plainly written.
std::string WithPoint(std::string digits, size_t places) {
    if (digits.size() <= places) {
        digits.insert(0, places + 1 - digits.size(), '0');
    }
    std::string integer = StripLeadingZeros(digits.substr(0, digits.size() - places));
    std::string decimals = digits.substr(digits.size() - places);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    return decimals.empty() ? integer : integer + "." + decimals;
}

std::string Digits(U128 value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

struct Expected {
    std::string quotient, remainder;
    int places = 0;  // decimals the quotient keeps
    bool quotientTooLong = false;
};

// The quotient cut to `places` decimals, at most 16 characters once it is longer than 17 (its
// decimals go first), and the remainder that goes with that quotient.
Expected Reference(const std::string& aInt, const std::string& aDec, const std::string& bInt,
                   const std::string& bDec, int places) {
    const std::string a = aInt + aDec, b = bInt + bDec;
    // dividend / divisor = a * 10^bDec / (b * 10^aDec)
    const U128 divisor = Value(b) * Value("1" + std::string(aDec.size(), '0'));
    auto divide = [&](int p, U128& rest) {
        return DivideDigits(a + std::string(bDec.size() + static_cast<size_t>(p), '0'), divisor,
                            rest);
    };
    Expected e;
    U128 rest = 0;
    std::string q = divide(places, rest);
    if (q.size() < static_cast<size_t>(places) + 1) {
        q.insert(0, static_cast<size_t>(places) + 1 - q.size(), '0');
    }
    const int intDigits = static_cast<int>(q.size()) - places;
    int kept = places;
    while (kept > 0 && q[static_cast<size_t>(intDigits + kept - 1)] == '0') {
        --kept;
    }
    if (intDigits + (kept > 0 ? kept + 1 : 0) > 17) {
        kept = std::min(kept, std::max(0, 16 - 1 - intDigits));
        while (kept > 0 && q[static_cast<size_t>(intDigits + kept - 1)] == '0') {
            --kept;
        }
    }
    e.quotientTooLong = intDigits > 18;
    e.places = kept;
    e.quotient =
        WithPoint(q.substr(0, static_cast<size_t>(intDigits + kept)), static_cast<size_t>(kept));
    divide(kept, rest);
    e.remainder = WithPoint(Digits(rest), aDec.size() + bDec.size() + static_cast<size_t>(kept));
    return e;
}

// Whether the digits of the working dividend (the dividend's digits and the zeros appended for
// the moved point and the quotient places) exceed a signed 64-bit integer.
bool WorkingDividendOverflows(const std::string& aInt, const std::string& aDec, int b, int places) {
    const int a = static_cast<int>(aDec.size());
    int appended = places;
    if (b > 0) {
        appended = a < b ? b + places - a : std::max(places - (a - b), 0);
    } else if (a > 0) {
        appended = std::max(places - a, 0);
    }
    const std::string digits =
        StripLeadingZeros(aInt + aDec) + std::string(static_cast<size_t>(appended), '0');
    if (digits == "0" || digits.size() < 19) {
        return false;
    }
    return digits.size() > 19 || digits > "9223372036854775807";
}

TEST(DivisionBoardDifferential, QuotientAndRemainderRowsReadAsTheExactAnswer) {
    std::mt19937_64 random(20261209);
    auto digits = [&random](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        return text;
    };
    RecordingHost host;
    RecordingVoice voice;
    RowCanvas canvas;
    AppSettings settings;
    settings.SIKISPEAK = 0;
    Kokuban model(host, voice, settings);
    model.Start(canvas, 96);
    const BoardLayout& l = model.board.layout;
    const int answerSize = Trunc(l.fontSize * 1.2L);
    int worked = 0, overflowed = 0;
    for (int n = 0; n < 200000; ++n) {
        // Operands of 1 to 17 digits, shorter ones as often as long ones, half of them decimal.
        const int aTotal = 1 + static_cast<int>(random() % 17);
        const int aIntLen = random() % 2 ? aTotal : 1 + static_cast<int>(random() % aTotal);
        const int bTotal = 1 + static_cast<int>(random() % 17);
        const int bIntLen = random() % 2 ? bTotal : 1 + static_cast<int>(random() % bTotal);
        const std::string aInt = digits(aIntLen), aDec = digits(aTotal - aIntLen);
        const std::string bInt = digits(bIntLen), bDec = digits(bTotal - bIntLen);
        if ((bInt + bDec).find_first_not_of('0') == std::string::npos) {
            continue;
        }
        const int places = n % 11;
        const std::string expression = aInt + (aDec.empty() ? "" : "." + aDec) + "/" + bInt +
                                       (bDec.empty() ? "" : "." + bDec) + "=";
        model.VK_DeleteKey();
        model.settings.POINTMAX = places;
        host.messages.clear();
        host.postedKeys.clear();
        canvas.events.clear();
        for (char ch : expression) {
            model.InputChar(ch);
        }
        ASSERT_FALSE(model.state.entryOpen) << expression;
        const Expected e = Reference(aInt, aDec, bInt, bDec, places);
        const bool overflow =
            e.quotientTooLong ||
            WorkingDividendOverflows(aInt, aDec, static_cast<int>(bDec.size()), e.places);
        const int quotientY = QuotientRowY(l);
        if (model.division.status == DivisionStatus::kOverflow) {
            ++overflowed;
            ASSERT_TRUE(overflow) << expression << " places " << places;
            ASSERT_EQ(host.messages.size(), 1u) << expression;
            ASSERT_EQ(host.postedKeys, (std::vector<int>{vk::kDelete, vk::kInsert}));
            ASSERT_EQ(ReadRow(canvas.events, l, quotientY), "") << expression;
            continue;
        }
        ++worked;
        ASSERT_FALSE(overflow) << expression << " places " << places;
        ASSERT_TRUE(host.messages.empty()) << expression << " " << host.messages.front();
        ASSERT_EQ(model.division.quotientText, e.quotient) << expression << " places " << places;
        ASSERT_EQ(model.division.remainderText, e.remainder) << expression << " places " << places;

        ASSERT_EQ(ReadRow(canvas.events, l, quotientY), e.quotient)
            << expression << " places " << places;
        const std::string remainderRow =
            NormalizeNumberText(ReadRow(canvas.events, l, LowestDigitRow(canvas.events, l)));
        ASSERT_EQ(remainderRow, e.remainder) << expression << " places " << places;

        // The answer line: the quotient, and the remainder after あまり when there is one.
        std::vector<std::string> answer;
        // Nothing left of the divisor or right of the last dividend cell (a point may end it).
        const int cells = aDec.empty() && bDec.empty()
                              ? std::max(aIntLen, aIntLen - model.division.zerosToCancel + e.places)
                              : aIntLen + std::max(static_cast<int>(aDec.size()),
                                                   static_cast<int>(bDec.size()) + e.places);
        const int rightX = l.originX + (bTotal + 3) * l.cellWidth;
        const int edgeX = rightX + (cells - 2) * l.cellWidth;
        for (const auto& event : canvas.events) {
            if (event.kind != RowCanvas::Kind::Text) {
                continue;
            }
            if (event.y1 < quotientY) {  // the expression line, the answer and its note
                if (event.y1 == l.originY && event.size == answerSize) {
                    answer.push_back(event.text);
                }
                continue;
            }
            ASSERT_GE(event.x1, l.originX) << expression << " " << event.text;
            ASSERT_LT(event.x1, edgeX) << expression << " " << event.text;
        }
        const std::vector<std::string> expected =
            e.remainder == "0" ? std::vector<std::string>{e.quotient}
                               : std::vector<std::string>{e.quotient, e.remainder};
        ASSERT_EQ(answer, expected) << expression << " places " << places;
        ASSERT_EQ(model.board.operands.result,
                  e.remainder == "0" ? e.quotient : e.quotient + "R" + e.remainder)
            << expression;
    }
    // Most of them are worked; the rest show the overflow.
    EXPECT_GT(worked, 120000);
    EXPECT_GT(overflowed, 1000);
}

}  // namespace
}  // namespace kazu
