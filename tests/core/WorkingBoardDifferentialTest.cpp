// The written working and the board are two implementations of the same arithmetic: random
// calculations of every operator are typed into the board, drawn without pauses, read back row
// by row from the recorded canvas, and compared with the working's rows and answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "BoardFixture.h"
#include "DivisionRows.h"
#include "core/working/BoardCells.h"
#include "core/working/Working.h"

namespace kazu {
namespace {

// The board's rows of full-size digits from top to bottom, below the expression line. Texts
// whose tops lie within half a row of each other form one row: the board writes the set-aside
// zeros and a multiplication's product a few pixels off the digits they belong to.
std::vector<std::string> BoardRows(const std::vector<RowCanvas::Event>& events,
                                   const BoardLayout& l) {
    const int top = l.originY + l.rowHeight;
    const int pointSize = Trunc(l.fontSize * 0.3L);
    std::vector<int> ys;
    for (const auto& e : events) {
        if (e.kind == RowCanvas::Kind::Text && e.size == l.fontSize && e.y1 > top &&
            FullWidthDigit(e.text) >= 0) {
            ys.push_back(e.y1);
        }
    }
    std::sort(ys.begin(), ys.end());
    std::vector<std::pair<int, int>> bands;  // first y, last y
    for (int y : ys) {
        if (bands.empty() || y - bands.back().first >= l.rowHeight / 2) {
            bands.push_back({y, y});
        }
        bands.back().second = y;
    }
    std::vector<std::string> rows;
    for (const auto& [first, last] : bands) {
        struct Mark {
            char text;
            bool struck;
        };
        std::map<int, Mark> cells;  // key: 2x for digits, 2x - 1 for points, so a point sorts
                                    // before the digit that starts where it stands
        auto inBand = [&, f = first, t = last](int y) { return y >= f && y <= t; };
        for (const auto& e : events) {
            if (e.kind == RowCanvas::Kind::Text) {
                const int digit = FullWidthDigit(e.text);
                if (digit >= 0 && e.size == l.fontSize && inBand(e.y1)) {
                    cells[2 * e.x1] = {static_cast<char>('0' + digit), false};
                } else if (e.text == "●" && e.size == pointSize &&
                           inBand(e.y1 - Trunc(l.textHeight * 0.6L))) {
                    cells[2 * e.x1 - 1] = {'.', false};
                }
            } else if (e.kind == RowCanvas::Kind::Line && e.size == 2) {
                // A stroke that starts inside a cell crosses it out.
                for (auto& [key, mark] : cells) {
                    const int x = (key + 1) / 2;
                    // A point's own mark starts at its x; a cell's anywhere in the cell.
                    const int width = key % 2 != 0 ? 1 : l.cellWidth;
                    if (e.x1 >= x && e.x1 < x + width && e.y1 >= first &&
                        e.y1 < last + l.textHeight) {
                        mark.struck = true;
                    }
                }
            } else if (e.kind == RowCanvas::Kind::Fill) {
                std::erase_if(cells, [&](const auto& c) {
                    const int x = (c.first + 1) / 2;
                    return x >= e.x1 && x < e.x2 && first >= e.y1 && first < e.y2;
                });
            }
        }
        std::string text;
        for (const auto& [key, mark] : cells) {
            if (!mark.struck) {
                text += mark.text;
            }
        }
        rows.push_back(text);
    }
    return rows;
}

// A working row as a child reads it: left to right, crossed-out cells left out.
std::string RowText(const Row& row) {
    std::vector<const Cell*> cells;
    for (const Cell& c : row.cells) {
        cells.push_back(&c);
    }
    auto key = [](const Cell* c) { return c->text == '.' ? 2 * c->column - 1 : 2 * c->column; };
    std::sort(cells.begin(), cells.end(),
              [&](const Cell* p, const Cell* q) { return key(p) > key(q); });
    std::string text;
    for (const Cell* c : cells) {
        if (!c->struck) {
            text += c->text;
        }
    }
    return text;
}

std::string WithoutLeadingZeros(const std::string& text) {
    const size_t first = text.find_first_not_of('0');
    if (first == std::string::npos) {
        return text.empty() ? text : "0";
    }
    return first < text.size() && text[first] == '.' ? text.substr(first - 1) : text.substr(first);
}

std::string Describe(const Working& w) {
    std::ostringstream out;
    for (const Row& row : w.rows) {
        out << static_cast<int>(row.kind) << ":" << RowText(row) << " ";
    }
    return out.str();
}

// The working's rows that the board writes in full-size digits, in the order the board reads.
std::vector<std::string> ExpectedRows(const Working& w) {
    std::vector<std::string> rows;
    for (const Row& row : w.rows) {
        if (row.kind == RowKind::Carries || row.kind == RowKind::Borrows ||
            row.kind == RowKind::Divisor) {
            continue;
        }
        rows.push_back(RowText(row));
    }
    return rows;
}

// The whole-number layout writes the set-aside zeros twice when there are partial rows to add:
// beside the first partial row, just under the rule, and again beside the product.
void BringDownSetAsideZeros(const Working& w, bool wholeNumbers, std::vector<std::string>& rows) {
    const Row& answer = *std::find_if(w.rows.begin(), w.rows.end(),
                                      [](const Row& r) { return r.kind == RowKind::Answer; });
    const auto zeros = std::count_if(answer.cells.begin(), answer.cells.end(),
                                     [](const Cell& c) { return c.role == CellRole::SetAside; });
    const auto partials = std::count_if(w.rows.begin(), w.rows.end(),
                                        [](const Row& r) { return r.kind == RowKind::Partial; });
    if (wholeNumbers && zeros > 0 && partials > 0) {
        rows[2] += std::string(static_cast<size_t>(zeros), '0');
    }
}

// The small figures: the board's carries and reduced lenders, and the small 1 it writes before
// each digit that received a ten (an aid the working leaves out), as sorted digit texts.
std::string BoardSmallDigits(const std::vector<RowCanvas::Event>& events, const BoardLayout& l) {
    std::string digits;
    for (const auto& e : events) {
        const int digit = FullWidthDigit(e.text);
        if (e.kind == RowCanvas::Kind::Text && e.size == l.halfSize && digit >= 0 &&
            e.y1 > l.originY + l.rowHeight) {
            digits += static_cast<char>('0' + digit);
        }
    }
    std::sort(digits.begin(), digits.end());
    return digits;
}

std::string WorkingSmallDigits(const Working& w) {
    std::string digits;
    for (const Row& row : w.rows) {
        for (const Cell& c : row.cells) {
            if (c.role == CellRole::Carry || c.role == CellRole::Borrow) {
                digits += c.text;
            }
            if (c.role == CellRole::Borrow) {
                digits += '1';
            }
        }
    }
    std::sort(digits.begin(), digits.end());
    return digits;
}

// Every cell of the working is found on the board, in one place per row: the board's grid and
// the working's columns agree. The remainder row is left out: the board places it by value.
void CheckCellsFound(const Working& w, const std::vector<RowCanvas::Event>& events,
                     const BoardLayout& l, const std::string& what) {
    std::vector<BoardText> texts;
    for (const auto& e : events) {
        if (e.kind == RowCanvas::Kind::Text) {
            texts.push_back({e.x1, e.y1, e.size, e.text});
        }
    }
    const BoardCells cells(
        w, texts,
        {l.fontSize, l.halfSize, l.cellWidth, l.rowHeight, l.textHeight, l.originY + l.rowHeight});
    int last = -1;
    for (size_t r = 0; r < w.rows.size(); ++r) {
        if (w.rows[r].kind == RowKind::Difference) {
            last = static_cast<int>(r);
        }
    }
    // The board marks the divisor's moved point only beside a dividend's own moved point.
    bool dividendPointMoved = false;
    for (const Row& row : w.rows) {
        for (const Cell& c : row.cells) {
            dividendPointMoved |= row.kind == RowKind::Dividend && c.text == '.' && c.struck;
        }
    }
    for (size_t r = 0; r < w.rows.size(); ++r) {
        if (static_cast<int>(r) == last || (w.op == '/' && w.quotient == "0")) {
            continue;
        }
        for (const Cell& c : w.rows[r].cells) {
            if (w.rows[r].kind == RowKind::Divisor && c.text == '.' && !c.struck &&
                !dividendPointMoved) {
                continue;
            }
            EXPECT_TRUE(cells.Find({static_cast<int>(r), c.column, c.text == '.'}).has_value())
                << what << " row " << r << " column " << c.column << " '" << c.text << "'\n"
                << Describe(w);
        }
    }
}

// A number as a child types it: no leading zeros, sometimes decimals.
std::string Number(std::mt19937_64& random, int maxInt, int maxDec) {
    const int intLen = 1 + static_cast<int>(random() % static_cast<unsigned>(maxInt));
    std::string text;
    for (int i = 0; i < intLen; ++i) {
        const unsigned low = i == 0 && intLen > 1 ? 1 : 0;
        text += static_cast<char>('0' + low + random() % (10 - low));
    }
    // Often zeros at the end: set aside, cancelled, or borrowed across.
    if (intLen > 1 && random() % 3 == 0) {
        const int zeros = 1 + static_cast<int>(random() % static_cast<unsigned>(intLen - 1));
        text.replace(static_cast<size_t>(intLen - zeros), static_cast<size_t>(zeros),
                     static_cast<size_t>(zeros), '0');
    }
    const int decLen = random() % 2 ? 0 : static_cast<int>(random() % (maxDec + 1u));
    if (decLen > 0) {
        text += '.';
        for (int i = 0; i < decLen; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
    }
    return text;
}

TEST(WorkingBoardDifferential, RowsAndAnswersEqualTheBoards) {
    std::mt19937_64 random(20261209);
    RecordingHost host;
    RecordingVoice voice;
    RowCanvas canvas;
    AppSettings settings;
    settings.SIKISPEAK = 0;
    Kokuban model(host, voice, settings);
    model.Start(canvas, 96);
    const BoardLayout& l = model.board.layout;
    const std::string ops = "+-*/";
    int compared[4] = {};
    for (int n = 0; n < 20000; ++n) {
        const char op = ops[static_cast<size_t>(n % 4)];
        const int places = (n / 4) % 11;
        const std::string a = Number(random, 9, 5), b = Number(random, op == '/' ? 6 : 9, 5);
        const std::string expression = a + op + b + "=";
        model.VK_DeleteKey();
        model.settings.POINTMAX = places;
        host.messages.clear();
        canvas.events.clear();
        for (char ch : expression) {
            model.InputChar(ch);
        }
        if (model.state.entryOpen || !host.messages.empty()) {
            continue;  // refused: a larger second number, a division by zero
        }
        const BoardOperands& o = model.board.operands;
        const auto working = BuildWorking({o.aInt, o.aDec, o.bInt, o.bDec, op, places});
        ASSERT_TRUE(working.has_value()) << expression;
        const std::string board = std::regex_replace(o.result, std::regex("R"), "あまり");
        ASSERT_EQ(working->answer, board) << expression << " places " << places;

        EXPECT_EQ(BoardSmallDigits(canvas.events, l), WorkingSmallDigits(*working))
            << expression << "\n"
            << Describe(*working);
        CheckCellsFound(*working, canvas.events, l, expression);
        if (HasFailure()) {
            return;
        }
        std::vector<std::string> drawn = BoardRows(canvas.events, l);
        std::vector<std::string> expected = ExpectedRows(*working);
        if (op == '-') {
            // The board writes the difference in every column and greys the zeros that lead.
            drawn.back() = WithoutLeadingZeros(drawn.back());
        }
        if (op == '*') {
            BringDownSetAsideZeros(*working, o.aDec.empty() && o.bDec.empty(), expected);
        }
        if (op == '/') {
            // The board writes the divisor on the dividend's row and lays the remainder out its
            // own way; the remainder is held by value here.
            ASSERT_GE(drawn.size(), 3u) << expression;
            ASSERT_EQ(NormalizeNumberText(drawn.back()), working->remainder) << expression;
            drawn.erase(drawn.begin() + 1);
            drawn.pop_back();
            expected.erase(expected.begin() + 1);
            expected.pop_back();
            if (working->quotient == "0") {
                drawn.resize(1);  // the zero quotient's own drawing
                expected.resize(1);
            }
        }
        ASSERT_EQ(drawn, expected) << expression << " places " << places << "\n"
                                   << Describe(*working);
        ++compared[n % 4];
    }
    for (int count : compared) {
        EXPECT_GT(count, 2000);  // of 5000 each; half the subtractions are refused
    }
}

}  // namespace
}  // namespace kazu
