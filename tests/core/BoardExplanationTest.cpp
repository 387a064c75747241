// The explanation's marks: for random calculations of every operator, each step's cells are
// found on the board in rectangles that hold the board's own text of those cells.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "BoardFixture.h"
#include "core/working/BoardExplanation.h"

namespace kazu {
namespace {

// A number as a child types it: up to `digits` digits before the point, sometimes decimals.
std::string Number(std::mt19937& random, int digits) {
    const auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::string text(1, static_cast<char>('0' + between(1, 9)));
    for (int i = between(1, digits); i > 1; --i) {
        text += static_cast<char>('0' + between(0, 3) * between(0, 3));  // zeros are frequent
    }
    if (between(0, 2) == 0) {
        text += '.';
        for (int i = between(1, 3); i > 0; --i) {
            text += static_cast<char>('0' + between(0, 9));
        }
    }
    return text;
}

// What the board writes for a cell: a full-width digit, or the point's dot.
std::string BoardTextOf(char cell) {
    return cell == '.' ? "●" : ToFullWidth(cell);
}

// The last text the board wrote with its box inside the rectangle.
const BoardText* TextInside(const std::vector<BoardText>& texts, const BoardRect& r,
                            Canvas& metrics) {
    const BoardText* inside = nullptr;
    for (const BoardText& t : texts) {
        metrics.SetFontSize(t.size);
        if (t.x >= r.x1 && t.y >= r.y1 && t.x + metrics.TextWidth(t.text) <= r.x2 &&
            t.y + metrics.TextHeight(t.text) <= r.y2) {
            inside = &t;
        }
    }
    return inside;
}

TEST(BoardExplanation, EveryStepsCellsHoldTheBoardsTextOfThem) {
    std::mt19937 random(4027);
    BoardFixture f;
    f.model.settings.SIKISPEAK = 0;
    f.model.settings.KEYSPEAK = 0;
    const std::string ops = "+-*/";
    int marked = 0;
    for (int n = 0; n < 1500; ++n) {
        const char op = ops[static_cast<size_t>(n % 4)];
        std::string a = Number(random, op == '*' ? 4 : 6), b = Number(random, 4);
        if (op == '-' && std::stold(a) < std::stold(b)) {
            std::swap(a, b);
        }
        f.model.VK_DeleteKey();
        f.model.settings.POINTMAX = n % 4;
        f.Type(a + op + b + "=");
        const std::string what = a + op + b + " places " + std::to_string(n % 4);
        // The repaint that finds the cells is drawn through this recorder too.
        TextRecorder texts(f.metrics);
        f.model.board.SetCanvas(&texts);
        const auto explanation = ExplainBoard(f.model);
        f.model.board.SetCanvas(&f.canvas);
        if (f.model.division.status == DivisionStatus::kOverflow) {
            continue;
        }
        ASSERT_TRUE(explanation.has_value()) << what;
        const Working& w = explanation->working;
        ASSERT_EQ(explanation->sentences.size(), w.steps.size()) << what;
        for (size_t s = 0; s < w.steps.size(); ++s) {
            const Step& step = w.steps[s];
            for (const auto* refs : {&step.reads, &step.writes}) {
                for (const CellRef& ref : *refs) {
                    const auto rect = explanation->cells.Find(ref);
                    if (!rect) {
                        continue;
                    }
                    const Cell* cell = w.Find(ref);
                    ASSERT_NE(cell, nullptr) << what;
                    const BoardText* text = TextInside(texts.texts(), *rect, f.metrics);
                    ASSERT_NE(text, nullptr) << what << " step " << s + 1;
                    EXPECT_EQ(text->text, BoardTextOf(cell->text))
                        << what << " step " << s + 1 << " row " << ref.row << " column "
                        << ref.column;
                    ++marked;
                }
            }
            // A step that names cells shows at least one of them, so the child sees where.
            if (!step.reads.empty() || !step.writes.empty()) {
                EXPECT_FALSE(explanation->cells.OfStep(step).empty())
                    << what << " step " << s + 1 << " " << explanation->sentences[s];
            }
        }
    }
    EXPECT_GT(marked, 10000);
}

}  // namespace
}  // namespace kazu
