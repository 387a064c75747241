// The written layouts, one per operator and kind of operand.
#pragma once

namespace kazu {

class Board;

void ColumnAddition(Board& board);
void DecimalAddition(Board& board);
void ColumnSubtraction(Board& board);
void DecimalSubtraction(Board& board);
void ColumnMultiplication(Board& board);
void DecimalMultiplication(Board& board);
// The divisions and their shared engine: 1 when drawn, -10 when the working dividend did not
// fit the engine (the overflow has then been shown and the expression sent back for editing).
struct DivisionWork;
int ColumnDivision(Board& board);
int DecimalDivision(Board& board);
int LongDivisionSteps(Board& board, DivisionWork& work);

}  // namespace kazu
