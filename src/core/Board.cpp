// The board's drawing helpers and the draw dispatcher.
#include "core/Board.h"

#include <algorithm>

#include "core/Keisandspv/Layouts.h"

namespace kazu {

ColourScheme SchemeColours(int scheme) {
    constexpr Colour green = 0x008000, white = 0xFFFFFF, black = 0x000000, yellow = 0xFFFF00,
                     grey = 0x808080, red = 0xFF0000, cyan = 0x00FFFF;
    if (scheme == 1) {
        return {white, black, black, black, grey, grey, grey, black, black,
                black, grey,  grey,  grey,  grey, grey, grey, green};
    }
    return {green, white, yellow, yellow, yellow, yellow, red, yellow, red,
            red,   cyan,  yellow, cyan,   cyan,   cyan,   red, yellow};
}

std::string ToFullWidth(int ch) {
    static const char* const kDigits[] = {"０", "１", "２", "３", "４",
                                          "５", "６", "７", "８", "９"};
    if (ch >= '0' && ch <= '9') {
        return kDigits[ch - '0'];
    }
    switch (ch) {
        case '=':
            return "＝";
        case '+':
            return "＋";
        case '-':
            return "－";
        case '*':
            return "×";
        case '/':
            return "÷";
        case ' ':
            return "　";
        case '.':
            return ".";
        case ')':
            return ")";
        default:
            return "Ｅ";
    }
}

void Board::Measure(int size) {
    canvas_->SetFontSize(size);
    layout.digitWidth = canvas_->TextWidth("1234567890") / 10;
    layout.textHeight = canvas_->TextHeight("1234567890");
    layout.cellWidth = 2 * layout.digitWidth;
    layout.rowHeight = layout.textHeight;
}

int Board::Text(int x, int y, const std::string& text) {
    penX_ = canvas_->TextOut(x, y, text);
    return penX_;
}

void Board::StepDelay() {
    if (stepDisplay && pacer_ != nullptr) {
        if (!pacer_->WaitForStep()) {
            stepDisplay = false;
            setSpeed(0);
            cutShort = true;
        }
        return;
    }
    if (speed() > 0 && pacer_ != nullptr) {
        pacer_->Pause(speed() * 100);
    }
}

void Board::SkipCheck() {
    if (pacer_ != nullptr && pacer_->SkipRequested()) {
        setSpeed(0);
        cutShort = true;
    }
}

void Board::DrawCell(int x, int y, Colour colour, int size, int ch, int strike, int delayed) {
    if (speed() > 0) {
        SkipCheck();
    }
    if (delayed > 0) {
        StepDelay();
    }
    if (ch == kStruckZero) {
        ch = '0';
        strike = 1;
    }
    const int cell = layout.cellWidth;
    if (ch == '.') {
        canvas_->SetFontSize(Trunc(size * 0.3L));
        canvas_->SetFontColour(colour);
        Text(x, y + Trunc(layout.textHeight * 0.6L), "●");
        if (strike > 0) {
            canvas_->Line(x, y + Trunc(cell * 0.5L), x + Trunc(cell * 0.3L), y + Trunc(cell * 0.8L),
                          2, colours.strikePoint);
        }
        return;
    }
    if (ch >= 0 && ch <= 9) {
        ch += '0';
    }
    const int side = state_.entryOpen ? cell : size;
    canvas_->FillRect(x, y, x + side, y + side, colours.background);
    canvas_->SetFontSize(size);
    canvas_->SetFontColour(colour);
    Text(x, y, ToFullWidth(ch));
    layout.nextEntryX = x + cell;
    if (strike > 0) {
        canvas_->Line(x + 1, y + 1, x + Trunc(cell * 0.8L), y + Trunc(cell * 0.8L), 2,
                      colours.strikeDigit);
    }
}

void Board::DrawLine(int x1, int y1, int x2, int y2, int width, Colour colour) {
    canvas_->Line(x1, y1, x2, y2, width, colour);
}

void Board::DrawLineDelayed(int x1, int y1, int x2, int y2, int width, Colour colour, int delay) {
    if (delay > 0) {
        StepDelay();
    }
    DrawLine(x1, y1, x2, y2, width, colour);
}

void Board::DrawLabel(int x, int y, const std::string& text) {
    if (layout.labelsShown != 1) {
        return;
    }
    canvas_->SetFontSize(Trunc(layout.fontSize * 0.7L));
    Text(x, y, text);
}

int Board::FirstRowY() const {
    int y = Trunc(layout.originY + layout.rowHeight * 2.5L - layout.scrollOffset);
    if (lineBreakMode() == 1) {
        y += layout.rowHeight;
    }
    return y;
}

void Board::DrawOperandOnLine(int& x, int y, const std::string& intDigits,
                              const std::string& fracDigits) {
    for (char digit : intDigits) {
        DrawCellNow(x, y, colours.digit, layout.fontSize, digit);
        x += layout.cellWidth;
    }
    if (!fracDigits.empty()) {
        const int pointX = Trunc(x - layout.cellWidth * 0.2L);
        for (char digit : fracDigits) {
            DrawCellNow(x, y, colours.digit, layout.fontSize, digit);
            x += layout.cellWidth;
        }
        DrawCellNow(pointX, y, colours.sign, layout.fontSize, '.');
    }
}

void Board::DrawExpressionLine() {
    const CalcEntry& entry = state_.entry;
    int x = layout.originX;
    int y = layout.originY - layout.scrollOffset;
    if (entry.firstInt.empty()) {
        return;
    }
    DrawOperandOnLine(x, y, entry.firstInt, entry.firstFrac);
    if (entry.opChar == '!') {
        return;
    }
    DrawCellNow(x, y, colours.sign, layout.fontSize, entry.opChar);
    x += layout.cellWidth;
    if (entry.secondInt.empty()) {
        return;
    }
    DrawOperandOnLine(x, y, entry.secondInt, entry.secondFrac);
    if (!entry.drawReady) {
        return;
    }
    if (lineBreakMode() == 1) {
        y = Trunc(y + layout.rowHeight * 1.2L);
        x = layout.originX;
    }
    DrawCellNow(x, y, colours.equals, layout.fontSize, '=');
    layout.answerX = x;
}

bool Board::DrawCalculation() {
    DrawExpressionLine();
    const CalcEntry& entry = state_.entry;
    if (!entry.drawReady) {
        return false;
    }
    operands = BoardOperands{};
    operands.aInt = entry.firstInt;
    operands.aDec = entry.firstFrac;
    operands.aIntCount = entry.firstIntLen;
    operands.aDecCount = entry.firstFracLen;
    operands.bInt = entry.secondInt;
    operands.bDec = entry.secondFrac;
    operands.bIntCount = entry.secondIntLen;
    operands.bDecCount = entry.secondFracLen;
    operands.op = entry.opChar;
    operands.maxInt = entry.maxIntLen;
    operands.maxDec = entry.maxFracLen;
    operands.maxTotal = entry.maxTotalLen;
    state_.entryOpen = false;
    DrawLayout();
    return true;
}

void Board::DrawLayout() {
    const bool decimals = operands.maxDec > 0;
    switch (operands.op) {
        case '+':
            decimals ? DecimalAddition(*this) : ColumnAddition(*this);
            break;
        case '-':
            decimals ? DecimalSubtraction(*this) : ColumnSubtraction(*this);
            break;
        case '*':
            decimals ? DecimalMultiplication(*this) : ColumnMultiplication(*this);
            break;
        case '/':
            decimals ? DecimalDivision(*this) : ColumnDivision(*this);
            break;
        default:
            break;
    }
}

void Board::DrawAnswer(int x, std::string answerText, const std::string& remainderText) {
    if (!answerText.empty() && answerText.back() == '.') {
        answerText.pop_back();
    }
    int y = layout.originY - layout.scrollOffset;
    if (lineBreakMode() == 1) {
        y = Trunc(y + layout.rowHeight * 1.2L);
        x = layout.originX + layout.cellWidth;
    }
    const int length = static_cast<int>(answerText.size());
    canvas_->FillRect(x, y, x + length * layout.cellWidth, y + layout.cellWidth,
                      colours.background);
    const int bigSize = Trunc(layout.fontSize * 1.2L);
    canvas_->SetFontColour(colours.answer);
    canvas_->SetFontSize(bigSize);
    Text(x, y, answerText);
    if (remainderText != "0") {
        canvas_->SetFontSize(Trunc(layout.fontSize * 0.6L));
        Text(Trunc(penX_ + layout.digitWidth * 0.6L), y + layout.textHeight / 3, "あまり");
        canvas_->SetFontSize(bigSize);
        Text(Trunc(penX_ + layout.digitWidth * 0.6L), y, remainderText);
    }
    const int underlineY = y + canvas_->TextHeight(answerText);
    canvas_->Line(x, underlineY, penX_, underlineY, 3, colours.underline);
    if (operands.op == '/') {
        canvas_->SetFontSize(layout.fontSize / 2);
        canvas_->SetFontColour(colours.note);
        const std::string note = pointMax() == 0
                                     ? "(商は 整数 の位まで)"
                                     : "(商は 小数第 " + std::to_string(pointMax()) + "位まで)";
        Text(x, Trunc(y + layout.textHeight * 1.4L), note);
    }
    canvas_->SetFontSize(layout.fontSize);
}

}  // namespace kazu
