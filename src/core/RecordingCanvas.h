// A canvas decorator that logs every drawing call in the dump format of `kazuchan --render`,
// and a pacer that logs pauses instead of waiting. Tests assert on these lines.
#pragma once

#include <string>
#include <vector>

#include "core/Canvas.h"

namespace kazu {

std::string ColourText(Colour colour);  // "#RRGGBB"
std::string QuotedText(const std::string& text);

class RecordingCanvas : public Canvas {
  public:
    explicit RecordingCanvas(Canvas& inner) : inner_(inner) {}

    void FillRect(int x1, int y1, int x2, int y2, Colour colour) override;
    void SetFontName(const std::string& name) override { inner_.SetFontName(name); }
    void SetFontSize(int points) override { inner_.SetFontSize(points); }
    int FontSize() const override { return inner_.FontSize(); }
    void SetFontColour(Colour colour) override { inner_.SetFontColour(colour); }
    Colour FontColour() const override { return inner_.FontColour(); }
    int TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override { return inner_.TextWidth(text); }
    int TextHeight(const std::string& text) override { return inner_.TextHeight(text); }
    void Line(int x1, int y1, int x2, int y2, int width, Colour colour) override;

    // Lines written by the canvas and by anyone else sharing the log (the pacer, the result).
    std::vector<std::string>& log() { return log_; }

  private:
    Canvas& inner_;
    std::vector<std::string> log_;
};

// Deterministic metrics without any font machinery: a half-width character is size/2 wide, a
// full-width one size wide, every text size * 4 / 3 high.
class MetricsCanvas : public Canvas {
  public:
    void FillRect(int, int, int, int, Colour) override {}
    void SetFontName(const std::string&) override {}
    void SetFontSize(int points) override { size_ = points; }
    int FontSize() const override { return size_; }
    void SetFontColour(Colour colour) override { colour_ = colour; }
    Colour FontColour() const override { return colour_; }
    int TextOut(int x, int, const std::string& text) override { return x + TextWidth(text); }
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string&) override { return size_ * 4 / 3; }
    void Line(int, int, int, int, int, Colour) override {}

  private:
    int size_ = 10;
    Colour colour_ = 0;
};

class RecordingPacer : public Pacer {
  public:
    explicit RecordingPacer(std::vector<std::string>& log) : log_(log) {}
    void Pause(int milliseconds) override;
    bool SkipRequested() override;
    // After this many further SkipRequested calls, one answers true (tests of the cut-short).
    void RequestSkipAfter(int checks) { skipAfter_ = checks; }
    int pauses() const { return pauses_; }

  private:
    std::vector<std::string>& log_;
    int skipAfter_ = -1;
    int pauses_ = 0;
};

}  // namespace kazu
