#include "core/working/BoardExplanation.h"

namespace kazu {

std::optional<WorkingInput> BoardCalculation(const Kokuban& model, int places) {
    if (!Calculated(model)) {
        return std::nullopt;
    }
    const BoardOperands& o = model.board.operands;
    return WorkingInput{o.aInt, o.aDec, o.bInt, o.bDec, o.op, places};
}

std::optional<BoardExplanation> ExplainBoard(Kokuban& model) {
    const Board& board = model.board;
    const std::optional<WorkingInput> input = BoardCalculation(model, model.settings.POINTMAX);
    auto working = input && board.canvas() != nullptr ? BuildWorking(*input) : std::nullopt;
    if (!working) {
        return std::nullopt;
    }
    Canvas* const screen = board.canvas();
    TextRecorder recorder(*screen);
    model.board.SetCanvas(&recorder);
    model.FormPaint();
    model.board.SetCanvas(screen);
    const BoardLayout& l = board.layout;
    BoardCells cells(*working, recorder.texts(),
                     {l.fontSize, l.halfSize, l.cellWidth, l.rowHeight, l.textHeight,
                      l.originY + l.rowHeight - l.scrollOffset});
    std::vector<std::string> sentences;
    for (const Step& step : working->steps) {
        sentences.push_back(ExplainStep(*working, step));
    }
    return BoardExplanation{std::move(*working), std::move(cells), std::move(sentences)};
}

}  // namespace kazu
