#include "core/DecimalText.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kazu {

namespace {

// Digit texts below are non-negative integers without leading zeros. The working rest of the
// long division uses the empty text for zero, which compares below every other text.

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c) {
    return c - '0';
}

char DigitChar(int value) {
    return static_cast<char>('0' + value);
}

void DropLeadingZeros(std::string& digits) {
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
}

std::string OrZero(std::string digits) {
    return digits.empty() ? "0" : digits;
}

int CompareDigits(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// a -= b, right-aligned; a must not be below b.
void SubtractInPlace(std::string& a, std::string_view b) {
    int borrow = 0;
    size_t i = a.size();
    for (size_t j = b.size(); i > 0 && (j > 0 || borrow != 0);) {
        --i;
        const int digit = DigitValue(a[i]) - borrow - (j > 0 ? DigitValue(b[--j]) : 0);
        borrow = digit < 0 ? 1 : 0;
        a[i] = DigitChar(digit + 10 * borrow);
    }
    DropLeadingZeros(a);
}

std::string MultiplyDigits(std::string_view a, std::string_view b) {
    if (a == "0" || b == "0") {
        return "0";
    }
    std::vector<int> columns(a.size() + b.size(), 0);
    for (size_t i = 0; i < a.size(); ++i) {
        for (size_t j = 0; j < b.size(); ++j) {
            columns[i + j + 1] += DigitValue(a[i]) * DigitValue(b[j]);
        }
    }
    std::string product(columns.size(), '0');
    int carry = 0;
    for (size_t k = columns.size(); k > 0; --k) {
        const int sum = columns[k - 1] + carry;
        product[k - 1] = DigitChar(sum % 10);
        carry = sum / 10;
    }
    DropLeadingZeros(product);
    return product;
}

// Long division as on paper: bring down one digit, subtract the divisor while it fits.
std::string DivideDigits(std::string_view dividend, std::string_view divisor) {
    std::string quotient;
    std::string rest;
    for (const char next : dividend) {
        if (!rest.empty() || next != '0') {
            rest.push_back(next);
        }
        int digit = 0;
        while (CompareDigits(rest, divisor) >= 0) {
            SubtractInPlace(rest, divisor);
            ++digit;
        }
        if (!quotient.empty() || digit != 0) {
            quotient.push_back(DigitChar(digit));
        }
    }
    return OrZero(std::move(quotient));
}

std::string WithZeros(std::string digits, int count) {
    if (digits != "0") {
        digits.append(static_cast<size_t>(count), '0');
    }
    return digits;
}

}  // namespace

std::optional<Decimal> ReadDecimal(std::string_view text) {
    const size_t point = text.find('.');
    const std::string_view integer = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto allDigits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), IsDigit);
    };
    if (integer.empty() && fraction.empty()) {
        return std::nullopt;
    }
    if (!allDigits(integer) || !allDigits(fraction)) {
        return std::nullopt;
    }
    std::string digits(integer);
    digits.append(fraction);
    DropLeadingZeros(digits);
    return Decimal{OrZero(std::move(digits)), static_cast<int>(fraction.size())};
}

std::string FormatDecimal(const Decimal& value, int decimals) {
    std::string digits = value.digits;
    const size_t scale = static_cast<size_t>(value.scale);
    if (digits.size() <= scale) {
        digits.insert(0, scale + 1 - digits.size(), '0');
    }
    std::string text = digits.substr(0, digits.size() - scale);
    if (decimals > 0) {
        std::string fraction = digits.substr(digits.size() - scale);
        fraction.resize(static_cast<size_t>(decimals), '0');
        text += '.' + fraction;
    }
    return text;
}

int CompareDecimal(const Decimal& a, const Decimal& b) {
    const int scale = std::max(a.scale, b.scale);
    return CompareDigits(WithZeros(a.digits, scale - a.scale),
                         WithZeros(b.digits, scale - b.scale));
}

Decimal MultiplyDecimal(const Decimal& a, const Decimal& b) {
    return Decimal{MultiplyDigits(a.digits, b.digits), a.scale + b.scale};
}

Decimal SubtractDecimal(const Decimal& a, const Decimal& b) {
    const int scale = std::max(a.scale, b.scale);
    std::string difference = WithZeros(a.digits, scale - a.scale);
    SubtractInPlace(difference, WithZeros(b.digits, scale - b.scale));
    return Decimal{OrZero(std::move(difference)), scale};
}

Decimal DivideTruncated(const Decimal& a, const Decimal& b, int places) {
    // a/b = (A·10^-sa) / (B·10^-sb); with p places that is floor(A·10^(sb+p) / (B·10^sa)).
    // Powers of ten common to both sides are left out.
    int dividendZeros = b.scale + places;
    int divisorZeros = a.scale;
    const int common = std::min(dividendZeros, divisorZeros);
    dividendZeros -= common;
    divisorZeros -= common;
    return Decimal{
        DivideDigits(WithZeros(a.digits, dividendZeros), WithZeros(b.digits, divisorZeros)),
        places};
}

Decimal Truncate(Decimal value, int decimals) {
    if (value.scale > decimals) {
        const size_t drop = static_cast<size_t>(value.scale - decimals);
        value.digits.resize(value.digits.size() > drop ? value.digits.size() - drop : 0);
        value.digits = OrZero(std::move(value.digits));
        value.scale = decimals;
    }
    return value;
}

Decimal Trimmed(Decimal value) {
    if (value.IsZero()) {
        return Decimal{};
    }
    while (value.scale > 0 && value.digits.back() == '0') {
        value.digits.pop_back();
        --value.scale;
    }
    return value;
}

int IntegerDigits(const Decimal& value) {
    return std::max(1, static_cast<int>(value.digits.size()) - value.scale);
}

}  // namespace kazu
