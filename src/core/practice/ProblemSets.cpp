// Each set is a shape of operands (how many digits, how many decimals) and a rule that the
// written working must follow (a carry written, a borrow across a 0, a corrected estimate, ...).
// Problems are drawn at random in the shape and kept when their working follows the rule, so a
// problem is of its set by the same test that IsOfSet makes.
#include "core/practice/ProblemSets.h"

#include <algorithm>
#include <functional>
#include <set>

#include "core/Funcsv.h"

namespace kazu {

namespace {

// splitmix64, with its own unbiased range reduction: the same numbers from the same seed with
// every compiler and standard library.
class Generator {
  public:
    explicit Generator(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // lo..hi, both included; every value equally likely (values below 2^64 mod n are drawn
    // again, so the remainder is not biased towards small values).
    int Between(int lo, int hi) {
        const std::uint64_t n = static_cast<std::uint64_t>(hi - lo) + 1;
        const std::uint64_t biased = (0 - n) % n;
        std::uint64_t x = Next();
        while (x < biased) {
            x = Next();
        }
        return lo + static_cast<int>(x % n);
    }

  private:
    std::uint64_t state_;
};

// How an operand looks: digits before the point, decimals after it. A decimal's integer part
// of one digit may be 0 (0.25); a whole number of one digit is 2 to 9 (×1 and ÷1 teach nothing).
struct Shape {
    int intMin, intMax, decMin = 0, decMax = 0;

    bool Fits(const std::string& integer, const std::string& decimals) const {
        const int n = static_cast<int>(integer.size());
        const int m = static_cast<int>(decimals.size());
        if (n < intMin || n > intMax || m < decMin || m > decMax) {
            return false;
        }
        if (m > 0 && decimals.back() == '0') {
            return false;  // the board drops it: 3.20 is written 3.2
        }
        if (n > 1) {
            return integer.front() != '0';
        }
        return m > 0 || integer.front() >= '2';
    }
    void Draw(Generator& g, std::string& integer, std::string& decimals) const {
        const int n = g.Between(intMin, intMax);
        const int m = g.Between(decMin, decMax);
        integer.clear();
        decimals.clear();
        for (int i = 0; i < n; ++i) {
            const int low = i > 0 ? 0 : (n > 1 ? 1 : (m > 0 ? 0 : 2));
            integer += static_cast<char>('0' + g.Between(low, 9));
        }
        for (int i = 0; i < m; ++i) {
            decimals += static_cast<char>('0' + g.Between(i + 1 == m ? 1 : 0, 9));
        }
    }
};

using Rule = std::function<bool(const WorkingInput&, const Working&)>;

struct SetKind {
    ProblemSet set;
    char op;
    Shape a, b;
    int places;
    Rule rule;
};

bool HasRole(const Working& w, CellRole role) {
    return std::any_of(w.rows.begin(), w.rows.end(), [role](const Row& row) {
        return std::any_of(row.cells.begin(), row.cells.end(),
                           [role](const Cell& c) { return c.role == role; });
    });
}

bool HasPhrase(const Working& w, Phrase phrase) {
    return std::any_of(w.steps.begin(), w.steps.end(),
                       [phrase](const Step& s) { return s.phrase == phrase; });
}

bool HasStep(const Working& w, StepKind kind) {
    return std::any_of(w.steps.begin(), w.steps.end(),
                       [kind](const Step& s) { return s.kind == kind; });
}

int RowsOf(const Working& w, RowKind kind) {
    return static_cast<int>(std::count_if(w.rows.begin(), w.rows.end(),
                                          [kind](const Row& r) { return r.kind == kind; }));
}

// A 0 between the quotient's first and last digits (4120÷4 = 1030).
bool InnerZero(const Working& w) {
    const std::string& q = w.quotient;
    return q.size() > 2 && q.find('0', 1) < q.size() - 1;
}

bool Different(const WorkingInput& in, const Working&) {
    return in.aInt != in.bInt || in.aDec != in.bDec;
}

bool Any(const WorkingInput&, const Working&) {
    return true;
}

std::vector<SetKind> MakeKinds() {
    const Shape two{2, 2}, one{1, 1}, threeFour{3, 4}, twoThree{2, 3}, three{3, 3};
    const Shape decimal{1, 2, 1, 2}, tenths{1, 2, 1, 1};
    const auto carries = [](const WorkingInput&, const Working& w) {
        return HasRole(w, CellRole::Carry);
    };
    const auto noCarry = [](const WorkingInput&, const Working& w) {
        return !HasRole(w, CellRole::Carry);
    };
    const auto borrows = [](const WorkingInput& in, const Working& w) {
        return Different(in, w) && HasRole(w, CellRole::Borrow);
    };
    return {
        {{"g2-add", 2, "2けたのたし算（くり上がりなし）"}, '+', two, two, 0, noCarry},
        {{"g2-add-carry", 2, "2けたのたし算（くり上がりあり）"}, '+', two, two, 0, carries},
        {{"g2-sub", 2, "2けたのひき算（くり下がりなし）"},
         '-',
         two,
         two,
         0,
         [](const WorkingInput& in, const Working& w) {
             return Different(in, w) && !HasRole(w, CellRole::Borrow);
         }},
        {{"g2-sub-borrow", 2, "2けたのひき算（くり下がりあり）"}, '-', two, two, 0, borrows},
        {{"g3-add-carry", 3, "3けた・4けたのたし算（くり上がりあり）"},
         '+',
         threeFour,
         threeFour,
         0,
         carries},
        {{"g3-sub-borrow", 3, "3けた・4けたのひき算（くり下がりあり）"},
         '-',
         threeFour,
         threeFour,
         0,
         [borrows](const WorkingInput& in, const Working& w) {
             return borrows(in, w) && !HasPhrase(w, Phrase::BorrowAcrossZero);
         }},
        {{"g3-sub-borrow-zero", 3, "3けた・4けたのひき算（0のある位をこえるくり下がり）"},
         '-',
         threeFour,
         {2, 4},
         0,
         [](const WorkingInput&, const Working& w) {
             return HasPhrase(w, Phrase::BorrowAcrossZero);
         }},
        {{"g3-mul-1digit", 3, "2けた・3けた×1けたのかけ算"}, '*', twoThree, one, 0, Any},
        {{"g3-mul-2digit", 3, "2けた・3けた×2けたのかけ算"},
         '*',
         twoThree,
         two,
         0,
         [](const WorkingInput&, const Working& w) { return RowsOf(w, RowKind::Partial) >= 2; }},
        {{"g4-div-1digit", 4, "2けた・3けた÷1けたのわり算（あまりのあるものも）"},
         '/',
         twoThree,
         one,
         0,
         [](const WorkingInput&, const Working& w) { return !InnerZero(w); }},
        {{"g4-div-zero-quotient", 4, "商のとちゅうに0がたつわり算（3けた・4けた÷1けた）"},
         '/',
         threeFour,
         one,
         0,
         [](const WorkingInput&, const Working& w) { return InnerZero(w); }},
        {{"g4-div-2digit", 4, "3けた÷2けたのわり算（仮商がそのまま商になる）"},
         '/',
         three,
         two,
         0,
         [](const WorkingInput&, const Working& w) { return !HasStep(w, StepKind::Correct); }},
        {{"g4-div-2digit-correct", 4, "3けた÷2けたのわり算（仮商を修正する）"},
         '/',
         three,
         two,
         0,
         [](const WorkingInput&, const Working& w) { return HasStep(w, StepKind::Correct); }},
        {{"g4-dec-add", 4, "小数のたし算（小数第2位まで）"}, '+', decimal, decimal, 0, Any},
        {{"g4-dec-sub", 4, "小数のひき算（小数第2位まで）"}, '-', decimal, decimal, 0, Different},
        {{"g4-dec-mul-int", 4, "小数×整数のかけ算"}, '*', decimal, {1, 2}, 0, Any},
        {{"g4-dec-div-int", 4, "小数÷整数のわり算（わり進んで小数第2位までにわり切れる）"},
         '/',
         tenths,
         one,
         2,
         [](const WorkingInput&, const Working& w) { return w.remainder == "0"; }},
        {{"g5-dec-mul", 5, "小数×小数のかけ算"}, '*', decimal, {1, 1, 1, 2}, 0, Any},
        {{"g5-dec-div", 5, "小数÷小数のわり算（商は小数第1位まで、あまりも出す）"},
         '/',
         decimal,
         {1, 1, 1, 1},
         1,
         [](const WorkingInput&, const Working& w) { return w.quotient != "0"; }},
    };
}

const std::vector<SetKind>& Kinds() {
    static const std::vector<SetKind> kinds = MakeKinds();
    return kinds;
}

const SetKind* FindKind(std::string_view id) {
    for (const SetKind& k : Kinds()) {
        if (k.set.id == id) {
            return &k;
        }
    }
    return nullptr;
}

bool Follows(const SetKind& kind, const Problem& problem) {
    const WorkingInput& in = problem.input;
    if (in.op != kind.op || in.places != kind.places || problem.typed != TypedExpression(in) ||
        !kind.a.Fits(in.aInt, in.aDec) || !kind.b.Fits(in.bInt, in.bDec)) {
        return false;
    }
    const std::optional<Working> working = BuildWorking(in);
    return working && kind.rule(in, *working);
}

Problem Draw(const SetKind& kind, Generator& g) {
    Problem p;
    p.input.op = kind.op;
    p.input.places = kind.places;
    kind.a.Draw(g, p.input.aInt, p.input.aDec);
    kind.b.Draw(g, p.input.bInt, p.input.bDec);
    // A subtraction takes the larger number first; both are drawn in the same shape.
    if (kind.op == '-' &&
        CompareOperands(p.input.aInt, p.input.aDec, p.input.bInt, p.input.bDec) != 1) {
        std::swap(p.input.aInt, p.input.bInt);
        std::swap(p.input.aDec, p.input.bDec);
    }
    p.typed = TypedExpression(p.input);
    return p;
}

// Draws without a new problem before giving up: the rarest kind (a borrow across a 0) is kept
// about one draw in twenty, so this only ends a set that has run out of different problems.
constexpr int kFruitlessDraws = 2000;

}  // namespace

std::string TypedExpression(const WorkingInput& in) {
    auto number = [](const std::string& integer, const std::string& decimals) {
        return decimals.empty() ? integer : integer + "." + decimals;
    };
    return number(in.aInt, in.aDec) + in.op + number(in.bInt, in.bDec) + "=";
}

const std::vector<ProblemSet>& ProblemSets() {
    static const std::vector<ProblemSet> sets = [] {
        std::vector<ProblemSet> out;
        for (const SetKind& k : Kinds()) {
            out.push_back(k.set);
        }
        return out;
    }();
    return sets;
}

const ProblemSet* FindProblemSet(std::string_view id) {
    for (const ProblemSet& set : ProblemSets()) {
        if (set.id == id) {
            return &set;
        }
    }
    return nullptr;
}

std::vector<Problem> MakeProblems(std::string_view setId, std::uint64_t seed, int count) {
    std::vector<Problem> problems;
    const SetKind* kind = FindKind(setId);
    if (kind == nullptr) {
        return problems;
    }
    Generator g(seed);
    std::set<std::string> seen;
    for (int fruitless = 0;
         static_cast<int>(problems.size()) < count && fruitless < kFruitlessDraws;) {
        Problem p = Draw(*kind, g);
        if (Follows(*kind, p) && seen.insert(p.typed).second) {
            problems.push_back(std::move(p));
            fruitless = 0;
        } else {
            ++fruitless;
        }
    }
    return problems;
}

bool IsOfSet(std::string_view setId, const Problem& problem) {
    const SetKind* kind = FindKind(setId);
    return kind != nullptr && Follows(*kind, problem);
}

}  // namespace kazu
