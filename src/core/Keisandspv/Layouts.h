// The written layouts, one per operator and kind of operand.
#pragma once

namespace kazu {

class Board;

void ColumnAddition(Board& board);
void DecimalAddition(Board& board);

}  // namespace kazu
