// The board's drawing surface: the window's backing image, a printer page, an exported picture,
// or a recorder for tests. Coordinates are integer pixels, colours 0xRRGGBB, texts UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace kazu {

using Colour = uint32_t;

class Canvas {
  public:
    virtual ~Canvas() = default;

    // Fills x1 <= x < x2, y1 <= y < y2.
    virtual void FillRect(int x1, int y1, int x2, int y2, Colour colour) = 0;
    // The board font's face; every canvas draws it with fixed pitch.
    virtual void SetFontName(const std::string& name) = 0;
    virtual void SetFontSize(int points) = 0;
    virtual int FontSize() const = 0;
    virtual void SetFontColour(Colour colour) = 0;
    virtual Colour FontColour() const = 0;
    // Writes text with its top-left corner at (x, y); returns the pen x after it.
    virtual int TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    virtual void Line(int x1, int y1, int x2, int y2, int width, Colour colour) = 0;
};

// The pacing of a drawing: a wait between steps, and the question whether the user asked to
// finish at once (Esc or a mouse press).
class Pacer {
  public:
    virtual ~Pacer() = default;
    virtual void Pause(int milliseconds) = 0;
    virtual bool SkipRequested() = 0;
    // Stepping by hand: waits for the user's go-ahead instead of the clock. False when the
    // user asked for the rest at once, which also ends the stepping.
    virtual bool WaitForStep() { return true; }
};

}  // namespace kazu
