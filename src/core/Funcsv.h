// Number-text operations shared by entry, board and voice input. Numbers are decimal digit
// texts throughout; every answer is computed exactly on those texts.
#pragma once

#include <cstdint>
#include <string>

namespace kazu {

// The evaluated division, read by the division layout.
struct DivisionRecord {
    std::string dividendText;   // 被除数: "int.frac", a trailing "." removed
    std::string divisorText;    // 除数
    std::string quotientText;   // 商: truncated to the asked places
    std::string remainderText;  // 余り
    int32_t quotientDecimals = 0;
    int32_t remainderDecimals = 0;
    int32_t dividendIntDigits = 0;
    int32_t dividendFracDigits = 0;
    int32_t divisorIntDigits = 0;
    int32_t zerosToCancel = 0;  // ０を消す数
    int32_t status = 0;         // Error番号, see DivisionStatus
};

namespace DivisionStatus {
constexpr int32_t kOk = 1;
constexpr int32_t kDivideByZero = 0;
constexpr int32_t kBadDividend = -1;
constexpr int32_t kBadDivisor = -2;
constexpr int32_t kBadQuotient = -3;
constexpr int32_t kBadRemainder = -5;
constexpr int32_t kTooManyDecimals = -7;
constexpr int32_t kOverflow = -10;  // set by the division layout
}  // namespace DivisionStatus

// Leading zeros off; after a point, trailing zeros and a bare trailing point off.
std::string NormalizeNumberText(std::string text);
// The text without every trailing occurrence of c.
std::string StripTrailing(std::string text, char c);
// As StripTrailing, but never below two characters; an empty text gives "0".
std::string StripTrailingKeepTwo(std::string text, char c);

// 1 when a >= b, -2 when a < b, -1 when either does not read as a number. Exact.
int CompareOperands(const std::string& aInt, const std::string& aFrac, const std::string& bInt,
                    const std::string& bFrac);

// Quotient truncated to `places` decimals and remainder = dividend - divisor * quotient, exact.
DivisionRecord EvaluateDivision(const std::string& aInt, const std::string& aFrac,
                                const std::string& bInt, const std::string& bFrac, int places);

}  // namespace kazu
