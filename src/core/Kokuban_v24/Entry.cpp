// Building the expression one character at a time, and clearing, restoring and replaying it.
#include <string>

#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {

void Kokuban::ResetEntry() {
    state.entry = CalcEntry{};
}

void Kokuban::FreezeEntry() {
    CalcEntry& e = state.entry;
    e.frozenExpression = state.expression;
    e.maxIntLen = std::max(e.firstIntLen, e.secondIntLen);
    e.maxFracLen = std::max(e.firstFracLen, e.secondFracLen);
    const int first = e.firstIntLen + e.firstFracLen;
    const int second = e.secondIntLen + e.secondFracLen;
    e.maxTotalLen = second > first ? second : first;
}

void Kokuban::ClearCursorCell() {
    const BoardLayout& l = board.layout;
    canvas().FillRect(l.nextEntryX + 2, state.nextEntryY + 2, l.nextEntryX + l.digitWidth - 2,
                      state.nextEntryY + l.textHeight - 2, board.colours.background);
}

void Kokuban::InputChar(char ch) {
    state.errorRaised = false;
    if (!state.entryOpen) {
        SpeakMessage("新しい式を入力するには，表示中の式を消去してください。");
        return;
    }
    board.layout.cursorY = board.layout.originY - board.layout.scrollOffset;
    if (settings.KEYSPEAK != 0 && !feedingSpoken_) {
        SpeakMessage(ch == '.' ? std::string("点 ") : std::string(1, ch));
    }
    if (state.equalsEntered) {
        return;
    }
    if (state.expression.empty()) {
        ClearCursorCell();
        ResetEntry();
        if (ch == '.') {
            return;
        }
    }
    // The blinking cursor is taller than the square a typed digit clears; wipe it first so
    // no stripe of it stays under the digit.
    ClearCursorCell();
    if (ch == '=') {
        if (state.opEntered && state.entry.secondIntLen > 0) {
            EqualsSequence();
        }
    } else if (ch == '+' || ch == '-' || ch == '*' || ch == '/') {
        InputOperator(ch);
    } else if (ch == '.' || (ch >= '0' && ch <= '9')) {
        InputDigitOrPoint(ch);
    }
    host_.BoardChanged();
}

void Kokuban::InputOperator(char ch) {
    CalcEntry& e = state.entry;
    if (e.firstIntLen == 0 || state.opEntered) {
        return;
    }
    if (e.firstIntLen + e.firstFracLen > 18) {
        host_.ShowMessage("わられる数が、18ケタをオーバー!!", "ご注意！", MessageIcon::None);
        return;
    }
    state.expression += ch;
    BoardLayout& l = board.layout;
    l.cursorX = (e.firstIntLen + e.firstFracLen) * l.cellWidth + l.originX;
    board.DrawCellNow(l.cursorX, l.cursorY, board.colours.equals, l.fontSize, ch);
    e.opChar = ch;
    state.opEntered = true;
}

void Kokuban::InputDigitOrPoint(char ch) {
    CalcEntry& e = state.entry;
    const bool second = state.opEntered;
    bool& hasPoint = second ? state.secondHasPoint : state.firstHasPoint;
    if (ch == '.') {
        if (hasPoint) {
            return;
        }
        hasPoint = true;
    } else if (!hasPoint) {
        (second ? e.secondInt : e.firstInt) += ch;
        ++(second ? e.secondIntLen : e.firstIntLen);
    } else {
        (second ? e.secondFrac : e.firstFrac) += ch;
        ++(second ? e.secondFracLen : e.firstFracLen);
    }
    if (!CheckDigitLimits()) {
        RebuildFromExpression();
        return;
    }
    state.expression += ch;
    BoardLayout& l = board.layout;
    const int k = e.firstIntLen + e.firstFracLen + e.secondIntLen + e.secondFracLen +
                  (state.opEntered ? 1 : 0) - 1;
    l.cursorX = k * l.cellWidth + l.originX;
    int32_t& pointX = second ? state.secondPointX : state.firstPointX;
    if (ch == '.') {
        const int x = Trunc(l.cursorX + l.cellWidth - l.cellWidth * 0.2L);
        board.DrawCellNow(x, l.cursorY, board.colours.sign, l.fontSize, '.');
        pointX = x;
        return;
    }
    board.DrawCellNow(l.cursorX, l.cursorY, board.colours.digit, l.fontSize, ch);
    if (hasPoint) {
        board.DrawCellNow(pointX, l.cursorY, board.colours.sign, l.fontSize, '.');
    }
}

// A refused character has already been counted: rebuild every count from the expression.
void Kokuban::RebuildFromExpression() {
    if (rebuilding_) {
        return;
    }
    rebuilding_ = true;
    ResetEntry();
    R1Click();
    Hukkatu();
    rebuilding_ = false;
}

bool Kokuban::CheckDigitLimits() {
    const CalcEntry& e = state.entry;
    std::string message;
    if (e.firstIntLen > 18 || e.firstFracLen > 18 || e.secondIntLen > 18 || e.secondFracLen > 18) {
        message = "Keta Over!!";
    }
    const int first = e.firstIntLen + e.firstFracLen;
    const int second = e.secondIntLen + e.secondFracLen;
    if (e.opChar == '*') {
        if (first + second > 29) {
            message = "Keta Over!!";
        }
        if (first > 18) {
            message = "前項のケタ オーバー";
        }
        if (second > 18) {
            message = "後項のケタ オーバー";
        }
        if (first + second > 29) {
            message = "Keta Over!!";
        }
    }
    if (e.opChar == '/' && (first > 17 || second > 17)) {
        message = "割る数、割られる数は１７桁以下までです。残念！";
    }
    if (message.empty()) {
        return true;
    }
    if (settings.SRFLAG != 1) {
        host_.ShowMessage(message, "ご注意！", MessageIcon::None);
    }
    return false;
}

void Kokuban::Refuse(const std::string& spoken, const std::string& boxText,
                     const std::string& caption, MessageIcon icon) {
    state.errorRaised = true;
    if (settings.SRFLAG == 1) {
        voice_.Speak(spoken, Voice::kSync);
        Blink(250);
    } else {
        host_.ShowMessage(boxText, caption, icon);
    }
}

void Kokuban::EqualsSequence() {
    state.equalsEntered = true;
    state.entryOpen = true;
    ClearCursorCell();
    BoardLayout& l = board.layout;
    l.answerX = l.cursorX;
    const CalcEntry& e = state.entry;
    if (e.opChar == '/') {
        division =
            EvaluateDivision(e.firstInt, e.firstFrac, e.secondInt, e.secondFrac, settings.POINTMAX);
        if (division.status == DivisionStatus::kDivideByZero) {
            Refuse("０で割ることはできません。", "０で割ることはできません。", "警告！",
                   MessageIcon::None);
        }
    } else if (e.opChar == '-') {
        if (CompareOperands(e.firstInt, e.firstFrac, e.secondInt, e.secondFrac) < 0) {
            Refuse("引く数の方が大きいので引けません。", "引く数の方が大きい．", "注意!",
                   MessageIcon::Exclamation);
        }
    }
    if (state.errorRaised) {
        state.entry.drawReady = false;
        state.equalsEntered = false;
        state.entryOpen = true;
        return;
    }
    state.expression += '=';
    FreezeEntry();
    state.entry.drawReady = true;
    drawing_ = true;
    board.DrawCalculation();
    drawing_ = false;
    ++calculationsDrawn_;
    if (division.status == DivisionStatus::kOverflow && e.opChar == '/') {
        return;  // nothing was worked; the posted Delete and Insert bring the expression back
    }
    std::string& result = board.operands.result;
    // A division's "quotientRremainder" is built from normal texts; normalised as one text
    // it would lose the quotient 0 of 0R7 and a remainder's final zero in 4.9R10.
    if (result.find('R') == std::string::npos) {
        result = NormalizeNumberText(result);
    }
    if (settings.KEYSPEAK != 0) {
        SpeakMessage(result);
    }
    if (settings.SIKISPEAK != 0) {
        SpeakMessage(state.expression + result);
    }
    // After the answer is said, so that a read example follows it.
    ExampleAfterEquals();
}

void Kokuban::KeyInputChar(char ch) {
    if (settings.SRFLAG == 1 && settings.HEAROK == 1) {
        const std::string message = "現在は，式は音声入力しか使えません。";
        if (settings.MSGSPEAK == 1) {
            SpeakMessage(message);
        } else {
            host_.ShowMessage(message, "お知らせ!!", MessageIcon::None);
        }
        return;
    }
    InputChar(ch);
    // The box shows what the calculation holds; a refused key leaves no trace in it.
    ShowInMemo1(state.expression);
}

void Kokuban::DrawMarker() {
    canvas().SetFontSize(settings.FONTSIZE);
    canvas().SetFontColour(kMarkerRed);
    const BoardLayout& l = board.layout;
    canvas().TextOut(l.originX - l.cellWidth, l.originY - l.scrollOffset, "◆");
}

void Kokuban::R1Click() {
    BoardLayout& l = board.layout;
    l.scrollOffset = 0;
    scrollPosition_ = 0;
    host_.SetScrollPosition(0);
    GamenClear();
    DrawMarker();
    state.entryOpen = true;
    l.nextEntryX = l.originX;
    state.nextEntryY = l.originY;
    host_.ClearMemo2();
    state.equalsEntered = false;
    canvas().SetFontColour(board.colours.digit);
    state.restoreText = state.expression;
    state.expression.clear();
    state.prevOp = board.operands.op;
    board.operands = BoardOperands{};
    state.firstHasPoint = false;
    state.secondHasPoint = false;
    host_.ClearMemo1();
    state.opEntered = false;
    ResetEntry();
    host_.BoardChanged();
}

void Kokuban::BackSpace() {
    if (state.equalsEntered || state.expression.empty()) {
        return;
    }
    state.expression.pop_back();
    ResetEntry();
    R1Click();
    Hukkatu();
}

void Kokuban::Hukkatu() {
    if (!state.expression.empty() || state.restoreText.empty()) {
        return;
    }
    const auto equals = state.restoreText.find('=');
    if (equals != std::string::npos) {
        state.restoreText.resize(equals);
    }
    // A refused character inside the replay clears again and rewrites restoreText.
    const std::string replay = state.restoreText;
    state.expression.clear();
    ResetEntry();
    for (char ch : replay) {
        InputChar(ch);
    }
    ShowInMemo1(state.expression);
}

void Kokuban::VK_DeleteKey() {
    if (board.layout.scrollOffset > 0) {
        HomeDsp();
        return;
    }
    if (!state.expression.empty()) {
        R1Click();
    }
    host_.ClearMemo1();
    host_.ClearMemo2();
    example.readingText.clear();
    if (state.replaying) {
        return;
    }
    HideExample();
    if (settings.MSGSPEAK != 0) {
        SpeakMessage("クリア－しました。");
    }
}

void Kokuban::ReCalcButtonClick() {
    state.replaying = true;
    // A scrolled board would make Delete only scroll back, and the replay would then meet
    // the finished calculation still on the board.
    if (board.layout.scrollOffset > 0) {
        HomeDsp();
    }
    VK_DeleteKey();
    if (settings.MSGSPEAK != 0) {
        SpeakMessage("再計算します。");
    }
    const std::string replay = state.restoreText;
    for (char ch : replay) {
        InputChar(ch);
    }
    ShowInMemo1(state.expression);
    state.replaying = false;
    ExampleAfterRecalculation();
}

void Kokuban::HomeDsp() {
    if (state.entryOpen) {
        return;
    }
    scrollPosition_ = 0;
    host_.SetScrollPosition(0);
    board.layout.scrollOffset = 0;
    FormPaint();
}

void Kokuban::GamenClear() {
    canvas().FillRect(0, 0, clientWidth_, clientHeight_, board.colours.background);
    host_.BoardChanged();
}

void Kokuban::KaigyouToggle() {
    if (state.entryOpen) {
        return;
    }
    settings.KAIGYO_FLAG = 1 - settings.KAIGYO_FLAG;
    GamenClear();
    HomeDsp();
}

void Kokuban::SetLineBreak(int flag) {
    settings.KAIGYO_FLAG = flag;
    if (!state.entryOpen) {
        GamenClear();
        HomeDsp();
    }
}

void Kokuban::IroChange() {
    settings.DSP_CL_TYPE = 1 - settings.DSP_CL_TYPE;
    board.SetColourScheme(settings.DSP_CL_TYPE);
    host_.CaptionsChanged();
    FormPaint();
}

}  // namespace kazu
