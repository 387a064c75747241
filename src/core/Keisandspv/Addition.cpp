// Addition written in columns: たされる数, ＋ たす数, the rule and the sum with its carries.
#include <algorithm>
#include <string>

#include "core/Board.h"
#include "core/Keisandspv/Columns.h"
#include "core/Keisandspv/Layouts.h"

namespace kazu {
namespace {

// The integer columns of the sum, units first, continuing the carry chain; returns the
// integer digits of the sum, most significant first.
std::string AddIntegerColumns(Board& board, const StackedFrame& f, int y3, int carryRaise,
                              int& carry, bool redrawPointAfterUnits) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    std::string sum;
    int x = f.rightX;
    for (int k = 0; k < o.maxInt; ++k) {
        const int s = IntDigitFromRight(o.aInt, k) + IntDigitFromRight(o.bInt, k) + carry;
        carry = s / 10;
        const int d = s % 10;
        sum += static_cast<char>('0' + d);
        x = f.rightX - (k + 1) * l.cellWidth;
        if (board.carriesShown() == 1 && carry > 0) {
            board.DrawCell(x - l.digitWidth / 2, y3 - carryRaise, board.colours.carry, l.halfSize,
                           carry, 0, 1);
        }
        board.DrawCell(x, y3, board.colours.digit, l.fontSize, d, 0, 1);
        if (k == 0 && redrawPointAfterUnits) {
            board.DrawCellNow(f.pointX, y3, board.colours.sign, l.fontSize, '.');
        }
    }
    if (carry > 0) {
        sum += static_cast<char>('0' + carry);
        board.DrawCellNow(x - l.cellWidth, y3, board.colours.digit, l.fontSize, carry);
    }
    std::reverse(sum.begin(), sum.end());
    return sum;
}

void Finish(Board& board, const std::string& answer) {
    board.operands.result = answer;
    ShowAnswer(board, answer);
}

// Integer digits, then (when there are decimals) the point, the decimal digits and the point
// again, since a digit's background square may have covered it. Moves labelX past the row.
void DrawDecimalOperand(Board& board, const StackedFrame& f, int y, const std::string& intDigits,
                        const std::string& decDigits, int& labelX) {
    const BoardLayout& l = board.layout;
    DrawIntDigits(board, f.rightX, y, intDigits);
    if (decDigits.empty()) {
        return;
    }
    board.DrawCell(f.pointX, y, board.colours.sign, l.fontSize, '.', 0, 1);
    DrawDecDigits(board, f.rightX, y, decDigits);
    labelX = std::max(labelX, board.penX() + l.fontSize);
    board.DrawCell(f.pointX, y, board.colours.sign, l.fontSize, '.', 0, 1);
}

}  // namespace

void ColumnAddition(Board& board) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    const StackedFrame f = MakeStackedFrame(board);

    DrawIntDigits(board, f.rightX, f.y1, o.aInt);
    const int labelX = board.penX() + l.fontSize;
    board.DrawLabel(labelX, f.y1 + l.fontSize / 2, "←たされる数");

    board.DrawCell(f.signX, f.y2, board.colours.equals, l.fontSize, '+', 0, 1);
    DrawIntDigits(board, f.rightX, f.y2, o.bInt);
    board.DrawLabel(labelX, f.y2 + l.fontSize / 2, "←たす数　　");
    board.StepDelay();

    const int lineY = Trunc(f.y2 + l.rowHeight * 1.2L);
    const int y3 = Trunc(f.y2 + l.rowHeight * 1.8L);
    board.DrawLine(f.signX, lineY, f.rightX, lineY, 4, board.colours.rule);
    board.DrawLabel(labelX, y3, "←和");

    int carry = 0;
    const std::string sum = AddIntegerColumns(board, f, y3, l.rowHeight / 3, carry, false);
    Finish(board, sum);
}

void DecimalAddition(Board& board) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    const StackedFrame f = MakeStackedFrame(board);

    DrawIntDigits(board, f.rightX, f.y1, o.aInt);
    int labelX = board.penX() + l.fontSize;
    const int labelY = f.y1;
    // The label column is measured after the integer digits, so they are drawn on their own.
    DrawDecimalOperand(board, f, f.y1, "", o.aDec, labelX);

    board.DrawCell(f.signX, f.y2, board.colours.equals, l.fontSize, '+', 0, 1);
    DrawDecimalOperand(board, f, f.y2, o.bInt, o.bDec, labelX);

    const int ly = Trunc(labelY + l.rowHeight * 0.3L);
    board.DrawLabel(labelX, ly, "←たされる数");
    board.DrawLabel(labelX, Trunc(ly + l.rowHeight * 1.3L), "←たす数");
    board.DrawLabel(labelX, Trunc(ly + l.rowHeight * 2.6L), "←和");
    board.StepDelay();

    const int lineY = Trunc(f.y2 + l.rowHeight * 1.2L);
    int y3 = Trunc(f.y2 + l.rowHeight * 1.6L);
    board.DrawLine(f.signX, lineY, f.rightX + o.maxDec * l.cellWidth, lineY, 4, board.colours.rule);
    if (board.carriesShown() == 1) {
        y3 = Trunc(y3 + l.rowHeight * 0.3L);
    }
    const int carryRaise = Trunc(l.rowHeight * 0.4L);

    int carry = 0;
    std::string decimals;
    for (int j = o.maxDec; j >= 1; --j) {
        const int s = DecDigit(o.aDec, j) + DecDigit(o.bDec, j) + carry;
        carry = s / 10;
        const int d = s % 10;
        decimals += static_cast<char>('0' + d);
        const int x = f.rightX + (j - 1) * l.cellWidth;
        if (board.carriesShown() == 1 && carry > 0) {
            board.DrawCell(x - l.digitWidth / 2, y3 - carryRaise, board.colours.carry, l.halfSize,
                           carry, 0, 1);
        }
        board.DrawCell(x, y3, board.colours.digit, l.fontSize, d, 0, 1);
    }
    std::reverse(decimals.begin(), decimals.end());
    board.DrawCell(f.pointX, y3, board.colours.sign, l.fontSize, '.', 0, 1);

    const std::string integer = AddIntegerColumns(board, f, y3, carryRaise, carry, true);

    CrossOutTrailingZeros(board, f.rightX, y3, decimals, board.colours.digit);
    Finish(board, NormalizeNumberText(integer + "." + decimals));
}

}  // namespace kazu
