// What the per-operator builders share: writing cells into rows and recording the steps.
#pragma once

#include <string>
#include <vector>

#include "core/working/Working.h"

namespace kazu {

class WorkingBuilder {
  public:
    explicit WorkingBuilder(char op) { w_.op = op; }

    int AddRow(RowKind kind) {
        w_.rows.push_back({kind, {}});
        return static_cast<int>(w_.rows.size()) - 1;
    }
    CellRef Write(int row, int column, char text, CellRole role, bool struck = false) {
        w_.rows[static_cast<size_t>(row)].cells.push_back({column, text, role, struck});
        return {row, column, text == '.'};
    }
    void Strike(const CellRef& ref) {
        for (Cell& c : w_.rows[static_cast<size_t>(ref.row)].cells) {
            if (c.column == ref.column && (c.text == '.') == ref.point) {
                c.struck = true;
            }
        }
    }
    // A digit text written with its last digit in column `last`; the refs, left to right.
    std::vector<CellRef> WriteDigits(int row, int last, const std::string& digits, CellRole role) {
        std::vector<CellRef> refs;
        const int n = static_cast<int>(digits.size());
        for (int i = 0; i < n; ++i) {
            refs.push_back(Write(row, last + n - 1 - i, digits[static_cast<size_t>(i)], role));
        }
        return refs;
    }
    // Integer digits ending in the ones column, then the point and the decimals.
    std::vector<CellRef> WriteNumber(int row, const std::string& integer,
                                     const std::string& decimals, CellRole role) {
        std::vector<CellRef> refs = WriteDigits(row, 0, integer, role);
        if (!decimals.empty()) {
            refs.push_back(Write(row, 0, '.', CellRole::Point));
            const auto more = WriteDigits(row, -static_cast<int>(decimals.size()), decimals, role);
            refs.insert(refs.end(), more.begin(), more.end());
        }
        return refs;
    }
    Step& AddStep(StepKind kind, Phrase phrase, std::vector<std::string> numbers = {}) {
        w_.steps.push_back({kind, phrase, std::move(numbers), {}, {}});
        return w_.steps.back();
    }
    // The last step: the answer said, reading the row it stands in.
    void Answer(int row, const std::string& answer) {
        w_.answer = answer;
        Step& step = AddStep(StepKind::Answer, Phrase::AnswerIs, {answer});
        for (const Cell& c : w_.rows[static_cast<size_t>(row)].cells) {
            step.reads.push_back({row, c.column, c.text == '.'});
        }
    }
    Working& working() { return w_; }

  private:
    Working w_;
};

inline std::string Num(long long value) {
    return std::to_string(value);
}

inline int DigitAt(const std::string& digits, int fromRight) {
    const int at = static_cast<int>(digits.size()) - 1 - fromRight;
    return at < 0 ? 0 : digits[static_cast<size_t>(at)] - '0';
}

// The place's name: 一の位, 十の位, …, 小数第1位, …
std::string PlaceName(int column, bool kana);

// A number written plainly from its digits and decimals ("0125", 3 -> "0.125"), without leading
// zeros or trailing zero decimals.
std::string PlainNumber(const std::string& digits, int decimals);

std::optional<Working> BuildAddition(const WorkingInput& in);
std::optional<Working> BuildSubtraction(const WorkingInput& in);
std::optional<Working> BuildMultiplication(const WorkingInput& in);
std::optional<Working> BuildDivision(const WorkingInput& in);

}  // namespace kazu
