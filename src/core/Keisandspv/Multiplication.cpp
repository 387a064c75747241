// Long multiplication: かけられる数, × かける数, one partial product per non-zero digit of
// the multiplier, each one column further left, and the product (積) as their column sums.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>

#include "core/Board.h"
#include "core/DecimalText.h"
#include "core/Keisandspv/Columns.h"
#include "core/Keisandspv/Layouts.h"

namespace kazu {
namespace {

// Row i holds the partial product of multiplier digit i from the right, column c the product
// column c from the right, so that each column of the table is a column of the calculation.
constexpr int kTableSize = 30;
using PartialTable = std::array<std::array<int, kTableSize>, kTableSize>;

constexpr size_t kOperandDigitsMax = 18;
constexpr size_t kDigitsTogetherMax = 29;

// Every integer part the entry accepts (18 digits at most) converts; longer or other texts
// do not.
bool FitsInt64(const std::string& digits) {
    int64_t value = 0;
    const char* const end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    return error == std::errc{} && stop == end;
}

bool ReadsAsNumber(const std::string& intDigits, const std::string& decDigits) {
    return ReadDecimal(intDigits + "." + decDigits).has_value();
}

bool AllZeros(const std::string& digits) {
    return digits.find_first_not_of('0') == std::string::npos;
}

// The entry's digit limits keep every product inside the table. Operands beyond them (or
// without integer digits) never come from the entry; the board draws nothing for them.
bool FitsTable(const BoardOperands& o) {
    const size_t a = o.aInt.size() + o.aDec.size();
    const size_t b = o.bInt.size() + o.bDec.size();
    return !o.aInt.empty() && !o.bInt.empty() && a <= kOperandDigitsMax && b <= kOperandDigitsMax &&
           a + b <= kDigitsTogetherMax;
}

// Trailing zeros of an integer operand are set aside when it has more than one digit and no
// decimals. A zero operand sets nothing aside: it is never multiplied, and setting its zeros
// aside would leave it no digit to stand in its row.
int SetAsideZeros(const std::string& intDigits, bool hasDecimals) {
    if (hasDecimals || intDigits.size() < 2 || AllZeros(intDigits)) {
        return 0;
    }
    return static_cast<int>(intDigits.size() - 1 - intDigits.find_last_not_of('0'));
}

// Set-aside zeros, one cell apart from x, in the underline colour.
void DrawSetAsideZeros(Board& board, int x, int y, int count, int delayed) {
    for (int e = 0; e < count; ++e) {
        board.DrawCell(x + e * board.layout.cellWidth, y, board.colours.underline,
                       board.layout.fontSize, '0', 0, delayed);
    }
}

// Where a partial product's small carries go, relative to the digit they stand over.
struct CarryPlace {
    int dx, raise;
    Colour colour;
};

// One partial product: the multiplicand's digits from the right times m, each digit after
// its small carry, a final carry one column further left. Returns the x of its leftmost digit.
int DrawPartialRow(Board& board, PartialTable& table, int i, const std::string& a, int m,
                   int rightX, int y, const CarryPlace& carryAt) {
    const BoardLayout& l = board.layout;
    const int n = static_cast<int>(a.size());
    int carry = 0;
    int x = rightX;
    for (int j = 0; j < n; ++j) {
        const int p = IntDigitFromRight(a, j) * m + carry;
        carry = p / 10;
        const int d = p % 10;
        table[static_cast<size_t>(i)][static_cast<size_t>(i + j)] = d;
        x = rightX - (i + j + 1) * l.cellWidth;
        if (board.carriesShown() == 1 && carry > 0) {
            board.DrawCell(x - carryAt.dx, y - carryAt.raise, carryAt.colour, l.halfSize, carry, 0,
                           1);
        }
        board.DrawCell(x, y, board.colours.digit, l.fontSize, d, 0, 1);
    }
    if (carry > 0) {
        table[static_cast<size_t>(i)][static_cast<size_t>(i + n)] = carry;
        x -= l.cellWidth;
        board.DrawCell(x, y, board.colours.digit, l.fontSize, carry, 0, 1);
    }
    return x;
}

int ColumnTotal(const PartialTable& table, int k) {
    int total = 0;
    for (const auto& row : table) {
        total += row[static_cast<size_t>(k)];
    }
    return total;
}

// A column of many partial products can carry more than 9; the tens of such a carry stand
// one small figure to the left of its units.
void DrawSumCarry(Board& board, int x, int y, Colour colour, int carry) {
    const int size = board.layout.halfSize;
    if (carry >= 10) {
        board.canvas()->SetFontSize(size);
        const int width = board.canvas()->TextWidth(ToFullWidth('0'));
        board.DrawCell(x - width, y, colour, size, carry / 10, 0, 1);
        board.DrawCell(x, y, colour, size, carry % 10, 0, 0);
        return;
    }
    board.DrawCell(x, y, colour, size, carry, 0, 1);
}

struct IntegerFrame {
    int rightX, nA, nB, zerosA, zerosB, totalZeros;
    bool aZero, bZero;
    int zeroCol;
};

// An operand's row of the integer layout: its digits and set-aside zeros, or its single 0.
void DrawIntegerFactor(Board& board, const IntegerFrame& f, int y, const std::string& digits,
                       int zeros, bool zero) {
    if (zero) {
        board.DrawCell(f.rightX + f.zeroCol * board.layout.cellWidth, y, board.colours.digit,
                       board.layout.fontSize, '0', 0, 1);
        return;
    }
    DrawIntDigits(board, f.rightX, y, digits.substr(0, digits.size() - static_cast<size_t>(zeros)));
    DrawSetAsideZeros(board, f.rightX, y, zeros, 1);
}

// The partial products and their column sums for two non-zero integers. Returns the product's
// digits, set-aside zeros not included, and sets productY to the row they stand on.
std::string IntegerProduct(Board& board, const IntegerFrame& f, int ruleY, int& productY) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    const std::string a = o.aInt.substr(0, static_cast<size_t>(f.nA));
    const std::string b = o.bInt.substr(0, static_cast<size_t>(f.nB));
    const int rowGap = board.carriesShown() == 1 ? l.rowHeight / 2 : 0;
    const int p0 = Trunc(ruleY + l.rowHeight * 0.3L + rowGap);
    if (f.totalZeros > 0) {
        board.DrawLine(f.rightX, ruleY, f.rightX + f.totalZeros * l.cellWidth, ruleY, 4,
                       board.colours.rule);
        DrawSetAsideZeros(board, f.rightX, p0, f.totalZeros, 0);
    }

    PartialTable table{};
    const CarryPlace carryAt{l.digitWidth / 2, rowGap, board.colours.digit};
    int skipped = 0;
    int rowY = p0;
    int rowLeftX = f.rightX;
    for (int i = 0; i < f.nB; ++i) {
        const int m = IntDigitFromRight(b, i);
        rowY = (l.cellWidth + rowGap) * (i - skipped) + p0;
        if (m != 0) {
            rowLeftX = DrawPartialRow(board, table, i, a, m, f.rightX, rowY, carryAt);
            continue;
        }
        // The next partial product goes on this line, left of this 0.
        ++skipped;
        rowLeftX = f.rightX - (i + 1) * l.cellWidth;
        board.DrawCellNow(rowLeftX, rowY, board.colours.underline, l.fontSize, '0');
    }

    std::string digits;  // rightmost first
    if (f.nB == 1) {
        // The single partial product is the product.
        for (int k = 0; k <= f.nA; ++k) {
            digits += static_cast<char>('0' + table[0][static_cast<size_t>(k)]);
        }
        productY = p0;
        return {digits.rbegin(), digits.rend()};
    }
    const int sumY = Trunc(rowY + l.rowHeight * 1.2L);
    board.DrawLine(rowLeftX - l.cellWidth, sumY, f.rightX, sumY, 3, board.colours.accentD);
    if (f.totalZeros > 0) {
        board.DrawLine(f.rightX, sumY, f.rightX + f.totalZeros * l.cellWidth, sumY, 3,
                       board.colours.accentC);
        DrawSetAsideZeros(board, f.rightX, sumY + rowGap + l.textHeight / 4, f.totalZeros, 0);
    }
    const int columns = f.nA + f.nB;
    int carry = 0;
    for (int k = 0; k < columns; ++k) {
        const int s = ColumnTotal(table, k) + carry;
        const int d = s % 10;
        carry = s / 10;
        digits += static_cast<char>('0' + d);
        const int x = f.rightX - (k + 1) * l.cellWidth;
        if (board.carriesShown() == 1 && carry > 0) {
            DrawSumCarry(board, x - l.digitWidth / 2, sumY + rowGap / 2, board.colours.carry,
                         carry);
        }
        // The product is one digit shorter when its last column comes to 0.
        if (k < columns - 1 || d != 0) {
            board.DrawCell(x, sumY + rowGap + l.rowHeight / 4, board.colours.digit, l.fontSize, d,
                           0, 1);
        }
    }
    productY = sumY;
    return {digits.rbegin(), digits.rend()};
}

// An operand of the decimal layout, its last digit in the rightmost column: the integer
// digits, then the point, the decimals and the point again (a digit's square may have
// covered it), or the set-aside zeros. Returns the pen x after its last digit.
int DrawDecimalFactor(Board& board, int rightX, int y, const std::string& intDigits,
                      const std::string& decDigits, int zeros) {
    const BoardLayout& l = board.layout;
    const int decX = rightX - static_cast<int>(decDigits.size()) * l.cellWidth;
    DrawIntDigits(board, decX, y, intDigits);
    int penX = board.penX();
    if (!decDigits.empty()) {
        const int pointX = Trunc(decX - l.cellWidth * 0.2L);
        board.DrawCell(pointX, y, board.colours.sign, l.fontSize, '.', 0, 1);
        DrawDecDigits(board, decX, y, decDigits);
        penX = board.penX();
        board.DrawCellNow(pointX, y, board.colours.sign, l.fontSize, '.');
    }
    if (zeros > 0) {
        DrawSetAsideZeros(board, penX, y, zeros, 1);
        penX = board.penX();
    }
    return penX;
}

struct DecimalFrame {
    std::string a, b;  // the digits multiplied: both operands without their set-aside zeros
    int zerosA, totalZeros, decPlaces, rightX;
    int y1, y2, ruleY;
};

// Step through the partial products and the column sums of a non-zero decimal product, with
// the product's leading zeros, point and struck trailing zeros. Returns the product's digits
// (decPlaces of them decimals) and sets productY to the row they stand on.
std::string DecimalProduct(Board& board, const DecimalFrame& f, int& productY) {
    const BoardLayout& l = board.layout;
    const int lineBreak = board.lineBreakMode() == 1 ? l.rowHeight : 0;
    if (f.totalZeros > 0) {
        board.DrawLine(f.rightX, f.ruleY, f.rightX + f.totalZeros * l.cellWidth, f.ruleY, 4,
                       board.colours.accentC);
        DrawSetAsideZeros(board, f.rightX, f.zerosA > 0 ? f.y1 : f.y2, f.totalZeros, 0);
    }
    const std::string aSig = f.a.substr(f.a.find_first_not_of('0'));
    const int lenB = static_cast<int>(f.b.size());
    const int lead = static_cast<int>(f.b.find_first_not_of('0')) + 1;
    // The product of the significant digits has at most this many digits.
    const int sigColumns = static_cast<int>(aSig.size()) + lenB - lead + 1;
    const int rowGap = board.carriesShown() == 1 ? l.rowHeight / 3 : 0;
    const int p0 = Trunc(l.originY + l.rowHeight * 5.3L + rowGap - l.scrollOffset) + lineBreak;

    PartialTable table{};
    const CarryPlace carryAt{Trunc(l.digitWidth * 5 / 12.0L), Trunc(l.rowHeight * 0.4L),
                             board.colours.carry};
    int drawnRows = 0;
    int skipped = 0;
    int rowY = p0;
    for (int i = 0; i < lenB; ++i) {
        const int m = IntDigitFromRight(f.b, i);
        rowY = Trunc((l.rowHeight * 1.2L + rowGap) * (i - skipped) + p0);
        if (m != 0) {
            ++drawnRows;
            DrawPartialRow(board, table, i, aSig, m, f.rightX, rowY, carryAt);
            continue;
        }
        ++skipped;
        if (i == lenB - 1) {
            rowY -= l.cellWidth;
            break;
        }
        // A zero inside the multiplier stands where the next partial product ends; its
        // leading zeros (as in 0.05) get nothing.
        if (lead < lenB - i) {
            board.DrawCellNow(f.rightX - (i + 1) * l.cellWidth, rowY, board.colours.underline,
                              l.fontSize, '0');
        }
    }

    int sumY = 0;
    int lowerRuleY = f.ruleY;
    if (drawnRows < 2) {
        // The product is written over the single partial product.
        sumY = Trunc(l.originY + l.rowHeight * 4.95L - l.scrollOffset) + lineBreak;
    } else {
        sumY = Trunc(rowY + l.rowHeight * 1.2L);
        lowerRuleY = sumY + l.rowHeight / 20;
        board.DrawLine(f.rightX - sigColumns * l.cellWidth, lowerRuleY, f.rightX, lowerRuleY, 3,
                       board.colours.accentD);
    }
    sumY = Trunc(sumY + rowGap + l.rowHeight * 0.4L);

    std::string digits;  // rightmost first
    const int columns = static_cast<int>(f.a.size()) + lenB;
    int carry = 0;
    for (int k = 0; k < columns; ++k) {
        const int s = ColumnTotal(table, k) + carry;
        const int d = s % 10;
        carry = s / 10;
        const int x = f.rightX - (k + 1) * l.cellWidth;
        if (board.carriesShown() == 1 && carry > 0) {
            DrawSumCarry(board, x - l.digitWidth / 2, Trunc(sumY - l.rowHeight * 0.4L),
                         board.colours.note, carry);
        }
        if ((d == 0 && k == columns - 1) || k == sigColumns || (d == 0 && k == sigColumns - 1)) {
            break;
        }
        board.DrawCell(x, sumY, board.colours.digit, l.fontSize, d, 0, 1);
        digits += static_cast<char>('0' + d);
    }
    std::string product(digits.rbegin(), digits.rend());

    if (f.totalZeros > 0) {
        DrawSetAsideZeros(board, f.rightX, sumY, f.totalZeros, 0);
        product.append(static_cast<size_t>(f.totalZeros), '0');
        board.DrawLine(f.rightX, lowerRuleY, f.rightX + f.totalZeros * l.cellWidth, lowerRuleY, 3,
                       board.colours.accentC);
    }
    // Zeros in front, so that a digit stands before the point.
    const int needed = f.decPlaces - f.totalZeros + 1;
    const int t = needed - static_cast<int>(digits.size());
    if (t > 0) {
        const int zx = f.rightX - needed * l.cellWidth;
        if (drawnRows == 1) {
            board.DrawLine(zx, lowerRuleY, f.rightX, lowerRuleY, 4, board.colours.rule);
        } else {
            board.DrawLine(zx, lowerRuleY, f.rightX, lowerRuleY, 3, board.colours.accentD);
        }
        for (int g = t - 1; g >= 0; --g) {
            board.DrawCell(zx + g * l.cellWidth, sumY, board.colours.note, l.fontSize, '0', 0, 1);
        }
        product.insert(0, static_cast<size_t>(t), '0');
    }
    board.DrawCell(
        Trunc(f.rightX - (f.decPlaces - f.totalZeros) * l.cellWidth - l.cellWidth * 0.2L), sumY,
        board.colours.sign, l.fontSize, '.', 0, 1);
    const int length = static_cast<int>(product.size());
    for (int g = 1; g <= f.decPlaces && product[static_cast<size_t>(length - g)] == '0'; ++g) {
        const int x = f.rightX - (g - f.totalZeros) * l.cellWidth;
        board.DrawLine(x, sumY, x + Trunc(l.cellWidth * 0.8L), sumY + l.rowHeight, 2,
                       board.colours.underline);
    }
    productY = sumY;
    return product;
}

void ShowProduct(Board& board, const std::string& product) {
    board.operands.result = product;
    board.DrawAnswer(Trunc(board.layout.answerX + board.layout.cellWidth * 1.2L), product, "0");
    board.layout.cursorBlinkPhase = 1;
}

}  // namespace

void ColumnMultiplication(Board& board) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    if (!FitsInt64(o.aInt) || !FitsInt64(o.bInt)) {
        board.host()->ShowMessage("ケタがオーバー！", "残念！", MessageIcon::None);
        return;
    }
    if (!FitsTable(o)) {
        return;
    }
    IntegerFrame f{};
    f.aZero = AllZeros(o.aInt);
    f.bZero = AllZeros(o.bInt);
    f.zerosA = SetAsideZeros(o.aInt, false);
    f.zerosB = SetAsideZeros(o.bInt, false);
    f.totalZeros = f.zerosA + f.zerosB;
    // A zero operand is drawn as a single 0 and takes one column.
    f.nA = f.aZero ? 1 : o.aIntCount - f.zerosA;
    f.nB = f.bZero ? 1 : o.bIntCount - f.zerosB;
    const int widest = std::max(f.nA, f.nB);
    f.rightX = (f.nA + f.nB) * l.cellWidth + l.originX;
    // A single 0 stands under (or over) the last set-aside zero of the other operand.
    f.zeroCol = f.aZero == f.bZero ? -1 : (f.aZero ? f.zerosB : f.zerosA) - 1;

    const int y1 = board.FirstRowY();
    DrawIntegerFactor(board, f, y1, o.aInt, f.zerosA, f.aZero);
    int labelX = board.penX();
    const int labelY = y1;

    const int signX = f.rightX - (widest + 1) * l.cellWidth;
    board.DrawCell(signX, y1 + l.cellWidth, board.colours.equals, l.fontSize, '*', 0, 1);
    DrawIntegerFactor(board, f, y1 + l.cellWidth, o.bInt, f.zerosB, f.bZero);
    labelX = std::max(labelX, board.penX());

    const int ruleY = Trunc(y1 + l.rowHeight * 2.4L);
    board.StepDelay();
    board.DrawLine(signX, ruleY, f.rightX, ruleY, 4, board.colours.rule);

    std::string product = "0";
    int productY = ruleY;
    if (!f.aZero && !f.bZero) {
        product = IntegerProduct(board, f, ruleY, productY);
    } else {
        board.DrawCellNow(f.rightX + f.zeroCol * l.cellWidth, ruleY + l.rowHeight / 2,
                          board.colours.answer, l.fontSize, '0');
    }
    board.StepDelay();

    board.canvas()->SetFontColour(board.colours.digit);
    labelX += l.cellWidth / 4;
    const int ly = Trunc(labelY + l.rowHeight * 0.3L);
    board.DrawLabel(labelX, ly, "←かけられる数");
    board.DrawLabel(labelX, Trunc(ly + l.rowHeight * 1.1L), "←かける数");
    board.DrawLabel(labelX + l.cellWidth * std::min(f.zerosA, f.zerosB),
                    productY + l.textHeight / 4, "←積");

    ShowProduct(board,
                NormalizeNumberText(product + std::string(static_cast<size_t>(f.totalZeros), '0')));
}

void DecimalMultiplication(Board& board) {
    const BoardLayout& l = board.layout;
    const BoardOperands& o = board.operands;
    if (!ReadsAsNumber(o.aInt, o.aDec) || !ReadsAsNumber(o.bInt, o.bDec)) {
        board.host()->ShowMessage("error in float.", "Debug", MessageIcon::None);
        return;
    }
    if (!FitsTable(o)) {
        return;
    }
    DecimalFrame f{};
    const std::string a = o.aInt + o.aDec;
    const std::string b = o.bInt + o.bDec;
    f.decPlaces = o.aDecCount + o.bDecCount;
    // Decided on the digits, so that no rounding can take a tiny product for zero.
    const bool zeroProduct = AllZeros(a) || AllZeros(b);

    f.zerosA = SetAsideZeros(o.aInt, o.aDecCount > 0);
    const int zerosB = SetAsideZeros(o.bInt, o.bDecCount > 0);
    f.totalZeros = f.zerosA + zerosB;
    const int nA = o.aIntCount - f.zerosA;
    const int nB = o.bIntCount - zerosB;
    f.a = a.substr(0, static_cast<size_t>(nA + o.aDecCount));
    f.b = b.substr(0, static_cast<size_t>(nB + o.bDecCount));
    const int lenA = static_cast<int>(f.a.size());
    const int lenB = static_cast<int>(f.b.size());
    f.rightX = (lenA + lenB) * l.cellWidth + l.originX;

    f.y1 = board.FirstRowY();
    const int labelY = f.y1;
    int labelX = DrawDecimalFactor(board, f.rightX, f.y1, o.aInt.substr(0, static_cast<size_t>(nA)),
                                   o.aDec, f.zerosA);

    f.y2 = Trunc(f.y1 + l.rowHeight * 1.2L);
    const int signX = f.rightX - (std::max(lenA, lenB) + 1) * l.cellWidth;
    board.DrawCell(signX, f.y2, board.colours.equals, l.fontSize, '*', 0, 1);
    labelX = std::max(
        labelX, DrawDecimalFactor(board, f.rightX, f.y2, o.bInt.substr(0, static_cast<size_t>(nB)),
                                  o.bDec, zerosB));

    const int y3 = Trunc(f.y2 + l.rowHeight * 1.8L);
    f.ruleY = Trunc(y3 - l.rowHeight * 0.5L);
    board.StepDelay();
    board.DrawLine(signX, f.ruleY, f.rightX, f.ruleY, 4, board.colours.rule);

    std::string product = "0";
    int productY = y3;
    if (zeroProduct) {
        board.DrawCellNow(f.rightX - l.cellWidth, y3, board.colours.note, l.fontSize, '0');
    } else {
        product = DecimalProduct(board, f, productY);
        product.insert(product.size() - static_cast<size_t>(f.decPlaces), 1, '.');
    }
    board.StepDelay();

    labelX = Trunc(labelX + l.fontSize * 0.5L);
    const int ly = Trunc(labelY + l.rowHeight * 0.3L);
    board.DrawLabel(labelX, ly, "←かけられる数");
    board.DrawLabel(labelX, Trunc(ly + l.rowHeight * 1.3L), "←かける数");
    board.DrawLabel(labelX, productY, "←積");

    // The answer read aloud is the product on the board, exact however long it is.
    ShowProduct(board, NormalizeNumberText(product));
}

}  // namespace kazu
