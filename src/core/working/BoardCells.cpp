#include "core/working/BoardCells.h"

#include <algorithm>
#include <climits>

namespace kazu {

namespace {

int DigitOf(const std::string& text) {
    static const std::string kFullWidth = "０１２３４５６７８９";
    const size_t at = text.size() == 3 ? kFullWidth.find(text) : std::string::npos;
    return at == std::string::npos ? -1 : static_cast<int>(at / 3);
}

// Texts of one size whose tops lie within half a row of each other: one row of the board.
struct Band {
    int first = 0, last = 0;
    std::vector<const BoardText*> digits;
};

std::vector<Band> Bands(const std::vector<BoardText>& texts, const BoardGrid& g, int size) {
    std::vector<const BoardText*> digits;
    for (const BoardText& t : texts) {
        if (t.size == size && t.y > g.top && DigitOf(t.text) >= 0) {
            digits.push_back(&t);
        }
    }
    std::stable_sort(digits.begin(), digits.end(),
                     [](const BoardText* a, const BoardText* b) { return a->y < b->y; });
    std::vector<Band> bands;
    for (const BoardText* t : digits) {
        if (bands.empty() || t->y - bands.back().first >= g.rowHeight / 2) {
            bands.push_back({t->y, t->y, {}});
        }
        bands.back().last = t->y;
        bands.back().digits.push_back(t);
    }
    // A cell drawn again counts once, as it stands at the end.
    for (Band& band : bands) {
        std::map<int, const BoardText*> byX;
        for (const BoardText* t : band.digits) {
            byX[t->x] = t;
        }
        band.digits.clear();
        for (const auto& [x, t] : byX) {
            band.digits.push_back(t);
        }
    }
    return bands;
}

struct Fit {
    int votes = 0;
    int originX = 0;  // the x of column 0
};

// The placement of the row's digits (those `part` takes) on the band that matches most of them.
// Only texts right of `minX` count.
template <typename Part>
Fit Vote(const Row& row, const Band& band, int cellWidth, Part part, int minX = INT_MIN) {
    std::map<int, int> votes;
    for (const Cell& c : row.cells) {
        for (const BoardText* t : band.digits) {
            if (c.text != '.' && part(c) && t->x > minX && DigitOf(t->text) == c.text - '0') {
                ++votes[t->x + c.column * cellWidth];
            }
        }
    }
    Fit best;
    for (const auto& [x, n] : votes) {
        if (n > best.votes) {
            best = {n, x};
        }
    }
    return best;
}

// A decimal divisor's decimals stand on a grid of their own, past its point's cell; every
// other row is on one grid.
struct RowFit {
    int votes = 0;
    Fit integers, decimals;
};

RowFit FitRow(const Row& row, const Band& band, int cellWidth) {
    if (row.kind != RowKind::Divisor) {
        const Fit f = Vote(row, band, cellWidth, [](const Cell&) { return true; });
        return {f.votes, f, f};
    }
    const Fit i = Vote(row, band, cellWidth, [](const Cell& c) { return c.column >= 0; });
    const Fit d = Vote(
        row, band, cellWidth, [](const Cell& c) { return c.column < 0; }, i.originX);
    return {i.votes + d.votes, i, d};
}

int DigitCells(const Row& row) {
    return static_cast<int>(std::count_if(row.cells.begin(), row.cells.end(),
                                          [](const Cell& c) { return c.text != '.'; }));
}

}  // namespace

BoardCells::BoardCells(const Working& working, const std::vector<BoardText>& texts,
                       const BoardGrid& g) {
    const int pointSize = g.fontSize * 3 / 10;
    for (const bool small : {false, true}) {
        std::vector<Band> bands = Bands(texts, g, small ? g.halfSize : g.fontSize);
        const int width = small ? g.cellWidth / 2 : g.cellWidth;
        const int height = small ? g.textHeight / 2 : g.textHeight;
        int next = 0;  // rows and bands go down the board together
        RowKind previous = RowKind::Quotient;
        for (size_t r = 0; r < working.rows.size(); ++r) {
            const Row& row = working.rows[r];
            const bool smallRow = row.kind == RowKind::Carries || row.kind == RowKind::Borrows;
            if (smallRow != small || row.cells.empty()) {
                continue;
            }
            // The dividend shares the divisor's row; every other row has one of its own.
            int from = row.kind == RowKind::Dividend && previous == RowKind::Divisor && next > 0
                           ? next - 1
                           : next;
            int chosen = -1;
            RowFit fit;
            for (int b = from; b < static_cast<int>(bands.size()) && b < from + 3; ++b) {
                const RowFit f = FitRow(row, bands[static_cast<size_t>(b)], g.cellWidth);
                if (f.votes > fit.votes) {
                    fit = f;
                    chosen = b;
                }
                if (f.votes == DigitCells(row)) {
                    break;  // the nearest band that holds the whole row
                }
            }
            if (chosen < 0) {
                continue;
            }
            next = chosen + 1;
            previous = row.kind;
            Band& band = bands[static_cast<size_t>(chosen)];
            for (const Cell& c : row.cells) {
                const int x =
                    (c.column < 0 ? fit.decimals : fit.integers).originX - c.column * g.cellWidth;
                if (c.text != '.') {
                    // Taken off the band: the dividend shares the divisor's band.
                    const auto t = std::find_if(
                        band.digits.begin(), band.digits.end(), [&](const BoardText* d) {
                            return d->x == x && DigitOf(d->text) == c.text - '0';
                        });
                    if (t != band.digits.end()) {
                        rects_[{static_cast<int>(r), c.column, false}] = {x, (*t)->y, x + width,
                                                                          (*t)->y + height};
                        band.digits.erase(t);
                    }
                    continue;
                }
                for (const BoardText& t : texts) {
                    const int top = t.y - g.textHeight * 6 / 10;
                    if (t.text == "●" && t.size == pointSize && top >= band.first - 1 &&
                        top <= band.last + 1 && t.x >= x + g.cellWidth / 2 &&
                        t.x < x + g.cellWidth * 3 / 2) {
                        // The dot is a full-width character: its box scales with a digit's.
                        const int w = (g.cellWidth * t.size + g.fontSize - 1) / g.fontSize;
                        const int h = (g.textHeight * t.size + g.fontSize - 1) / g.fontSize;
                        rects_[{static_cast<int>(r), c.column, true}] = {t.x, t.y, t.x + w,
                                                                         t.y + h};
                    }
                }
            }
        }
    }
}

std::optional<BoardRect> BoardCells::Find(const CellRef& cell) const {
    const auto at = rects_.find({cell.row, cell.column, cell.point});
    if (at == rects_.end()) {
        return std::nullopt;
    }
    return at->second;
}

std::vector<BoardRect> BoardCells::OfStep(const Step& step) const {
    std::vector<BoardRect> rects;
    for (const auto* refs : {&step.reads, &step.writes}) {
        for (const CellRef& ref : *refs) {
            if (const auto rect = Find(ref)) {
                rects.push_back(*rect);
            }
        }
    }
    return rects;
}

}  // namespace kazu
