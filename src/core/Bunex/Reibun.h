// The example window's content: the word problem of the calculation on the board, built from
// its pattern and drawn on the window's canvas.
#pragma once

#include <string>

#include "core/Bunex/Patterns.h"
#include "core/Canvas.h"

namespace kazu {

// The finished calculation an example is made for.
struct ReibunInput {
    std::string expression;     // as typed, ending with "=": "17/5="
    std::string result;         // the board's result: "3R2"
    bool firstDecimal = false;  // the first operand has decimal digits
    bool secondDecimal = false;
    int remainderFlag = 0;  // 4 for a division with a remainder, else 0
};

// Every text of an example and the size it is drawn at; lengths that choose a size are
// code page 932 bytes.
struct ReibunTexts {
    int type = 0;  // 1 to 20, the pattern's entry
    std::string title;
    std::string sentence1, sentence2, sentence3;
    int sentence3Size = 20;
    std::string hint;  // the caption of the hint label
    int hintSize = 16;
    std::string calculation;
    int calculationSize = 24;
    std::string check;  // the check calculation (検算式)
    std::string answer;
    int answerSize = 24;
    std::string reading;  // what is read aloud
};

// 0 for "+", 1 for "-", 2 for "*", 3 for "/"; `last` for anything else.
int OperatorIndex(char op, int last);
// 1 + 4 * operator index + 1 for a decimal first operand + 2 for a decimal second + flag.
int ExampleType(int operatorIndex, bool firstDecimal, bool secondDecimal, int remainderFlag);
// The text without its full-width parenthesised parts (readings of kanji, asides).
std::string WithoutParentheses(std::string text);

ReibunTexts BuildReibun(const PatternTable& patterns, const ReibunInput& input, int operatorIndex);

// The example on the canvas, all but the hint, which is a label of its own.
void DrawReibun(Canvas& canvas, const ReibunTexts& texts);
// Clears every text area, so nothing of an earlier example stays.
void DrawKara(Canvas& canvas);
// The hint label's caption in the blank layout.
std::string KaraHint();

inline constexpr int kExampleWidth = 805;
inline constexpr int kExampleHeight = 336;
inline constexpr Colour kExampleBackground = 0xFFFFFF;
// The face the window's texts are written in.
inline constexpr const char* kExampleFont = "ＭＳゴシック";

}  // namespace kazu
