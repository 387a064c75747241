// Subtraction written in columns: 引かれる数, － 引く数, the rule and the difference, with the
// borrows marked the way they are written by hand.
#include <algorithm>
#include <string>

#include "core/Board.h"
#include "core/Keisandspv/Columns.h"
#include "core/Keisandspv/Layouts.h"

namespace kazu {
namespace {

// a − b − borrow for one column, taking ten from the column to the left when it goes below 0.
int SubtractColumn(int a, int b, int& borrow) {
    const int d = a - b - borrow;
    borrow = d < 0 ? 1 : 0;
    return d < 0 ? d + 10 : d;
}

// What a lender shows after giving ten: one less, or 9 for a 0, which first borrowed itself.
int ReducedDigit(int lender) {
    return lender == 0 ? 9 : lender - 1;
}

// The lender one column left of x on the first operand's row yA: struck through, its reduced
// digit above it, and a small 1 before the digit that received the ten. The decimal layout
// writes them closer together, its rows being tighter.
void MarkBorrow(Board& board, int x, int yA, int lender, bool decimalLayout) {
    const BoardLayout& l = board.layout;
    const ColourScheme& c = board.colours;
    const int lenderX = x - l.cellWidth;
    if (!decimalLayout) {
        board.DrawLineDelayed(lenderX, yA, lenderX + l.textHeight, yA + l.textHeight, 2, c.accentD,
                              1);
        board.DrawCellNow(x - l.fontSize / 3, yA - l.rowHeight / 3, c.carry, l.halfSize, 1);
        board.DrawCellNow(x + l.halfSize - l.cellWidth, Trunc(yA - l.rowHeight * 0.6L), c.lentDigit,
                          l.halfSize, ReducedDigit(lender));
        return;
    }
    board.DrawLineDelayed(lenderX, Trunc(yA + l.textHeight * 0.1L), Trunc(x - l.cellWidth * 0.2L),
                          Trunc(yA + l.textHeight * 0.8L), 2, c.accentC, 1);
    board.DrawCellNow(Trunc(x - l.cellWidth * 0.2L), Trunc(yA - l.rowHeight * 0.3L), c.carry,
                      l.halfSize, 1);
    board.DrawCellNow(Trunc(x - l.cellWidth * 0.6L), Trunc(yA - l.rowHeight * 0.5L), c.lentDigit,
                      l.halfSize, ReducedDigit(lender));
}

// The integer columns of the difference at row y, units first, continuing `borrow`; returns
// the integer digits, most significant first. The decimal layout draws the point once more
// after the units, since the units digit's square may have covered it.
std::string SubtractIntegerColumns(Board& board, const StackedFrame& f, int y, bool decimalLayout,
                                   int& borrow) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    std::string difference;
    for (int k = 0; k < o.maxInt; ++k) {
        const int x = f.rightX - (k + 1) * l.cellWidth;
        const int d =
            SubtractColumn(IntDigitFromRight(o.aInt, k), IntDigitFromRight(o.bInt, k), borrow);
        difference += static_cast<char>('0' + d);
        if (board.borrowsShown() == 1 && borrow == 1) {
            MarkBorrow(board, x, f.y1, IntDigitFromRight(o.aInt, k + 1), decimalLayout);
        }
        board.DrawCell(x, y, board.colours.digit, l.fontSize, d, 0, 1);
        if (k == 0 && decimalLayout) {
            board.DrawCellNow(f.pointX, y, board.colours.sign, l.fontSize, '.');
        }
    }
    std::reverse(difference.begin(), difference.end());
    return difference;
}

// The zeros a difference loses at its left, redrawn grey; the last digit always stays, so a
// difference of 0 keeps a plain 0.
void GreyLeadingZeros(Board& board, int rightX, int y, const std::string& digits, int delayed) {
    const BoardLayout& l = board.layout;
    const int length = static_cast<int>(digits.size());
    const int startX = rightX - length * l.cellWidth;
    for (int i = 1; i < length && digits[static_cast<size_t>(i - 1)] == '0'; ++i) {
        board.DrawCell(startX + (i - 1) * l.cellWidth, y, kLostZeroGrey, l.fontSize, '0', 0,
                       delayed);
    }
}

void DrawLabels(Board& board, int labelX, int labelY, Colour colour) {
    const BoardLayout& l = board.layout;
    if (l.labelsShown != 1) {
        return;
    }
    board.canvas()->SetFontColour(colour);
    labelX += l.fontSize / 2;
    const int ly = Trunc(labelY + l.rowHeight * 0.3L);
    board.DrawLabel(labelX, ly, "←引かれる数");
    board.DrawLabel(labelX, Trunc(ly + l.rowHeight * 1.3L), "←引く数");
    board.DrawLabel(labelX, Trunc(ly + l.rowHeight * 2.6L), "←差");
}

// The point, the decimal digits and the point again at once (a digit's square may have
// covered it); labelX moves past the row.
void DrawDecimals(Board& board, const StackedFrame& f, int y, const std::string& decimals,
                  int& labelX) {
    const BoardLayout& l = board.layout;
    board.DrawCell(f.pointX, y, board.colours.sign, l.fontSize, '.', 0, 1);
    DrawDecDigits(board, f.rightX, y, decimals);
    labelX = std::max(labelX, board.penX());
    board.DrawCellNow(f.pointX, y, board.colours.sign, l.fontSize, '.');
}

// Extends an operand's decimals with zeros to `places`, drawing them set apart in the
// underline colour; an operand without decimals first gets its point.
void PadDecimals(Board& board, const StackedFrame& f, int y, std::string& decimals, size_t places) {
    const BoardLayout& l = board.layout;
    const bool hadPoint = !decimals.empty();
    if (!hadPoint) {
        board.DrawCell(f.pointX, y, board.colours.accentB, l.fontSize, '.', 0, 1);
    }
    for (size_t j = decimals.size(); j < places; ++j) {
        board.DrawCell(f.rightX + static_cast<int>(j) * l.cellWidth, y, board.colours.underline,
                       l.fontSize, '0', 0, 1);
    }
    if (!hadPoint) {
        board.DrawCellNow(f.pointX, y, board.colours.accentB, l.fontSize, '.');
    }
    decimals.resize(places, '0');
}

}  // namespace

void ColumnSubtraction(Board& board) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    const StackedFrame f = MakeStackedFrame(board);

    DrawIntDigits(board, f.rightX, f.y1, o.aInt);
    const int labelX = board.penX();

    board.DrawCell(f.signX, f.y2, board.colours.equals, l.fontSize, '-', 0, 1);
    DrawIntDigits(board, f.rightX, f.y2, o.bInt);

    board.StepDelay();
    const int lineY = Trunc(f.y2 + l.rowHeight * 1.2L);
    board.DrawLine(f.signX, lineY, f.rightX, lineY, 4, board.colours.rule);
    const int y3 = Trunc(f.y2 + l.rowHeight * 1.6L);
    DrawLabels(board, labelX, f.y1, board.colours.note);

    int borrow = 0;
    const std::string difference = SubtractIntegerColumns(board, f, y3, false, borrow);
    GreyLeadingZeros(board, f.rightX, y3, difference, 0);

    // `result` keeps the leading zeros; the answer shown is normalised.
    board.operands.result = difference;
    ShowAnswer(board, NormalizeNumberText(difference));
}

void DecimalSubtraction(Board& board) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    const StackedFrame f = MakeStackedFrame(board);
    // The columns are worked on copies, the shorter decimals extended with zeros.
    std::string aDec = o.aDec;
    std::string bDec = o.bDec;

    DrawIntDigits(board, f.rightX, f.y1, o.aInt);
    int labelX = board.penX();
    if (!aDec.empty()) {
        DrawDecimals(board, f, f.y1, aDec, labelX);
    }

    board.DrawCell(f.signX, f.y2, board.colours.equals, l.fontSize, '-', 0, 1);
    DrawIntDigits(board, f.rightX, f.y2, o.bInt);
    if (!bDec.empty()) {
        DrawDecimals(board, f, f.y2, bDec, labelX);
    }

    const size_t places = static_cast<size_t>(o.maxDec);
    if (aDec.size() < places) {
        PadDecimals(board, f, f.y1, aDec, places);
    } else if (bDec.size() < places) {
        PadDecimals(board, f, f.y2, bDec, places);
    }
    DrawLabels(board, labelX, f.y1, board.colours.digit);

    board.StepDelay();
    const int lineY = Trunc(f.y2 + l.rowHeight * 1.2L);
    const int y3 = Trunc(f.y2 + l.rowHeight * 1.3L);
    const int yR = y3 + l.rowHeight / 3;
    board.DrawLine(f.signX, lineY, f.rightX + o.maxDec * l.cellWidth, lineY, 4, board.colours.rule);

    int borrow = 0;
    std::string decimals;
    for (int j = o.maxDec; j >= 1; --j) {
        const int x = f.rightX + (j - 1) * l.cellWidth;
        const int d = SubtractColumn(DecDigit(aDec, j), DecDigit(bDec, j), borrow);
        decimals += static_cast<char>('0' + d);
        if (board.borrowsShown() == 1 && borrow == 1) {
            const int lender = j == 1 ? IntDigitFromRight(o.aInt, 0) : DecDigit(aDec, j - 1);
            MarkBorrow(board, x, f.y1, lender, true);
        }
        board.DrawCell(x, yR, board.colours.digit, l.fontSize, d, 0, 1);
    }
    std::reverse(decimals.begin(), decimals.end());
    board.DrawCell(f.pointX, yR, board.colours.sign, l.fontSize, '.', 0, 1);

    const std::string integer = SubtractIntegerColumns(board, f, yR, true, borrow);
    GreyLeadingZeros(board, f.rightX, yR, integer, 1);
    CrossOutTrailingZeros(board, f.rightX, yR, decimals, board.colours.note);

    const std::string answer = NormalizeNumberText(integer + "." + decimals);
    board.operands.result = answer;
    ShowAnswer(board, answer);
}

}  // namespace kazu
