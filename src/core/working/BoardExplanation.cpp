#include "core/working/BoardExplanation.h"

namespace kazu {

std::optional<BoardExplanation> ExplainBoard(Kokuban& model) {
    const Board& board = model.board;
    if (model.state.entryOpen || !model.state.entry.drawReady ||
        model.division.status == DivisionStatus::kOverflow || board.canvas() == nullptr) {
        return std::nullopt;
    }
    const BoardOperands& o = board.operands;
    auto working = BuildWorking({o.aInt, o.aDec, o.bInt, o.bDec, o.op, model.settings.POINTMAX});
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
