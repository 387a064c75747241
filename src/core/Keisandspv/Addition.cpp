// Addition written in columns: たされる数, ＋ たす数, the rule and the sum with its carries.
#include <algorithm>
#include <string>

#include "core/Board.h"
#include "core/Keisandspv/Layouts.h"

namespace kazu {
namespace {

// Digit k counted from the units (k = 0) of an integer digit text, 0 where there is none.
int IntDigitFromRight(const std::string& digits, int k) {
    const int n = static_cast<int>(digits.size());
    return k < n ? digits[static_cast<size_t>(n - 1 - k)] - '0' : 0;
}

// Decimal digit j (1 for tenths), 0 where the operand has fewer places.
int DecDigit(const std::string& digits, int j) {
    return j <= static_cast<int>(digits.size()) ? digits[static_cast<size_t>(j - 1)] - '0' : 0;
}

struct AdditionFrame {
    int rightX, pointX, signX, y1, y2;
};

AdditionFrame Frame(const Board& board) {
    const BoardLayout& l = board.layout;
    AdditionFrame f{};
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

// The integer columns of the sum, units first, continuing the carry chain; returns the
// integer digits of the sum, most significant first.
std::string AddIntegerColumns(Board& board, const AdditionFrame& f, int y3, int carryRaise,
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
    board.StepDelay();
    board.layout.cursorBlinkPhase = 1;
    board.operands.result = answer;
    board.DrawAnswer(Trunc(board.layout.answerX + board.layout.cellWidth * 1.2L), answer, "0");
}

// Integer digits, then (when there are decimals) the point, the decimal digits and the point
// again, since a digit's background square may have covered it. Moves labelX past the row.
void DrawDecimalOperand(Board& board, const AdditionFrame& f, int y, const std::string& intDigits,
                        const std::string& decDigits, int& labelX) {
    const BoardLayout& l = board.layout;
    DrawIntDigits(board, f.rightX, y, intDigits);
    if (decDigits.empty()) {
        return;
    }
    board.DrawCell(f.pointX, y, board.colours.sign, l.fontSize, '.', 0, 1);
    for (size_t j = 0; j < decDigits.size(); ++j) {
        board.DrawCell(f.rightX + static_cast<int>(j) * l.cellWidth, y, board.colours.digit,
                       l.fontSize, decDigits[j], 0, 1);
    }
    labelX = std::max(labelX, board.penX() + l.fontSize);
    board.DrawCell(f.pointX, y, board.colours.sign, l.fontSize, '.', 0, 1);
}

}  // namespace

void ColumnAddition(Board& board) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    const AdditionFrame f = Frame(board);

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
    const AdditionFrame f = Frame(board);

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

    for (int j = o.maxDec; j >= 1 && decimals[static_cast<size_t>(j - 1)] == '0'; --j) {
        board.DrawCell(f.rightX + (j - 1) * l.cellWidth, y3, board.colours.digit, l.fontSize, 0, 1,
                       1);
    }
    Finish(board, NormalizeNumberText(integer + "." + decimals));
}

}  // namespace kazu
