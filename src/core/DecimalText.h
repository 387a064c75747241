// Exact arithmetic on non-negative decimal numbers of any length, kept as digit texts.
// The board's answers are digit texts, so nothing here ever goes through floating point.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kazu {

// The value digits × 10^-scale. `digits` has no leading zeros ("0" for zero); trailing zeros
// are kept, so the scale remembers how many decimals a text was written with.
struct Decimal {
    std::string digits = "0";
    int scale = 0;

    bool IsZero() const { return digits == "0"; }
};

// Reads digits, an optional ".", digits, with at least one digit in all ("12.", ".5", "007").
// Anything else, the empty text and a bare "." included, gives nothing.
std::optional<Decimal> ReadDecimal(std::string_view text);

// Writes the value with exactly `decimals` decimals, cut (never rounded) or padded with zeros;
// no point when `decimals` is 0. The integer part has no leading zeros ("0" when below one).
std::string FormatDecimal(const Decimal& value, int decimals);

// -1, 0 or 1 as a is below, equal to or above b.
int CompareDecimal(const Decimal& a, const Decimal& b);

Decimal MultiplyDecimal(const Decimal& a, const Decimal& b);

// a - b; a must not be below b.
Decimal SubtractDecimal(const Decimal& a, const Decimal& b);

// a ÷ b cut (never rounded) to `places` (>= 0) decimals, which is the scale of the result.
// b must not be zero.
Decimal DivideTruncated(const Decimal& a, const Decimal& b, int places);

// The value cut to at most `decimals` (>= 0) decimals, never rounded.
Decimal Truncate(Decimal value, int decimals);

// The same value without trailing zero decimals.
Decimal Trimmed(Decimal value);

// Number of digits before the point as FormatDecimal writes them (1 for a value below one).
int IntegerDigits(const Decimal& value);

}  // namespace kazu
