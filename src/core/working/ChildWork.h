// A child's own writing of a working in the notebook: which cells she writes (the operands are
// given), in the order the school method writes them, what she wrote in each, and whether it is
// right. Carries and borrow marks are checked when written but not required.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/working/Working.h"

namespace kazu {

class ChildWork {
  public:
    explicit ChildWork(Working working);

    const Working& working() const { return working_; }
    // The cells she writes, in the order of the steps that write them.
    const std::vector<CellRef>& order() const { return order_; }
    bool Writes(const CellRef& ref) const { return Index(ref).has_value(); }
    bool Optional(const CellRef& ref) const;
    // The cells of the answer: the sum, difference or product row; the quotient and the
    // remainder of a division.
    bool InAnswer(const CellRef& ref) const;

    enum class Mark { Empty, Right, Wrong };
    Mark MarkOf(const CellRef& ref) const;
    // What she wrote, 0 when nothing.
    char Written(const CellRef& ref) const;
    // A digit into a digit cell, a point into a point cell; false when it does not go there.
    bool Write(const CellRef& ref, char text);
    void Erase(const CellRef& ref);
    void EraseAll();

    bool AnswerComplete() const;
    // Some cell of the answer is written.
    bool AnswerBegun() const;
    bool AnswerRight() const;
    // Her answer as she would write it on one line: "83", "14あまり0.3".
    std::string AnswerText() const;
    // The first cell in the order that holds a wrong digit.
    std::optional<CellRef> FirstWrong() const;
    // Whether a crossed-out cell shows crossed out yet: a child's cell once written, a lender
    // once the borrow mark above it is written, a moved point once the new point is.
    bool ShowsStruck(const CellRef& ref) const;

    // The step a hint gives: the first step not done yet, or the steps without cells of their
    // own that lead to it; one further each time when the last hint was already one of those.
    std::size_t HintStep(std::optional<std::size_t> lastHint) const;
    // The cells of a step she writes or reads, for the marks of a hint.
    std::vector<CellRef> StepCells(std::size_t step) const;
    // What to look at again when a cell is wrong, in kana and first-grade kanji.
    std::string LookAgain(const CellRef& ref) const;

  private:
    struct Entry {
        CellRef ref;
        char expected = '0';
        bool optional = false;
        char written = 0;
    };
    Working working_;
    std::vector<Entry> entries_;
    std::vector<CellRef> order_;

    std::optional<std::size_t> Index(const CellRef& ref) const;
    bool StepDone(const Step& step) const;
    bool HasRequired(const Step& step) const;
    std::string RowText(int row) const;
    int RemainderRow() const;
};

}  // namespace kazu
