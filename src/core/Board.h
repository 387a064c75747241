// The board's geometry, colours and drawing helpers, shared by the four written layouts.
#pragma once

#include <cstdint>
#include <string>

#include "core/Canvas.h"
#include "core/Funcsv.h"
#include "core/Kokuban_v24/CalcState.h"
#include "core/Settings.h"

namespace kazu {

struct BoardLayout {
    int32_t fontSize = 40;
    int32_t halfSize = 16;
    int32_t digitWidth = 0;
    int32_t textHeight = 0;
    int32_t cellWidth = 0;
    int32_t rowHeight = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t scrollOffset = 0;
    int32_t labelsShown = 0;
    int32_t guideShown = 0;  // the remainder point guide of a division
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    int32_t answerX = 0;
    int32_t rightX = 0;
    int32_t nextEntryX = 0;
    int32_t cursorBlinkPhase = 0;
};

struct ColourScheme {
    Colour background, digit, sign, equals, rule, carry, lentDigit, strikeDigit, strikePoint,
        answer, underline, note, accentA, accentB, accentC, accentD, cursor;
};

inline constexpr Colour kMarkerRed = 0xFF0000;
inline constexpr Colour kLostZeroGrey = 0x808080;
inline constexpr Colour kFontTeal = 0x008080;

ColourScheme SchemeColours(int scheme);  // 0 blackboard, 1 whiteboard

enum class MessageIcon { None, Exclamation };

// What a layout asks of the main window: a division that cannot be worked tells the user and
// has the expression typed again.
class BoardHost {
  public:
    virtual ~BoardHost() = default;
    // A modal box with an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // Puts a key-down into the window's input queue; the key map handles it after the
    // current operation, like a key the user pressed.
    virtual void PostKey(int virtualKey) = 0;
};

struct BoardOperands {
    std::string aInt, aDec;
    int32_t aIntCount = 0, aDecCount = 0;
    std::string bInt, bDec;
    int32_t bIntCount = 0, bDecCount = 0;
    char op = '!';
    int32_t maxInt = 0, maxDec = 0, maxTotal = 0;
    std::string result;
    // The further result texts of the decimal layouts.
    std::string result2, result3;
};

// Cell contents for DrawCell besides plain characters: a digit value, or a struck zero.
inline constexpr int kStruckZero = 'z';

// Truncation toward zero of a position computed with a fractional factor.
inline int Trunc(long double value) {
    return static_cast<int>(value);
}

std::string ToFullWidth(int ch);

// The board: geometry, operands and the drawing helpers, drawing on the current canvas.
class Board {
  public:
    Board(CalcState& state, AppSettings& settings, DivisionRecord& division)
        : state_(state), settings_(settings), division_(division) {}

    BoardLayout layout;
    BoardOperands operands;
    ColourScheme colours = SchemeColours(0);
    // Set when SkipCheck cut the pauses short.
    bool cutShort = false;
    // The step display option: each pause waits for the user instead of the clock. Held for
    // the running program only.
    bool stepDisplay = false;

    void SetCanvas(Canvas* canvas) { canvas_ = canvas; }
    Canvas* canvas() const { return canvas_; }
    void SetPacer(Pacer* pacer) { pacer_ = pacer; }
    void SetHost(BoardHost* host) { host_ = host; }
    BoardHost* host() const { return host_; }

    int speed() const { return settings_.ENZANSPEED; }
    void setSpeed(int speed) { settings_.ENZANSPEED = speed; }
    int lineBreakMode() const { return settings_.KAIGYO_FLAG; }
    int carriesShown() const { return settings_.KURIAGARI; }
    int borrowsShown() const { return settings_.KURISAGARI; }
    int pointMax() const { return settings_.POINTMAX; }
    const CalcState& state() const { return state_; }
    const DivisionRecord& division() const { return division_; }
    DivisionRecord& division() { return division_; }

    void SetColourScheme(int scheme) { colours = SchemeColours(scheme); }
    // Measures digitWidth and textHeight of the board font at `size`, then cellWidth, rowHeight.
    void Measure(int size);

    bool DrawCalculation();
    void DrawExpressionLine();
    void DrawCell(int x, int y, Colour colour, int size, int ch, int strike, int delayed);
    void DrawCellNow(int x, int y, Colour colour, int size, int ch) {
        DrawCell(x, y, colour, size, ch, 0, 0);
    }
    void DrawLine(int x1, int y1, int x2, int y2, int width, Colour colour);
    void DrawLineDelayed(int x1, int y1, int x2, int y2, int width, Colour colour, int delay);
    void DrawAnswer(int x, std::string answerText, const std::string& remainderText);
    // Writes a role label at font size fontSize * 0.7 in the current font colour.
    void DrawLabel(int x, int y, const std::string& text);
    void StepDelay();
    void SkipCheck();
    // Pen x after the last text written.
    int penX() const { return penX_; }
    // y of the first operand's row in the column layouts.
    int FirstRowY() const;

  private:
    CalcState& state_;
    AppSettings& settings_;
    DivisionRecord& division_;
    Canvas* canvas_ = nullptr;
    Pacer* pacer_ = nullptr;
    BoardHost* host_ = nullptr;
    int penX_ = 0;

    int Text(int x, int y, const std::string& text);
    void DrawOperandOnLine(int& x, int y, const std::string& intDigits,
                           const std::string& fracDigits);
    void DrawLayout();
};

}  // namespace kazu
