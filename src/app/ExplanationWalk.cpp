#include "app/ExplanationWalk.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <map>

#include "app/BoardView.h"

namespace kazu {
namespace {

const QColor kFrame(255, 140, 0);     // orange: no colour of either scheme
const QColor kWash(255, 200, 0, 70);  // a light yellow over the digits
constexpr int kFrameWidth = 3;

// Words of the walk as either voice mode writes them.
ExplanationWalk::Word WordIn(const std::string& text) {
    using Word = ExplanationWalk::Word;
    static const struct {
        Word word;
        std::vector<const char*> spellings;
    } kWords[] = {
        {Word::Next, {"つぎ", "次"}},
        {Word::Back, {"もどって", "戻って"}},
        {Word::Again, {"もういちど", "もう一度"}},
        {Word::End, {"おわり", "終わり"}},
    };
    for (const auto& [word, spellings] : kWords) {
        for (const char* spelling : spellings) {
            if (text.find(spelling) != std::string::npos) {
                return word;
            }
        }
    }
    return Word::None;
}

// Lies over the board view and draws the marks of the step shown where the view shows them.
class MarkLayer : public QWidget {
  public:
    MarkLayer(const ExplanationWalk& walk, BoardView& board)
        : QWidget(&board), walk_(walk), board_(board) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(board.rect());
        hide();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.translate(-board_.offset());
        PaintMarks(painter, walk_.marks());
    }

  private:
    const ExplanationWalk& walk_;
    BoardView& board_;
};

}  // namespace

void PaintMarks(QPainter& painter, const std::vector<QRect>& marks) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const QRect& mark : marks) {
        painter.fillRect(mark, kWash);
    }
    painter.setPen(QPen(kFrame, kFrameWidth));
    painter.setBrush(Qt::NoBrush);
    // The frame stands just outside the cell, so it never covers a stroke of the digit.
    for (const QRect& mark : marks) {
        painter.drawRect(
            mark.adjusted(-kFrameWidth + 1, -kFrameWidth + 1, kFrameWidth - 1, kFrameWidth - 1));
    }
    painter.restore();
}

std::vector<QRect> StepMarks(const BoardExplanation& explanation, size_t step) {
    std::vector<QRect> marks;
    for (const BoardRect& r : explanation.cells.OfStep(explanation.working.steps.at(step))) {
        marks.push_back(QRect(QPoint(r.x1, r.y1), QPoint(r.x2 - 1, r.y2 - 1)));
    }
    return marks;
}

ExplanationWalk::ExplanationWalk(Kokuban& model, Voice& voice, BoardView& board,
                                 std::function<void(const QRect&)> reveal, QObject* parent)
    : QObject(parent),
      model_(model),
      voice_(voice),
      board_(board),
      reveal_(std::move(reveal)),
      layer_(new MarkLayer(*this, board)) {
    voice_.SetListener(this);
    board_.installEventFilter(this);
    pause_.setSingleShot(true);
    connect(&pause_, &QTimer::timeout, this, [this] { StepDone(); });
}

bool ExplanationWalk::Start() {
    End();
    explanation_ = ExplainBoard(model_);
    if (!explanation_ || explanation_->sentences.empty()) {
        explanation_.reset();
        return false;
    }
    layer_->setGeometry(board_.rect());
    layer_->show();
    layer_->raise();
    Show(0);
    return true;
}

void ExplanationWalk::End() {
    if (!active()) {
        return;
    }
    pause_.stop();
    if (reading_) {
        reading_ = false;
        voice_.Skip("Sentence", 1000);
    }
    explanation_.reset();
    ++shown_;
    marks_.clear();
    layer_->hide();
}

void ExplanationWalk::Show(size_t step) {
    pause_.stop();
    if (reading_) {
        reading_ = false;  // the rest of the sentence before is not this step's end
        voice_.Skip("Sentence", 1000);
    }
    step_ = step;
    ++shown_;
    marks_ = StepMarks(*explanation_, step);
    if (!marks_.empty()) {
        QRect all;
        for (const QRect& mark : marks_) {
            all |= mark;
        }
        // With a little of the board around them, so the frame is never at the very edge.
        const int margin = std::max(kFrameWidth, model_.board.layout.rowHeight / 4);
        reveal_(all.adjusted(-margin, -margin, margin, margin));
    }
    layer_->update();
    const std::string& sentence = explanation_->sentences[step];
    if (model_.settings.SIKISPEAK == 1) {
        reading_ = true;
        model_.SpeakText(sentence, 0);
    } else if (model_.board.speed() > 0) {
        pause_.start(model_.board.speed() * 100);
    }
    // With neither voice nor pause the child goes on by hand.
}

void ExplanationWalk::OnEndStream() {
    model_.OnEndStream();
    if (!reading_) {
        return;
    }
    reading_ = false;
    // Not from within the voice's own call: the next sentence is asked for afterwards.
    QMetaObject::invokeMethod(
        this,
        [this, shown = shown_] {
            if (shown == shown_) {
                StepDone();
            }
        },
        Qt::QueuedConnection);
}

void ExplanationWalk::StepDone() {
    // The last step stays marked until the child ends the walk.
    if (active() && step_ + 1 < steps()) {
        Show(step_ + 1);
    }
}

void ExplanationWalk::Next() {
    if (step_ + 1 < steps()) {
        Show(step_ + 1);
    } else {
        End();
    }
}

void ExplanationWalk::Back() {
    Show(step_ > 0 ? step_ - 1 : 0);
}

void ExplanationWalk::Again() {
    Show(step_);
}

bool ExplanationWalk::KeyDown(const QKeyEvent& event) {
    if ((event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    switch (event.key()) {
        case Qt::Key_G:
        case Qt::Key_Space:
            return Do(Word::Next);
        case Qt::Key_K:
            return Do(Word::Back);
        case Qt::Key_Escape:
            return Do(Word::End);
        default:
            return false;
    }
}

bool ExplanationWalk::Heard(const Recognition& recognition) {
    return Do(WordIn(recognition.text));
}

bool ExplanationWalk::Do(Word word) {
    if (!active() || word == Word::None) {
        return false;
    }
    const std::map<Word, void (ExplanationWalk::*)()> actions = {
        {Word::Next, &ExplanationWalk::Next},
        {Word::Back, &ExplanationWalk::Back},
        {Word::Again, &ExplanationWalk::Again},
        {Word::End, &ExplanationWalk::End},
    };
    (this->*actions.at(word))();
    return true;
}

bool ExplanationWalk::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &board_ && event->type() == QEvent::Resize) {
        layer_->setGeometry(board_.rect());
    }
    if (watched == &board_ && event->type() == QEvent::MouseButtonPress && active()) {
        Next();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kazu
