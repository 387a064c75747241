// Long division as it is written in a school notebook (筆算): 割る数 left of the bracket,
// 割られる数 under the vinculum, 商 above it, and for every non-zero quotient digit a product
// row, an underline and a difference row, down to 余り. The answer itself comes from the
// evaluation at "="; the working here only draws it.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "core/Board.h"
#include "core/Keisandspv/Layouts.h"
#include "core/Kokuban_v24/Keys.h"

namespace kazu {

// What a division layout hands to its engine, and what the engine leaves for the remainder.
// Columns are dividend cells counted from 1 at the left.
struct DivisionWork {
    bool decimal = false;   // DecimalDivision
    int rightX = 0;         // R
    std::string dividend;   // the working dividend's digits, cancelled and appended zeros included
    std::string divisor;    // the digits the engine divides by
    int walked = 0;         // the dividend digits the quotient is worked over
    int edge = 0;           // E: the right end of the cells under the vinculum
    int pointColumn = 0;    // the cell left of the dividend's own (typed) point
    int unitsColumn = 0;    // the cell left of the moved point: the quotient's units
    int lastColumn = 0;     // the last cell the remainder row shows
    int ownDigitsLeft = 0;  // the dividend's own digits right of the last walked one
    int64_t rest = 0;       // the dividend less all products, in units of its last digit
    int64_t remainder = 0;  // the engine's last running remainder
    int lastDigit = 0;      // the quotient's last digit
    int firstDigitColumn = 0;
    int remainderY = 0;
    int underlineY = 0, underlineEndX = 0;
};

namespace {

constexpr Colour kSilver = 0xC0C0C0;
constexpr Colour kCyan = 0x00FFFF;
constexpr int kDotStep = 4;  // the guide: a dot of 2 pixels every 4

const char* const kOverflowText =
    "＜オーバーフロウ＞\n ケタ数オーバーしました。商の小数の位を減らして下さい。\n"
    "Deleteキーを押して再入力します。";

int Size(const std::string& text) {
    return static_cast<int>(text.size());
}

// The digits as a signed 64-bit number; false when they do not fit.
bool ReadInt64(const std::string& digits, int64_t& value) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    value = 0;
    for (char ch : digits) {
        const int digit = ch - '0';
        if (value > (kMax - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    return true;
}

int64_t Pow10(int exponent) {
    int64_t power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

std::string WithoutLeadingZeros(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// Rows and columns of one division on the board.
struct Grid {
    int w, h, f, rightX, y, ruleY, quotientY, baseY;

    int Column(int j) const { return rightX + (j - 3) * w; }
    // The point right of cell j, in the right fifth of that cell.
    int PointAfter(int j) const { return Trunc(rightX + (j - 2) * w - w * 0.2L); }
    int ProductY(int k) const { return Trunc(baseY - h * 1.6L + h * 2.4L * k); }
    int UnderlineY(int k) const { return Trunc(baseY - h * 0.4L + h * 2.4L * k); }
    int DifferenceY(int k) const { return Trunc(baseY - h * 0.3L + h * 2.4L * k); }
};

Grid MakeGrid(const Board& board, int rightX) {
    const BoardLayout& l = board.layout;
    Grid g{};
    g.w = l.cellWidth;
    g.h = l.rowHeight;
    g.f = l.fontSize;
    g.rightX = rightX;
    const int lineBreak = board.lineBreakMode() == 1 ? l.rowHeight : 0;
    g.y = l.originY + 4 * l.rowHeight - l.scrollOffset + lineBreak;
    g.ruleY = Trunc(g.y - l.rowHeight * 0.1L);
    g.quotientY = Trunc(l.originY + l.rowHeight * 2.7L - l.scrollOffset) + lineBreak;
    g.baseY = Trunc(g.y + l.rowHeight * 0.3L);
    return g;
}

void DrawDigitAt(Board& board, const Grid& g, int column, int y, Colour colour, int digit,
                 int strike, int delayed) {
    board.DrawCell(g.Column(column), y, colour, g.f, digit, strike, delayed);
}

void BringDown(Board& board, const Grid& g, const std::string& working, int column, int y,
               int64_t remainder, int& zerosNotBroughtDown) {
    const char digit = working[static_cast<size_t>(column - 1)];
    if (remainder != 0 || digit != '0') {
        DrawDigitAt(board, g, column, y, board.colours.digit, digit, 0, 1);
    } else {
        ++zerosNotBroughtDown;
    }
}

int DigitCount(int64_t value) {
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

// The digit of the remainder row in `column`: the rest value ends in the dividend's last cell,
// and the cells beyond lastColumn hold only zeros.
int RemainderDigit(const DivisionWork& work, int column) {
    const int fromRight = Size(work.dividend) - column;
    // 10^19 is beyond every rest value.
    return fromRight < 19 ? static_cast<int>(work.rest / Pow10(fromRight) % 10) : 0;
}

// The remainder row of a zero quotient: the dividend itself.
void DrawZeroQuotient(Board& board, const Grid& g, DivisionWork& work, int lineStartX) {
    const BoardOperands& o = board.operands;
    const Colour digit = board.colours.digit;
    const int lastCell = work.decimal ? Size(work.dividend) : o.aIntCount;
    board.DrawCell(g.Column(lastCell), Trunc(g.y - g.h * 1.3L), digit, g.f, '0', 0, 1);
    board.DrawCell(g.Column(lastCell), Trunc(g.y + g.h * 1.2L), digit, g.f, '0', 0, 1);
    const int lineY = Trunc(g.ruleY + g.h * 2.5L);
    board.DrawLineDelayed(lineStartX, lineY, work.edge, lineY, 4, board.colours.rule, 1);
    work.remainderY = Trunc(g.y + g.h * 2.6L);
    for (int j = 1; j <= o.aIntCount; ++j) {
        DrawDigitAt(board, g, j, work.remainderY, digit, o.aInt[static_cast<size_t>(j - 1)], 0, 1);
    }
    if (work.decimal && o.aDecCount > 0) {
        for (int j = 1; j <= o.aDecCount; ++j) {
            DrawDigitAt(board, g, o.aIntCount + j, work.remainderY, digit,
                        o.aDec[static_cast<size_t>(j - 1)], 0, 1);
        }
        board.DrawCell(g.PointAfter(o.aIntCount), work.remainderY, board.colours.sign, g.f, '.', 0,
                       0);
    }
}

void DrawLabels(Board& board, const Grid& g, const DivisionWork& work, int dividendEndX,
                int divisorLabelX) {
    if (board.layout.labelsShown != 1) {
        return;
    }
    const DivisionRecord& record = board.division();
    const int labelX = dividendEndX + g.w / 2;
    const std::string open = work.decimal ? "[" : "［";
    const int length = Size(record.quotientText);
    const std::string quotientLabel =
        record.quotientDecimals == 0
            ? "←" + open + "商:" + std::to_string(length) + "ケタ,末位:整数の位］"
            : "←" + open + "商:" + std::to_string(length - 1) + "ケタ,末位:小数第" +
                  std::to_string(record.quotientDecimals) + "位］";
    Canvas& canvas = *board.canvas();
    canvas.SetFontColour(board.colours.answer);
    board.DrawLabel(labelX, Trunc(g.y - board.layout.textHeight * 1.2L), quotientLabel);
    canvas.SetFontColour(board.colours.digit);
    board.DrawLabel(labelX, g.y, "←割られる数");
    board.DrawLabel(labelX, work.remainderY, "←余り");
    board.DrawLabel(divisorLabelX, g.y - board.layout.textHeight, "割る数↓");
}

// The row is wiped and a lone 0 stands for a remainder of nothing.
void DrawZeroRemainder(Board& board, const Grid& g, const DivisionWork& work, int zeroX,
                       int delayed) {
    board.canvas()->FillRect(g.Column(1), work.remainderY, work.edge, work.remainderY + g.f,
                             board.colours.background);
    board.DrawCell(zeroX, work.remainderY, board.colours.sign, g.f, '0', 0, delayed);
}

// A remainder worked down to a last quotient digit 0: the remainder text written again in its
// columns, its point at the dividend's point and, when it has fewer decimals than the row has
// places, struck zeros up to the last cell.
void RewriteRemainder(Board& board, const Grid& g, const DivisionWork& work) {
    const DivisionRecord& record = board.division();
    const std::string& text = record.remainderText;
    const size_t point = text.find('.');
    const std::string integer = text.substr(0, point);
    const std::string decimals = point == std::string::npos ? "" : text.substr(point + 1);
    const int y = work.remainderY;
    const ColourScheme& c = board.colours;
    for (int j = 0; j < Size(integer); ++j) {
        DrawDigitAt(board, g, work.pointColumn - Size(integer) + 1 + j, y, c.digit,
                    integer[static_cast<size_t>(j)], 0, 1);
    }
    const int places = work.lastColumn - work.pointColumn;
    if (places == 0) {
        return;
    }
    board.DrawCell(g.PointAfter(work.pointColumn), y, c.digit, g.f, '.', 0, 1);
    for (int j = 1; j <= places; ++j) {
        const bool own = j <= Size(decimals);
        DrawDigitAt(board, g, work.pointColumn + j, y, own ? c.digit : c.note,
                    own ? decimals[static_cast<size_t>(j - 1)] : '0', own ? 0 : 1, 1);
    }
}

// Trailing zeros of the remainder's places, struck out from the last cell leftwards.
void StrikeTrailingZeros(Board& board, const Grid& g, const DivisionWork& work, bool pause) {
    for (int column = work.lastColumn;
         column > work.pointColumn && RemainderDigit(work, column) == 0; --column) {
        DrawDigitAt(board, g, column, work.remainderY, board.colours.underline, '0', 1, 1);
        if (pause) {
            board.StepDelay();
        }
    }
}

void DrawDecimalRemainder(Board& board, const Grid& g, const DivisionWork& work) {
    const ColourScheme& c = board.colours;
    const int y = work.remainderY;
    const int pointX = g.PointAfter(work.pointColumn);
    board.DrawCell(pointX, y, c.accentB, g.f, '.', 0, 1);
    bool belowOne = true;
    for (int column = 1; column <= work.pointColumn; ++column) {
        belowOne = belowOne && RemainderDigit(work, column) == 0;
    }
    if (!belowOne) {
        for (int column = work.lastColumn - work.ownDigitsLeft + 1; column <= work.lastColumn;
             ++column) {
            DrawDigitAt(board, g, column, y, c.digit, RemainderDigit(work, column), 0, 1);
        }
        board.DrawCell(pointX, y, c.accentB, g.f, '.', 0, 0);
        StrikeTrailingZeros(board, g, work, true);
        return;
    }
    DrawDigitAt(board, g, work.pointColumn, y, c.underline, '0', 0, 1);
    board.DrawCell(pointX, y, c.accentB, g.f, '.', 0, 0);
    bool leading = true;
    for (int column = work.pointColumn + 1; column < work.lastColumn; ++column) {
        const int digit = RemainderDigit(work, column);
        leading = leading && digit == 0;
        board.DrawCell(pointX, y, c.accentB, g.f, '.', 0, 0);
        DrawDigitAt(board, g, column, y, leading ? c.underline : c.digit, digit, 0, 1);
        board.DrawCell(pointX, y, c.accentB, g.f, '.', 0, 0);
    }
    StrikeTrailingZeros(board, g, work, false);
    board.StepDelay();
    board.DrawLine(g.Column(work.pointColumn + 1), work.underlineY, work.underlineEndX,
                   work.underlineY, 3, c.rule);
}

// A whole remainder in a row that has places right of the dividend's point: the point, and
// those places struck out as zeros.
void DrawWholeRemainderPlaces(Board& board, const Grid& g, const DivisionWork& work) {
    const int y = work.remainderY;
    board.DrawCell(g.PointAfter(work.pointColumn), y, board.colours.sign, g.f, '.', 0, 1);
    for (int column = work.lastColumn; column > work.pointColumn; --column) {
        DrawDigitAt(board, g, column, y, board.colours.underline, '0', 1, 1);
    }
}

// The remainder of a worked division, under the engine's last difference row.
void DrawRemainder(Board& board, const Grid& g, const DivisionWork& work, int zeros, int places) {
    const DivisionRecord& record = board.division();
    const ColourScheme& c = board.colours;
    const int64_t r = work.remainder;
    if (work.lastDigit == 0 && places == 0) {
        if (record.remainderText == "0") {
            const int zeroX = work.decimal
                                  ? Trunc(g.PointAfter(work.pointColumn) +
                                          (work.unitsColumn - work.pointColumn - 0.75L) * g.w)
                                  : g.Column(work.unitsColumn);
            DrawZeroRemainder(board, g, work, zeroX, work.decimal ? 1 : 0);
        } else {
            RewriteRemainder(board, g, work);
        }
        return;
    }
    if (!work.decimal && zeros > places && r != 0) {
        const int first = work.walked + 1;
        if (places == 0) {
            for (int column = first; column <= work.lastColumn; ++column) {
                DrawDigitAt(board, g, column, work.remainderY, c.rule, '0', 0, 1);
            }
            board.DrawLine(work.edge - zeros * g.w, work.remainderY, work.edge, work.underlineY, 4,
                           c.rule);
        } else {
            for (int column = first; column <= work.lastColumn; ++column) {
                DrawDigitAt(board, g, column, work.remainderY, c.underline, '0', 0, 1);
            }
            board.DrawLine(g.Column(first), work.remainderY - 3, g.Column(work.lastColumn + 1),
                           work.remainderY - 3, 2, kCyan);
        }
    }
    if (record.remainderDecimals > 0) {
        DrawDecimalRemainder(board, g, work);
    } else if (work.lastColumn > work.pointColumn && r != 0) {
        DrawWholeRemainderPlaces(board, g, work);
    }
}

void DrawGuide(Board& board, const Grid& g, const DivisionWork& work) {
    if (board.layout.guideShown != 1 || board.division().remainderDecimals == 0) {
        return;
    }
    const int x = Trunc(g.PointAfter(work.pointColumn) + g.w * 0.1L);
    const int bottom = work.remainderY + board.layout.textHeight / 2;
    for (int y = g.y + board.layout.textHeight; y < bottom; y += kDotStep) {
        board.DrawLine(x, y, x, std::min(y + kDotStep / 2, bottom), 1, board.colours.rule);
    }
}

// The quotient's point over the moved point; a quotient below one gets its 0 and the zeros
// between the point and its first digit.
void DrawQuotientPoint(Board& board, const Grid& g, const DivisionWork& work) {
    const DivisionRecord& record = board.division();
    if (record.quotientDecimals == 0) {
        return;
    }
    const ColourScheme& c = board.colours;
    const int pointX = g.PointAfter(work.unitsColumn);
    board.DrawCell(pointX, g.quotientY, c.accentB, g.f, '.', 0, 1);
    if (record.quotientText.front() != '0') {
        return;
    }
    DrawDigitAt(board, g, work.unitsColumn, g.quotientY, c.underline, '0', 0, 1);
    for (int column = work.unitsColumn + 1; column < work.firstDigitColumn; ++column) {
        DrawDigitAt(board, g, column, g.quotientY, c.underline, '0', 0, 1);
    }
    board.DrawCell(pointX, g.quotientY, c.accentB, g.f, '.', 0, 0);
}

void FinishDivision(Board& board) {
    const DivisionRecord& record = board.division();
    board.StepDelay();
    board.layout.cursorBlinkPhase = 1;
    const std::string quotient = NormalizeNumberText(record.quotientText);
    const std::string remainder = record.remainderDecimals > 0
                                      ? NormalizeNumberText(record.remainderText)
                                      : record.remainderText;
    board.DrawAnswer(Trunc(board.layout.answerX + board.layout.cellWidth * 1.2L), quotient,
                     remainder);
    board.operands.result = remainder == "0" ? quotient : quotient + "R" + remainder;
}

// The common end of both layouts: the engine (or the zero quotient), then labels, remainder,
// guide, the quotient's point and the answer. -10 when the engine overflowed.
int WorkAndFinish(Board& board, const Grid& g, DivisionWork& work, int zeros, int places,
                  int zeroLineX, int dividendEndX, int divisorLabelX) {
    const bool zeroQuotient = board.division().quotientText == "0";
    if (zeroQuotient) {
        DrawZeroQuotient(board, g, work, zeroLineX);
    } else if (LongDivisionSteps(board, work) < 0) {
        board.host()->PostKey(vk::kDelete);
        board.host()->PostKey(vk::kInsert);
        return DivisionStatus::kOverflow;
    }
    DrawLabels(board, g, work, dividendEndX, divisorLabelX);
    if (!zeroQuotient) {
        DrawRemainder(board, g, work, zeros, places);
    }
    DrawGuide(board, g, work);
    DrawQuotientPoint(board, g, work);
    FinishDivision(board);
    return 1;
}

}  // namespace

int ColumnDivision(Board& board) {
    const BoardOperands& o = board.operands;
    const DivisionRecord& record = board.division();
    const ColourScheme& c = board.colours;
    const int nAll = o.aIntCount;
    const int nBAll = o.bIntCount;
    if (record.status == DivisionStatus::kOverflow) {
        return DivisionStatus::kOverflow;  // shown once; the posted Delete clears it
    }

    // 1. R counts the divisor as typed; then the common zeros go.
    const Grid g = MakeGrid(board, board.layout.originX + (nBAll + 3) * board.layout.cellWidth);
    board.layout.rightX = g.rightX;
    const int w = g.w;
    const int z = record.zerosToCancel;
    int nA = nAll - z;
    const int nB = nBAll - z;
    const int d = std::min(record.quotientDecimals, board.pointMax());

    // 2.-4. The dividend, the bracket, the dividend's first digit again.
    for (int j = 1; j <= nAll; ++j) {
        DrawDigitAt(board, g, j, g.y, c.digit, o.aInt[static_cast<size_t>(j - 1)], 0, 1);
    }
    board.StepDelay();
    const int bracketX = Trunc(g.rightX - w * 2.4L - w * 0.5L);
    board.DrawCellNow(bracketX, g.y - g.h / 4, c.rule, Trunc(g.f * 1.4L), ')');
    board.DrawCellNow(g.Column(1), g.y, c.digit, g.f, o.aInt[0]);
    board.StepDelay();

    // 5.-6. The vinculum over every typed digit; the divisor ending at R - 4w.
    int edge = g.rightX + (nAll - 2) * w;
    board.DrawLine(bracketX, g.ruleY, edge, g.ruleY, 4, c.rule);
    const int divisorLastX = g.rightX - 4 * w;
    auto divisorX = [&](int i) { return divisorLastX - (nBAll - 1 - i) * w; };
    for (int i = 0; i < nBAll; ++i) {
        board.DrawCell(divisorX(i), g.y, c.digit, g.f, o.bInt[static_cast<size_t>(i)], 0, 1);
    }
    const std::string divisor = o.bInt.substr(0, static_cast<size_t>(nB));

    // 7.-9. The cancelled zeros: the vinculum over them, their point and strikes.
    if (z > 0) {
        board.StepDelay();
        board.DrawLine(edge - z * w, g.ruleY, edge, g.ruleY, 4, c.accentC);
    }
    if (z > 0 && d == 0) {
        board.DrawCell(g.PointAfter(nA), g.y, c.underline, g.f, '.', 0, 1);
        for (int j = nA + 1; j <= nAll; ++j) {
            DrawDigitAt(board, g, j, g.y, c.underline, '0', 1, 1);
        }
        // The first zero's square covers a corner of the point.
        board.DrawCellNow(g.PointAfter(nA), g.y, c.underline, g.f, '.');
    }
    for (int i = 0; i < nB; ++i) {
        board.DrawCell(divisorX(i), g.y, c.digit, g.f, divisor[static_cast<size_t>(i)], 0, 1);
    }
    const int divisorPointX = divisorX(nB - 1) + Trunc(w * 0.8L);
    for (int t = 0; t < z; ++t) {
        board.DrawCell(divisorPointX, g.y, c.underline, g.f, '.', 0, 1);
        board.DrawCell(divisorX(nB + t), g.y, c.underline, g.f, '0', 1, 1);
    }
    if (z > 0) {
        board.DrawCellNow(divisorPointX, g.y, c.underline, g.f, '.');
    }

    // 10. Quotient places: the cancelled zeros serve first, silver zeros after them.
    std::string dividend = o.aInt;
    if (d > 0) {
        for (int j = nA + 1; j <= nAll; ++j) {
            DrawDigitAt(board, g, j, g.y, c.underline, '0', 1, 1);
        }
        board.DrawCell(g.PointAfter(nA), g.y, c.underline, g.f, '.', 0, 1);
        for (int place = z + 1; place <= d; ++place) {
            DrawDigitAt(board, g, nA + place, g.y, kSilver, '0', 0, 1);
            if (place == z + 1 && z > 0) {
                board.DrawCell(g.PointAfter(nAll), g.y, c.sign, g.f, '.', 1, 0);
            }
        }
        dividend.append(static_cast<size_t>(d), '0');
        nA += d;
        edge = g.rightX + (nA - 2) * w;
        board.DrawLine(edge - d * w, g.ruleY, edge, g.ruleY, 4, c.accentC);
    }

    DivisionWork work;
    work.rightX = g.rightX;
    work.dividend = dividend;
    // A divisor typed with leading zeros is divided by its value.
    work.divisor = WithoutLeadingZeros(divisor);
    work.walked = nA;
    work.edge = edge;
    work.pointColumn = nAll;
    work.unitsColumn = nA - d;
    work.lastColumn = std::max(nA, nAll);
    const int dividendEndX = g.rightX + (work.lastColumn - 2) * w;
    const int divisorLabelX = divisorX(0) - w - w / 2 - Size(work.divisor) / 2;
    return WorkAndFinish(board, g, work, z, d, Trunc(divisorLastX + w * 1.3L), dividendEndX,
                         divisorLabelX);
}

int DecimalDivision(Board& board) {
    const BoardOperands& o = board.operands;
    const DivisionRecord& record = board.division();
    const ColourScheme& c = board.colours;
    const int nA = o.aIntCount, a = o.aDecCount;
    const int nB = o.bIntCount, b = o.bDecCount;
    if (record.status == DivisionStatus::kOverflow) {
        return DivisionStatus::kOverflow;  // shown once; the posted Delete clears it
    }
    const Grid g = MakeGrid(board, board.layout.originX + (nB + b + 3) * board.layout.cellWidth);
    board.layout.rightX = g.rightX;
    const int w = g.w;
    const int typedPointX = g.PointAfter(nA);

    // 1. The dividend with its point.
    for (int j = 1; j <= nA; ++j) {
        DrawDigitAt(board, g, j, g.y, c.digit, o.aInt[static_cast<size_t>(j - 1)], 0, 1);
    }
    if (a > 0) {
        board.DrawCellNow(typedPointX, g.y, c.sign, g.f, '.');
        for (int j = 1; j <= a; ++j) {
            DrawDigitAt(board, g, nA + j, g.y, c.digit, o.aDec[static_cast<size_t>(j - 1)], 0, 1);
        }
        board.DrawCellNow(typedPointX, g.y, c.sign, g.f, '.');
    }

    // 2. The bracket over the first digit, the vinculum.
    const int bracketX = Trunc(g.rightX - w * 2.7L);
    board.DrawCellNow(bracketX, Trunc(g.y - g.h * 0.2L), c.rule, Trunc(g.f * 1.3L), ')');
    board.DrawCellNow(g.Column(1), g.y, c.digit, g.f, o.aInt[0]);
    if (a > 0) {
        board.DrawCellNow(typedPointX, g.y, c.sign, g.f, '.');
    }
    int edge = g.rightX + (nA + a - 2) * w;
    board.DrawLine(bracketX, g.ruleY, edge, g.ruleY, 4, c.rule);

    // 3. The divisor, its decimals a little apart so its point has room.
    const int divisorFirstX = Trunc(g.rightX - w * (nB + b + 3.3L)) + w / 3;
    for (int i = 0; i < nB; ++i) {
        board.DrawCell(divisorFirstX + i * w, g.y, c.digit, g.f, o.bInt[static_cast<size_t>(i)], 0,
                       1);
    }
    const int divisorPointX = Trunc(g.rightX - (b + 3.1L) * w);
    if (b > 0) {
        board.DrawCellNow(divisorPointX, g.y, c.sign, g.f, '.');
        for (int j = 0; j < b; ++j) {
            board.DrawCell(divisorPointX + w / 3 + j * w, g.y, c.digit, g.f,
                           o.bDec[static_cast<size_t>(j)], 0, 1);
        }
    }

    // 4.-5. Both points move b places; zeros fill the places the dividend lacks.
    std::string dividend = o.aInt + o.aDec;
    const int d = std::min(record.quotientDecimals, board.pointMax());
    int shift = 0;
    int appended = 0;
    if (b > 0) {
        shift = b;
        board.DrawCell(divisorPointX, g.y, c.sign, g.f, '.', 1, 1);
        board.DrawCell(typedPointX, g.y, c.sign, g.f, '.', 1, 1);
        if (a > 0) {
            board.DrawCell(g.rightX - 3 * w, g.y, c.accentA, g.f, '.', 0, 1);
        }
        appended = a < b ? b + d - a : std::max(d - (a - b), 0);
    } else if (a < d) {
        appended = d - a;
    }
    for (int j = 1; j <= appended; ++j) {
        DrawDigitAt(board, g, nA + a + j, g.y, c.underline, '0', 0, b > 0 ? 0 : 1);
    }
    dividend.append(static_cast<size_t>(appended), '0');
    if (appended > 0) {
        board.DrawLine(edge, g.ruleY, edge + appended * w, g.ruleY, 4, c.rule);
        edge += appended * w;
    }
    if (b > 0) {
        board.DrawCell(g.PointAfter(nA + b), g.y, a > 0 ? c.accentA : c.accentB, g.f, '.', 0, 1);
    }

    // 6. The engine divides by the divisor's digits without the zeros before them.
    DivisionWork work;
    work.decimal = true;
    work.rightX = g.rightX;
    work.dividend = dividend;
    work.divisor = WithoutLeadingZeros(o.bInt + o.bDec);
    work.walked = nA + shift + d;
    work.edge = edge;
    work.pointColumn = nA;
    work.unitsColumn = nA + shift;
    work.lastColumn = Size(dividend);
    work.ownDigitsLeft = work.lastColumn - work.walked;
    const int divisorLabelX = divisorFirstX - (2 - Size(work.divisor) / 2) * w;
    return WorkAndFinish(board, g, work, 0, d, Trunc(g.rightX - w * 2.2L), edge, divisorLabelX);
}

int LongDivisionSteps(Board& board, DivisionWork& work) {
    const ColourScheme& c = board.colours;
    DivisionRecord& record = board.division();
    const Grid g = MakeGrid(board, work.rightX);
    const int w = g.w;

    // 1.-2. The whole working dividend must fit the engine's integers, and the quotient must
    // be one the evaluation could give.
    int64_t divisorValue = 0;
    ReadInt64(work.divisor, divisorValue);
    if (record.status != DivisionStatus::kOk || !ReadInt64(work.dividend, work.rest)) {
        // Set first: a repaint while the box is open must not work the division again.
        record.status = DivisionStatus::kOverflow;
        board.host()->ShowMessage(kOverflowText, "ご確認!!", MessageIcon::None);
        return DivisionStatus::kOverflow;
    }

    // 3.-4. Digit by digit over the walked cells.
    const int nB = Size(work.divisor);
    const int length = Size(work.dividend);
    const int walked = std::min(work.walked, length);
    const int walkedEdge = g.rightX + (walked - 2) * w;
    std::string working = work.dividend;
    int64_t partial = 0, current = 0, r = 0;
    bool started = false, fresh = true;
    int k = 0;
    int underlineStartColumn = 1;
    int zerosNotBroughtDown = 0;
    for (int i = 1; i <= walked; ++i) {
        const int digit = working[static_cast<size_t>(i - 1)] - '0';
        if (fresh) {
            partial = partial * 10 + digit;
            current = r * 10 + partial;
        } else {
            current = current * 10 + digit;
        }
        const int64_t q = current / divisorValue;
        r = current % divisorValue;
        work.lastDigit = static_cast<int>(q);
        if (q == 0) {
            if (i == walked) {
                DrawDigitAt(board, g, i, g.quotientY, c.digit, '0', 0, 1);
                break;
            }
            if (k > 0) {
                board.DrawLine(work.underlineEndX, work.underlineY, work.underlineEndX + w,
                               work.underlineY, 3, c.rule);
                work.underlineEndX += w;
            }
            if (started) {
                DrawDigitAt(board, g, i, g.quotientY, c.digit, '0', 0, 1);
                BringDown(board, g, working, i + 1, work.remainderY, r, zerosNotBroughtDown);
                fresh = false;
            } else {
                r = 0;
            }
            continue;
        }
        work.rest -= q * divisorValue * Pow10(length - i);
        partial = 0;
        ++k;
        if (!started) {
            work.firstDigitColumn = i;
        }
        started = true;
        fresh = true;
        DrawDigitAt(board, g, i, g.quotientY, c.digit, static_cast<int>(q), 0, 1);

        // 5. The product row, units first, a final carry one column further left.
        const int productY = g.ProductY(k);
        std::string product;
        int carry = 0;
        for (int j = 0; j < nB; ++j) {
            const int value =
                (work.divisor[static_cast<size_t>(nB - 1 - j)] - '0') * static_cast<int>(q) + carry;
            DrawDigitAt(board, g, i - j, productY, c.digit, value % 10, 0, 1);
            product += static_cast<char>('0' + value % 10);
            carry = value / 10;
        }
        if (carry > 0) {
            DrawDigitAt(board, g, i - nB, productY, c.digit, carry, 0, 1);
        }

        // 6. The underline, from the last subtraction's left column to the next digit.
        board.StepDelay();
        work.underlineY = g.UnderlineY(k);
        const int startX = g.Column(underlineStartColumn + (k == 1 ? 0 : zerosNotBroughtDown));
        work.underlineEndX = i == walked ? work.edge : walkedEdge - (walked - i - 1) * w;
        board.DrawLine(startX, work.underlineY, work.underlineEndX, work.underlineY, 3, c.rule);
        zerosNotBroughtDown = 0;

        // 7. The next digit comes down unless it would only be a leading zero.
        work.remainderY = g.DifferenceY(k);
        if (i < walked) {
            BringDown(board, g, working, i + 1, work.remainderY, r, zerosNotBroughtDown);
        }

        // 8. The difference, written into the working copy; only its significant digits show.
        int borrow = 0;
        for (int j = 0; j < nB; ++j) {
            char& cell = working[static_cast<size_t>(i - 1 - j)];
            int value = (cell - '0') - (product[static_cast<size_t>(j)] - '0') - borrow;
            borrow = value < 0 ? 1 : 0;
            cell = static_cast<char>('0' + value + 10 * borrow);
        }
        const int shown = r != 0 ? DigitCount(r) : (i == walked ? 1 : 0);
        for (int j = 0; j < shown; ++j) {
            DrawDigitAt(board, g, i - j, work.remainderY, c.digit,
                        working[static_cast<size_t>(i - 1 - j)], 0, 1);
        }
        underlineStartColumn = i - nB + 1;
    }
    work.remainder = r;

    // 5. The dividend's own digits the quotient did not reach, beside the remainder.
    if (work.lastDigit != 0) {
        for (int column = walked + 1; column <= walked + work.ownDigitsLeft; ++column) {
            DrawDigitAt(board, g, column, work.remainderY, c.note,
                        work.dividend[static_cast<size_t>(column - 1)], 0, 1);
        }
    }
    return 1;
}

}  // namespace kazu
