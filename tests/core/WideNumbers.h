// Exact reference arithmetic for the practice tests: numbers as 128-bit integers with a count
// of decimals, independent of the decimal texts the program computes with.
#pragma once

#include <string>

namespace kazu {

__extension__ typedef __int128 Wide;

inline Wide Pow10(int n) {
    Wide p = 1;
    while (n-- > 0) {
        p *= 10;
    }
    return p;
}

// The digits read as a whole number.
inline Wide Value(const std::string& digits) {
    Wide v = 0;
    for (const char c : digits) {
        v = v * 10 + (c - '0');
    }
    return v;
}

// value / 10^scale, written shortest: no leading zeros, no trailing zero decimals.
inline std::string Text(Wide value, int scale) {
    while (scale > 0 && value % 10 == 0) {
        value /= 10;
        --scale;
    }
    std::string digits;
    for (Wide v = value; v > 0 || digits.empty(); v /= 10) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    }
    if (scale > 0) {
        if (static_cast<int>(digits.size()) <= scale) {
            digits.insert(0, static_cast<size_t>(scale + 1) - digits.size(), '0');
        }
        digits.insert(digits.size() - static_cast<size_t>(scale), ".");
    }
    return digits;
}

}  // namespace kazu
