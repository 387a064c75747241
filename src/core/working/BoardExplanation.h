// The written working of the calculation on the board, with the board's rectangle of each of its
// cells: what a view needs to walk the explanation over the board itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Canvas.h"
#include "core/Kokuban_v24/Kokuban.h"
#include "core/working/BoardCells.h"
#include "core/working/Working.h"

namespace kazu {

// Passes every call on and keeps the texts written, with the font size they were written in.
class TextRecorder : public Canvas {
  public:
    explicit TextRecorder(Canvas& inner) : inner_(inner) {}

    void FillRect(int x1, int y1, int x2, int y2, Colour colour) override {
        inner_.FillRect(x1, y1, x2, y2, colour);
    }
    void SetFontName(const std::string& name) override { inner_.SetFontName(name); }
    void SetFontSize(int points) override { inner_.SetFontSize(points); }
    int FontSize() const override { return inner_.FontSize(); }
    void SetFontColour(Colour colour) override { inner_.SetFontColour(colour); }
    Colour FontColour() const override { return inner_.FontColour(); }
    int TextOut(int x, int y, const std::string& text) override {
        texts_.push_back({x, y, inner_.FontSize(), text});
        return inner_.TextOut(x, y, text);
    }
    int TextWidth(const std::string& text) override { return inner_.TextWidth(text); }
    int TextHeight(const std::string& text) override { return inner_.TextHeight(text); }
    void Line(int x1, int y1, int x2, int y2, int width, Colour colour) override {
        inner_.Line(x1, y1, x2, y2, width, colour);
    }

    const std::vector<BoardText>& texts() const { return texts_; }

  private:
    Canvas& inner_;
    std::vector<BoardText> texts_;
};

struct BoardExplanation {
    Working working;
    BoardCells cells;
    // The sentence a child hears for each step, in order.
    std::vector<std::string> sentences;
};

// The calculation standing on the board, as the working's input with `places` quotient places;
// nothing while none stands.
std::optional<WorkingInput> BoardCalculation(const Kokuban& model, int places);

// Nothing while no finished calculation stands on the board, or when it cannot be written out.
// The board is drawn again (a repaint, without pauses) to find where its cells stand.
std::optional<BoardExplanation> ExplainBoard(Kokuban& model);

}  // namespace kazu
