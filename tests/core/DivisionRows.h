// Reading a drawn division back the way a child reads it: the digits of one row from left to
// right, the point where it stands, struck-out digits left out, and what a later cell's
// background square covered gone.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/Board.h"
#include "core/RecordingCanvas.h"

namespace kazu {

// Keeps only what reading needs: texts, strike marks and background squares, in order.
class RowCanvas : public MetricsCanvas {
  public:
    enum class Kind { Text, Line, Fill };
    struct Event {
        Kind kind;
        int x1, y1, x2, y2, size;
        std::string text;
    };
    std::vector<Event> events;

    int TextOut(int x, int y, const std::string& text) override {
        events.push_back({Kind::Text, x, y, 0, 0, FontSize(), text});
        return MetricsCanvas::TextOut(x, y, text);
    }
    void Line(int x1, int y1, int x2, int y2, int width, Colour) override {
        events.push_back({Kind::Line, x1, y1, x2, y2, width, {}});
    }
    void FillRect(int x1, int y1, int x2, int y2, Colour) override {
        events.push_back({Kind::Fill, x1, y1, x2, y2, 0, {}});
    }
};

inline int FullWidthDigit(const std::string& text) {
    static const std::string kDigits = "０１２３４５６７８９";
    if (text.size() != 3) {
        return -1;
    }
    const size_t at = kDigits.find(text);
    return at == std::string::npos ? -1 : static_cast<int>(at / 3);
}

// The row of board digits whose top is at y, read left to right.
inline std::string ReadRow(const std::vector<RowCanvas::Event>& events, const BoardLayout& l,
                           int y) {
    struct Cell {
        char digit;
        bool struck;
    };
    std::map<int, Cell> cells;
    std::map<int, bool> points;  // x -> struck
    const int pointY = y + Trunc(l.textHeight * 0.6L);
    const int pointSize = Trunc(l.fontSize * 0.3L);
    for (const auto& e : events) {
        if (e.kind == RowCanvas::Kind::Text) {
            const int digit = FullWidthDigit(e.text);
            if (e.y1 == y && e.size == l.fontSize && digit >= 0) {
                cells[e.x1] = {static_cast<char>('0' + digit), false};
            } else if (e.y1 == pointY && e.size == pointSize && e.text == "●") {
                points[e.x1] = false;
            }
        } else if (e.kind == RowCanvas::Kind::Line && e.size == 2) {
            if (e.y1 == y + 1 && cells.count(e.x1 - 1) != 0) {
                cells[e.x1 - 1].struck = true;
            } else if (e.y1 == y + Trunc(l.cellWidth * 0.5L) && points.count(e.x1) != 0) {
                points[e.x1] = true;
            }
        } else if (e.kind == RowCanvas::Kind::Fill) {
            auto covered = [&e](int x, int top) {
                return x >= e.x1 && x < e.x2 && top >= e.y1 && top < e.y2;
            };
            std::erase_if(cells, [&](const auto& c) { return covered(c.first, y); });
            std::erase_if(points, [&](const auto& p) { return covered(p.first, pointY); });
        }
    }
    std::string text;
    auto point = points.begin();
    for (const auto& [x, cell] : cells) {
        for (; point != points.end() && point->first < x; ++point) {
            if (!point->second) {
                text += '.';
            }
        }
        if (!cell.struck) {
            text += cell.digit;
        }
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();  // only struck zeros after it
    }
    return text;
}

// The lowest row of board digits: the remainder's.
inline int LowestDigitRow(const std::vector<RowCanvas::Event>& events, const BoardLayout& l) {
    int y = -1;
    for (const auto& e : events) {
        if (e.kind == RowCanvas::Kind::Text && e.size == l.fontSize &&
            FullWidthDigit(e.text) >= 0) {
            y = std::max(y, e.y1);
        }
    }
    return y;
}

// The quotient row's y on a board without line break.
inline int QuotientRowY(const BoardLayout& l) {
    return Trunc(l.originY + l.rowHeight * 2.7L - l.scrollOffset);
}

}  // namespace kazu
