// 数ちゃん walks the explanation of the finished calculation over the board: the cells of each
// step are marked on top of the board's drawing, the step's sentence is read, and the next step
// follows when the voice has finished. G, Space or a click on the board goes on at once, K goes
// back one, Esc ends the walk; spoken つぎ, もどって, もういちど and おわり do the same.
#pragma once

#include <QObject>
#include <QRect>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/working/BoardExplanation.h"
#include "speech/Recognizer.h"
#include "speech/Voice.h"

class QKeyEvent;
class QPainter;
class QWidget;

namespace kazu {

class BoardView;

// The marks of one step on a picture of the board, in its coordinates: a frame and a light
// wash that show on the blackboard and on the whiteboard alike.
void PaintMarks(QPainter& painter, const std::vector<QRect>& marks);

// The board rectangles of one step's cells.
std::vector<QRect> StepMarks(const BoardExplanation& explanation, size_t step);

class ExplanationWalk : public QObject, public VoiceListener {
    Q_OBJECT
  public:
    // reveal brings a rectangle of the board's image into view, as the drawing does.
    ExplanationWalk(Kokuban& model, Voice& voice, BoardView& board,
                    std::function<void(const QRect&)> reveal, QObject* parent = nullptr);

    // From the first step; false when the board holds nothing to explain.
    bool Start();
    // The marks go and the voice stops.
    void End();
    bool active() const { return explanation_.has_value(); }
    // The step shown (from 0) and how many there are.
    size_t step() const { return step_; }
    size_t steps() const { return active() ? explanation_->sentences.size() : 0; }
    // The marks of the step shown, in the board image's coordinates.
    const std::vector<QRect>& marks() const { return marks_; }

    void Next();
    void Back();
    void Again();

    // The walk's keys and words while it runs; true when it took them.
    bool KeyDown(const QKeyEvent& event);
    bool Heard(const Recognition& recognition);
    enum class Word { None, Next, Back, Again, End };

    // The voice's events go on to the owner; the end of a step's sentence brings the next step.
    void OnAudioLevel(int level) override { model_.OnAudioLevel(level); }
    void OnViseme(int viseme) override { model_.OnViseme(viseme); }
    void OnEndStream() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Kokuban& model_;
    Voice& voice_;
    BoardView& board_;
    std::function<void(const QRect&)> reveal_;
    QWidget* layer_ = nullptr;
    std::optional<BoardExplanation> explanation_;
    size_t step_ = 0;
    std::vector<QRect> marks_;
    // Set while the sentence of the step shown is being read.
    bool reading_ = false;
    // Counts the steps shown: an end of speech that comes after the child moved on is stale.
    unsigned shown_ = 0;
    // With the voice off, the board's step pause paces the walk.
    QTimer pause_;

    bool Do(Word word);
    void Show(size_t step);
    void StepDone();
};

}  // namespace kazu
