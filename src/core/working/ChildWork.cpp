#include "core/working/ChildWork.h"

#include <algorithm>

#include "core/Funcsv.h"
#include "core/working/Builder.h"

namespace kazu {

namespace {

// Setting the problem out is done for her: the operands, and the zeros a division adds to go on.
bool GivenStep(const Step& step) {
    return step.kind == StepKind::Align || step.phrase == Phrase::DivideOn;
}

}  // namespace

ChildWork::ChildWork(Working working) : working_(std::move(working)) {
    for (const Step& step : working_.steps) {
        if (GivenStep(step)) {
            continue;
        }
        std::vector<CellRef> writes = step.writes;
        if (step.kind == StepKind::Add) {
            // The partial products are added from the ones place, as every column sum is.
            std::stable_sort(writes.begin(), writes.end(), [](const CellRef& a, const CellRef& b) {
                return a.column < b.column;
            });
        }
        for (const CellRef& ref : writes) {
            const Cell* cell = working_.Find(ref);
            if (cell == nullptr || Index(ref)) {
                continue;
            }
            const RowKind kind = working_.rows[static_cast<size_t>(ref.row)].kind;
            entries_.push_back(
                {ref, cell->text, kind == RowKind::Carries || kind == RowKind::Borrows, 0});
            order_.push_back(ref);
        }
    }
}

std::optional<std::size_t> ChildWork::Index(const CellRef& ref) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].ref == ref) {
            return i;
        }
    }
    return std::nullopt;
}

bool ChildWork::Optional(const CellRef& ref) const {
    const auto i = Index(ref);
    return i && entries_[*i].optional;
}

int ChildWork::RemainderRow() const {
    for (int r = static_cast<int>(working_.rows.size()) - 1; r >= 0; --r) {
        if (working_.rows[static_cast<size_t>(r)].kind == RowKind::Difference) {
            return r;
        }
    }
    return -1;
}

bool ChildWork::InAnswer(const CellRef& ref) const {
    if (ref.row < 0 || ref.row >= static_cast<int>(working_.rows.size())) {
        return false;
    }
    const RowKind kind = working_.rows[static_cast<size_t>(ref.row)].kind;
    if (working_.op == '/') {
        return kind == RowKind::Quotient || ref.row == RemainderRow();
    }
    return kind == RowKind::Answer;
}

ChildWork::Mark ChildWork::MarkOf(const CellRef& ref) const {
    const auto i = Index(ref);
    if (!i || entries_[*i].written == 0) {
        return Mark::Empty;
    }
    return entries_[*i].written == entries_[*i].expected ? Mark::Right : Mark::Wrong;
}

char ChildWork::Written(const CellRef& ref) const {
    const auto i = Index(ref);
    return i ? entries_[*i].written : 0;
}

bool ChildWork::Write(const CellRef& ref, char text) {
    const auto i = Index(ref);
    const bool digit = text >= '0' && text <= '9';
    if (!i || (ref.point ? text != '.' : !digit)) {
        return false;
    }
    entries_[*i].written = text;
    return true;
}

void ChildWork::Erase(const CellRef& ref) {
    if (const auto i = Index(ref)) {
        entries_[*i].written = 0;
    }
}

void ChildWork::EraseAll() {
    for (Entry& e : entries_) {
        e.written = 0;
    }
}

bool ChildWork::AnswerComplete() const {
    bool any = false;
    for (const Entry& e : entries_) {
        if (InAnswer(e.ref)) {
            any = true;
            if (e.written == 0) {
                return false;
            }
        }
    }
    return any;
}

bool ChildWork::AnswerBegun() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [this](const Entry& e) { return InAnswer(e.ref) && e.written != 0; });
}

bool ChildWork::AnswerRight() const {
    return AnswerComplete() &&
           std::all_of(entries_.begin(), entries_.end(), [this](const Entry& e) {
               return !InAnswer(e.ref) || e.written == e.expected;
           });
}

// The row from the left, a point after the digit of its column; her own cells as she wrote them.
std::string ChildWork::RowText(int row) const {
    std::vector<Cell> cells = working_.rows[static_cast<size_t>(row)].cells;
    std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
        return a.column != b.column ? a.column > b.column : a.text != '.' && b.text == '.';
    });
    std::string text;
    for (const Cell& c : cells) {
        const auto i = Index({row, c.column, c.text == '.'});
        const char written = i ? entries_[*i].written : c.text;
        if (written != 0) {
            text += written;
        }
    }
    return text;
}

std::string ChildWork::AnswerText() const {
    auto normal = [](const std::string& text) {
        return text.empty() ? std::string("0") : NormalizeNumberText(text);
    };
    for (std::size_t r = 0; r < working_.rows.size(); ++r) {
        const RowKind kind = working_.rows[r].kind;
        if (working_.op != '/' && kind == RowKind::Answer) {
            return normal(RowText(static_cast<int>(r)));
        }
        if (working_.op == '/' && kind == RowKind::Quotient) {
            const int last = RemainderRow();
            const std::string remainder = last < 0 ? "0" : normal(RowText(last));
            const std::string quotient = normal(RowText(static_cast<int>(r)));
            return remainder == "0" ? quotient : quotient + "あまり" + remainder;
        }
    }
    return {};
}

std::optional<CellRef> ChildWork::FirstWrong() const {
    for (const Entry& e : entries_) {
        if (e.written != 0 && e.written != e.expected) {
            return e.ref;
        }
    }
    return std::nullopt;
}

bool ChildWork::ShowsStruck(const CellRef& ref) const {
    const Cell* cell = working_.Find(ref);
    if (cell == nullptr || !cell->struck) {
        return false;
    }
    if (const auto i = Index(ref)) {
        return entries_[*i].written == entries_[*i].expected;
    }
    // A given cell crossed out by what she writes: the new point of its row, the borrow mark
    // above it. Any other was crossed out in setting the problem out.
    bool byHer = false;
    bool written = false;
    const bool belowBorrows =
        ref.row > 0 && working_.rows[static_cast<size_t>(ref.row - 1)].kind == RowKind::Borrows;
    for (const Entry& e : entries_) {
        const bool newPoint = ref.point && e.ref.point && e.ref.row == ref.row;
        const bool mark =
            !ref.point && belowBorrows && e.ref.row == ref.row - 1 && e.ref.column == ref.column;
        if (newPoint || mark) {
            byHer = true;
            written = written || e.written != 0;
        }
    }
    return !byHer || written;
}

bool ChildWork::HasRequired(const Step& step) const {
    return std::any_of(step.writes.begin(), step.writes.end(), [this](const CellRef& ref) {
        const auto i = Index(ref);
        return i && !entries_[*i].optional;
    });
}

bool ChildWork::StepDone(const Step& step) const {
    return std::all_of(step.writes.begin(), step.writes.end(), [this](const CellRef& ref) {
        const auto i = Index(ref);
        return !i || entries_[*i].optional || entries_[*i].written == entries_[*i].expected;
    });
}

std::size_t ChildWork::HintStep(std::optional<std::size_t> lastHint) const {
    const std::vector<Step>& steps = working_.steps;
    if (steps.empty()) {
        return 0;
    }
    std::size_t first = 0;
    while (first < steps.size() &&
           (GivenStep(steps[first]) || !HasRequired(steps[first]) || StepDone(steps[first]))) {
        ++first;
    }
    // Back over the steps that only say something, up to the last one she has done.
    std::size_t lead = first;
    while (lead > 0 && !GivenStep(steps[lead - 1]) && !HasRequired(steps[lead - 1])) {
        --lead;
    }
    const std::size_t last = steps.size() - 1;
    if (lastHint && *lastHint >= lead && *lastHint < first) {
        return std::min(*lastHint + 1, last);
    }
    if (lastHint && *lastHint == first) {
        return std::min(first, last);
    }
    return std::min(lead, last);
}

std::vector<CellRef> ChildWork::StepCells(std::size_t step) const {
    std::vector<CellRef> cells;
    if (step >= working_.steps.size()) {
        return cells;
    }
    const Step& s = working_.steps[step];
    for (const auto* list : {&s.writes, &s.reads}) {
        for (const CellRef& ref : *list) {
            if (std::find(cells.begin(), cells.end(), ref) == cells.end()) {
                cells.push_back(ref);
            }
        }
    }
    return cells;
}

std::string ChildWork::LookAgain(const CellRef& ref) const {
    if (ref.point) {
        return "小数点の ばしょを もういちど 見てみよう。";
    }
    if (ref.row < 0 || ref.row >= static_cast<int>(working_.rows.size())) {
        return {};
    }
    switch (working_.rows[static_cast<size_t>(ref.row)].kind) {
        case RowKind::Carries:
            return "くり上がりの 数を もういちど 見てみよう。";
        case RowKind::Borrows:
            return "くり下げた あとの 数を もういちど 見てみよう。";
        case RowKind::Quotient:
            return "商の 見当を もういちど 見てみよう。";
        case RowKind::Product:
            return "わる数と 商の かけ算を もういちど 見てみよう。";
        case RowKind::Difference:
            return "ひき算と、おろした 数を もういちど 見てみよう。";
        case RowKind::Partial:
            return "かけ算を もういちど 見てみよう。九九は あっているかな？";
        default:
            break;
    }
    if (working_.op == '*') {
        const bool partials =
            std::any_of(working_.rows.begin(), working_.rows.end(),
                        [](const Row& row) { return row.kind == RowKind::Partial; });
        return partials ? "かけた 答えの たし算を もういちど 見てみよう。"
                        : "かけ算を もういちど 見てみよう。";
    }
    return PlaceName(ref.column, true) + "の " + (working_.op == '+' ? "たし算" : "ひき算") +
           "を もういちど 見てみよう。";
}

}  // namespace kazu
