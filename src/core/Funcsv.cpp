#include "core/Funcsv.h"

#include "core/DecimalText.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace kazu {

namespace {

// A quotient text longer than 17 characters is cut to 16 for the division layout.
constexpr int kQuotientTextMax = 17;
constexpr int kQuotientTextCut = 16;
// The division layout works in signed 64-bit integers, which hold every 18-digit number but
// not every 19-digit one; a quotient with a longer integer part is refused as a bad quotient
// rather than drawn wrong.
constexpr int kQuotientIntDigitsMax = 18;
constexpr size_t kFractionDigitsMax = 17;

std::string WithoutTrailingPoint(std::string text) {
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

int32_t TrailingZeros(const std::string& digits) {
    const size_t last = digits.find_last_not_of('0');
    return static_cast<int32_t>(last == std::string::npos ? digits.size()
                                                          : digits.size() - last - 1);
}

int TextLength(const Decimal& value) {
    return IntegerDigits(value) + (value.scale > 0 ? value.scale + 1 : 0);
}

// The quotient as the layout is given it: no trailing zero decimals, and no longer than 16
// characters once it is longer than 17. The cut takes decimals only: taking integer digits
// would make the quotient wrong by a power of ten, so a quotient whose integer part alone is
// longer keeps that integer part whole and loses its decimals.
Decimal CutQuotient(const Decimal& quotient) {
    Decimal cut = Trimmed(quotient);
    if (TextLength(cut) > kQuotientTextMax) {
        const int decimalsLeft = kQuotientTextCut - 1 - IntegerDigits(cut);  // 1 for the point
        cut = Trimmed(Truncate(cut, std::max(0, decimalsLeft)));
    }
    return cut;
}

}  // namespace

std::string NormalizeNumberText(std::string text) {
    if (text == ".0" || text == "0") {
        return "0";
    }
    if (text.empty() || text.front() == '.') {
        text += '0';
    }
    size_t leading = 0;
    while (text.size() - leading > 1 && text[leading] == '0' && text[leading + 1] != '.') {
        ++leading;
    }
    text.erase(0, leading);
    if (text.find('.') != std::string::npos) {
        text = WithoutTrailingPoint(StripTrailing(std::move(text), '0'));
    }
    return text;
}

std::string StripTrailing(std::string text, char c) {
    const size_t last = text.find_last_not_of(c);
    text.resize(last == std::string::npos ? 0 : last + 1);
    return text;
}

std::string StripTrailingKeepTwo(std::string text, char c) {
    if (text.empty()) {
        return "0";
    }
    size_t end = text.size();
    while (end > 2 && text[end - 1] == c) {
        --end;
    }
    text.resize(end);
    return text;
}

int CompareOperands(const std::string& aInt, const std::string& aFrac, const std::string& bInt,
                    const std::string& bFrac) {
    const std::optional<Decimal> a = ReadDecimal(aInt + "." + aFrac);
    const std::optional<Decimal> b = ReadDecimal(bInt + "." + bFrac);
    if (!a || !b) {
        return -1;
    }
    return CompareDecimal(*a, *b) >= 0 ? 1 : -2;
}

DivisionRecord EvaluateDivision(const std::string& aInt, const std::string& aFrac,
                                const std::string& bInt, const std::string& bFrac, int places) {
    DivisionRecord record;
    record.dividendIntDigits = static_cast<int32_t>(aInt.size());
    record.dividendFracDigits = static_cast<int32_t>(aFrac.size());
    record.divisorIntDigits = static_cast<int32_t>(bInt.size());
    record.dividendText = WithoutTrailingPoint(aInt + "." + aFrac);
    record.divisorText = WithoutTrailingPoint(bInt + "." + bFrac);

    const std::optional<Decimal> dividend = ReadDecimal(record.dividendText);
    if (!dividend) {
        record.status = DivisionStatus::kBadDividend;
        return record;
    }
    const std::optional<Decimal> divisor = ReadDecimal(record.divisorText);
    if (!divisor) {
        record.status = DivisionStatus::kBadDivisor;
        return record;
    }
    if (divisor->IsZero()) {
        record.status = DivisionStatus::kDivideByZero;
        return record;
    }
    const Decimal quotient = CutQuotient(DivideTruncated(*dividend, *divisor, std::max(0, places)));
    if (IntegerDigits(quotient) > kQuotientIntDigitsMax) {
        record.status = DivisionStatus::kBadQuotient;
        return record;
    }
    if (std::max(aFrac.size(), bFrac.size()) > kFractionDigitsMax) {
        record.status = DivisionStatus::kTooManyDecimals;
        return record;
    }
    // The remainder is exact, with at most max(dividend decimals, divisor decimals + places)
    // decimals; written with that many and stripped of the zeros after the point, it is the
    // shortest text of its value, which is what is kept.
    const Decimal remainder =
        Trimmed(SubtractDecimal(*dividend, MultiplyDecimal(*divisor, quotient)));

    // Both texts are already in the form NormalizeNumberText gives.
    record.quotientText = FormatDecimal(quotient, quotient.scale);
    record.remainderText = FormatDecimal(remainder, remainder.scale);
    record.quotientDecimals = quotient.scale;
    record.remainderDecimals = remainder.scale;
    record.zerosToCancel = std::min(TrailingZeros(aInt), TrailingZeros(bInt));
    record.status = DivisionStatus::kOk;
    return record;
}

}  // namespace kazu
