// Helpers shared by the written layouts.
#include "core/Keisandspv/Columns.h"

#include "core/Board.h"

namespace kazu {

int IntDigitFromRight(const std::string& digits, int k) {
    const int n = static_cast<int>(digits.size());
    return k < n ? digits[static_cast<size_t>(n - 1 - k)] - '0' : 0;
}

int DecDigit(const std::string& digits, int j) {
    return j <= static_cast<int>(digits.size()) ? digits[static_cast<size_t>(j - 1)] - '0' : 0;
}

StackedFrame MakeStackedFrame(const Board& board) {
    const BoardLayout& l = board.layout;
    StackedFrame f{};
    f.rightX = (board.operands.maxInt + 1) * l.cellWidth + l.originX;
    f.pointX = Trunc(f.rightX - l.cellWidth * 0.2L);
    f.signX = f.rightX - (board.operands.maxInt + 1) * l.cellWidth;
    f.y1 = board.FirstRowY();
    f.y2 = Trunc(f.y1 + l.rowHeight * 1.2L);
    return f;
}

void DrawIntDigits(Board& board, int rightX, int y, const std::string& digits) {
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        board.DrawCell(rightX - (n - i) * board.layout.cellWidth, y, board.colours.digit,
                       board.layout.fontSize, digits[static_cast<size_t>(i)], 0, 1);
    }
}

void DrawDecDigits(Board& board, int rightX, int y, const std::string& digits) {
    const int n = static_cast<int>(digits.size());
    for (int j = 0; j < n; ++j) {
        board.DrawCell(rightX + j * board.layout.cellWidth, y, board.colours.digit,
                       board.layout.fontSize, digits[static_cast<size_t>(j)], 0, 1);
    }
}

void CrossOutTrailingZeros(Board& board, int rightX, int y, const std::string& decimals,
                           Colour colour) {
    for (int j = static_cast<int>(decimals.size());
         j >= 1 && decimals[static_cast<size_t>(j - 1)] == '0'; --j) {
        board.DrawCell(rightX + (j - 1) * board.layout.cellWidth, y, colour, board.layout.fontSize,
                       0, 1, 1);
    }
}

void ShowAnswer(Board& board, const std::string& answer) {
    board.StepDelay();
    board.layout.cursorBlinkPhase = 1;
    board.DrawAnswer(Trunc(board.layout.answerX + board.layout.cellWidth * 1.2L), answer, "0");
}

}  // namespace kazu
