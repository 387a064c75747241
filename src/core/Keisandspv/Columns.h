// Helpers shared by the written layouts: digits of an operand by column, the frame of a
// stacked addition or subtraction, and the rows of digits every layout draws the same way.
#pragma once

#include <string>

#include "core/Canvas.h"

namespace kazu {

class Board;

// Digit k counted from the units (k = 0) of an integer digit text, 0 where there is none.
int IntDigitFromRight(const std::string& digits, int k);
// Decimal digit j (1 for tenths), 0 where the operand has fewer places.
int DecDigit(const std::string& digits, int j);

// Addition and subtraction: both operands right-aligned on rightX, the sign one column left
// of the longer one, the second operand's row 1.2 rows below the first.
struct StackedFrame {
    int rightX, pointX, signX, y1, y2;
};
StackedFrame MakeStackedFrame(const Board& board);

// Integer digits right-aligned on rightX, decimal digits from rightX on; digit colour, board
// font, each cell after a pause.
void DrawIntDigits(Board& board, int rightX, int y, const std::string& digits);
void DrawDecDigits(Board& board, int rightX, int y, const std::string& digits);

// Redraws the trailing zeros of a result's decimal digits struck through, one by one,
// stopping at the first digit that is not 0.
void CrossOutTrailingZeros(Board& board, int rightX, int y, const std::string& decimals,
                           Colour colour);

// The closing step: a pause, the entry cursor stopped, the answer after "＝".
void ShowAnswer(Board& board, const std::string& answer);

}  // namespace kazu
