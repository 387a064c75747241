#include "core/working/Working.h"

#include <algorithm>

#include "core/Funcsv.h"
#include "core/working/Builder.h"

namespace kazu {

namespace {

bool AllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

const Cell* Working::Find(const CellRef& ref) const {
    if (ref.row < 0 || ref.row >= static_cast<int>(rows.size())) {
        return nullptr;
    }
    for (const Cell& c : rows[static_cast<size_t>(ref.row)].cells) {
        if (c.column == ref.column && (c.text == '.') == ref.point) {
            return &c;
        }
    }
    return nullptr;
}

std::string PlaceName(int column, bool kana) {
    if (column < 0) {
        return "小数第" + std::to_string(-column) + (kana ? "くらい" : "位");
    }
    static const char* const kUnits[] = {"一", "十", "百", "千"};
    static const char* const kGroups[] = {"", "万", "億", "兆", "京"};
    const int group = std::min(column / 4, 4);
    std::string name = kUnits[column % 4];
    name += kGroups[group];
    if (group > 0 && column % 4 == 0) {
        name = std::string("一") + kGroups[group];
    }
    return name + (kana ? "のくらい" : "の位");
}

std::string PlainNumber(const std::string& digits, int decimals) {
    std::string text = digits;
    if (decimals > 0) {
        if (static_cast<int>(text.size()) <= decimals) {
            text.insert(0, static_cast<size_t>(decimals + 1) - text.size(), '0');
        }
        text.insert(text.size() - static_cast<size_t>(decimals), ".");
    }
    return NormalizeNumberText(text);
}

std::optional<Working> BuildWorking(const WorkingInput& in) {
    if (in.aInt.empty() || in.bInt.empty() || !AllDigits(in.aInt + in.aDec + in.bInt + in.bDec)) {
        return std::nullopt;
    }
    switch (in.op) {
        case '+':
            return BuildAddition(in);
        case '-':
            return BuildSubtraction(in);
        case '*':
            return BuildMultiplication(in);
        case '/':
            return BuildDivision(in);
        default:
            return std::nullopt;
    }
}

std::string StepKindName(StepKind kind) {
    switch (kind) {
        case StepKind::Align:
            return "align";
        case StepKind::Column:
            return "column";
        case StepKind::Carry:
            return "carry";
        case StepKind::Borrow:
            return "borrow";
        case StepKind::Multiply:
            return "multiply";
        case StepKind::Add:
            return "add";
        case StepKind::Point:
            return "point";
        case StepKind::Estimate:
            return "estimate";
        case StepKind::Correct:
            return "correct";
        case StepKind::Subtract:
            return "subtract";
        case StepKind::BringDown:
            return "bringdown";
        case StepKind::Zero:
            return "zero";
        case StepKind::Remainder:
            return "remainder";
        case StepKind::Answer:
            return "answer";
    }
    return "answer";
}

}  // namespace kazu
