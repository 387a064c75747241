#include "core/Bunex/Reibun.h"

#include <algorithm>

#include "core/Cp932.h"
#include "core/Funcsv.h"
#include "core/SpokenText.h"

namespace kazu {
namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kRed = 0xFF0000;
constexpr Colour kBlue = 0x0000FF;

// A field keeps its line's end and whatever else a damaged file held; a control character
// would only show as a box, so none is drawn or read.
std::string Shown(std::string text) {
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return text;
}

const char* Kind(bool decimal) {
    return decimal ? "小数" : "整数";
}

// The calculation with the signs a child writes: "17÷5＝".
std::string FullWidthSigns(const std::string& expression) {
    std::string text;
    for (char c : expression) {
        switch (c) {
            case '+':
                text += "＋";
                break;
            case '-':
                text += "－";
                break;
            case '*':
                text += "×";
                break;
            case '/':
                text += "÷";
                break;
            case '=':
                text += "＝";
                break;
            default:
                text += c;
        }
    }
    return text;
}

struct Operands {
    std::string first, second;
};

// The operator is looked for sign by sign, "+" first, as the expression holds only one.
Operands SplitExpression(const std::string& expression) {
    size_t at = std::string::npos;
    for (char sign : {'+', '-', '*', '/'}) {
        at = expression.find(sign);
        if (at != std::string::npos) {
            break;
        }
    }
    if (at == std::string::npos) {
        return {expression.substr(0, expression.find('=')), {}};
    }
    const size_t equals = expression.find('=', at + 1);
    return {expression.substr(0, at),
            expression.substr(at + 1,
                              equals == std::string::npos ? std::string::npos : equals - at - 1)};
}

int CalculationSize(int bytes) {
    return bytes < 33 ? 24 : bytes <= 38 ? 20 : 19;
}

std::string CheckCalculation(int type, const Operands& operands, const std::string& answer,
                             const std::string& remainder) {
    if (type <= 12) {
        const char* inverse = type <= 4 ? "－" : type <= 8 ? "＋" : "÷";
        return "（検算式： " + answer + inverse + operands.second + "＝" + operands.first + " ）";
    }
    std::string check = "（検算式： " + operands.second + "×" + answer;
    if (!remainder.empty()) {
        check += "＋" + remainder;
    }
    return check + "＝" + operands.first + " ）";
}

void Write(Canvas& canvas, int x, int y, int size, Colour colour, const std::string& text) {
    canvas.SetFontSize(size);
    canvas.SetFontColour(colour);
    canvas.TextOut(x, y, text);
}

}  // namespace

int OperatorIndex(char op, int last) {
    switch (op) {
        case '+':
            return 0;
        case '-':
            return 1;
        case '*':
            return 2;
        case '/':
            return 3;
        default:
            return last;
    }
}

int ExampleType(int operatorIndex, bool firstDecimal, bool secondDecimal, int remainderFlag) {
    return 1 + 4 * operatorIndex + (firstDecimal ? 1 : 0) + (secondDecimal ? 2 : 0) + remainderFlag;
}

std::string WithoutParentheses(std::string text) {
    for (size_t open = text.find("（"); open != std::string::npos; open = text.find("（", open)) {
        const size_t close = text.find("）", open);
        if (close == std::string::npos) {
            break;
        }
        text.erase(open, close + std::string("）").size() - open);
    }
    return text;
}

ReibunTexts BuildReibun(const PatternTable& patterns, const ReibunInput& input, int operatorIndex) {
    ReibunTexts t;
    t.type = std::clamp(
        ExampleType(operatorIndex, input.firstDecimal, input.secondDecimal, input.remainderFlag), 1,
        kPatternCount - 1);
    const ExamplePattern& p = patterns[static_cast<size_t>(t.type)];
    t.title = "★タイプ [" + std::to_string(t.type) + "]：《" + Kind(input.firstDecimal) +
              std::string(operatorIndex == 0   ? "＋"
                          : operatorIndex == 1 ? "－"
                          : operatorIndex == 2 ? "×"
                                               : "÷") +
              Kind(input.secondDecimal) + (t.type < 17 ? "》の問題例" : "（余り有り)》の問題例");

    const Operands operands = SplitExpression(Shown(input.expression));
    t.reading = "問題例です。。";
    t.sentence1 = ReplaceAll(Shown(p.bun1), "@[前数]", operands.first);
    t.sentence2 = ReplaceAll(Shown(p.bun2), "@[後数]", operands.second);
    t.sentence3 = Shown(p.bun3);
    t.sentence3Size = Cp932Length(t.sentence3) >= 57 ? 18 : 20;
    t.reading += WithoutParentheses(t.sentence1 + t.sentence2 + t.sentence3 + "．");

    const std::string kang = Shown(p.kang);
    t.hint = "考え方: " + kang;
    t.hintSize = Cp932Length(kang) >= 73 ? 13 : 16;

    const size_t r = input.result.find('R');
    const std::string answer = NormalizeNumberText(input.result.substr(0, r));
    const std::string remainder = r == std::string::npos ? "" : input.result.substr(r + 1);
    t.calculation = " " + FullWidthSigns(Shown(input.expression)) + answer;
    if (!remainder.empty()) {
        t.calculation += " あまり " + remainder;
    }
    t.calculationSize = CalculationSize(Cp932Length(t.calculation));
    t.reading += "計算式です。" + t.calculation + "。";

    t.check = CheckCalculation(t.type, operands, answer, remainder);

    // The answer field keeps its line's line feed: it counts in the size, but is not drawn.
    const std::string answerSentence =
        " " + ReplaceAll(ReplaceAll(p.ansr, "@[答数]", answer), "@[余数]", remainder) + "。";
    t.answer = Shown(answerSentence);
    const int answerBytes = Cp932Length(answerSentence);
    t.answerSize = answerBytes < 51 ? 24 : std::max(1000 / answerBytes, 1);
    t.reading += "答えです。" + t.answer;
    return t;
}

void DrawReibun(Canvas& canvas, const ReibunTexts& t) {
    Write(canvas, 30, 10, 18, kBlue, t.title);
    Write(canvas, 30, 60, 20, kRed, "[問題]");
    Write(canvas, 130, 60, 20, kBlack, t.sentence1);
    Write(canvas, 80, 100, 20, kBlack, t.sentence2);
    Write(canvas, 80, 140, t.sentence3Size, kBlack, t.sentence3);
    Write(canvas, 30, 225, 20, kRed, "［式］");
    Write(canvas, 90, 225, t.calculationSize, kBlue, t.calculation);
    Write(canvas, 100, 235 + t.calculationSize, 16, kBlack, t.check);
    Write(canvas, 30, 294, 20, kRed, "［答］");
    canvas.SetFontSize(t.answerSize);
    canvas.SetFontColour(kBlue);
    const int end = canvas.TextOut(90, 294, t.answer);
    // The canvas has no underlined face: the rule is drawn just under the text.
    const int below = 294 + canvas.TextHeight(t.answer);
    canvas.Line(90, below, end, below, 1, kBlue);
}

void DrawKara(Canvas& canvas) {
    // A run of blanks written over old text erases it on an opaque canvas; ours writes
    // transparently, so the run's extent is filled instead.
    const std::string blanks(60, ' ');
    const auto erase = [&](int x, int y, int size) {
        canvas.SetFontSize(size);
        const int right = std::min(x + canvas.TextWidth(blanks), kExampleWidth);
        canvas.FillRect(x, y, right, y + canvas.TextHeight(blanks), kExampleBackground);
    };
    constexpr int kAreas[][2] = {{130, 60}, {80, 100}, {80, 140}, {30, 225}, {100, 245}, {90, 225}};
    for (const auto& area : kAreas) {
        erase(area[0], area[1], 25);
    }
    erase(90, 284, 24);
    erase(90, 304, 24);
}

std::string KaraHint() {
    return "考え方:" + std::string(40, ' ');
}

}  // namespace kazu
