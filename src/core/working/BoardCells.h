// Where the board drew the cells of a working: found in the texts of the same drawing, so a
// view can mark the cells a step reads and writes on the board itself.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/working/Working.h"

namespace kazu {

// One text the board wrote: its top-left corner, font size and text (UTF-8), as the recording
// canvas logs it.
struct BoardText {
    int x = 0, y = 0, size = 0;
    std::string text;
};

struct BoardRect {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // x1 <= x < x2, y1 <= y < y2
};

// The board's cell geometry the search needs (from BoardLayout).
struct BoardGrid {
    int fontSize = 0, halfSize = 0, cellWidth = 0, rowHeight = 0, textHeight = 0;
    int top = 0;  // texts above this are the expression line and the answer
};

class BoardCells {
  public:
    BoardCells(const Working& working, const std::vector<BoardText>& texts, const BoardGrid& grid);

    // Nothing for a cell the board does not draw (a carry with carries switched off, …).
    std::optional<BoardRect> Find(const CellRef& cell) const;
    // The rectangles of the cells a step reads and writes, in that order, those found.
    std::vector<BoardRect> OfStep(const Step& step) const;

  private:
    std::map<std::tuple<int, int, bool>, BoardRect> rects_;
};

}  // namespace kazu
