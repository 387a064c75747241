// The window's pacer: a pause shows the board so far and waits in a local event loop, so the
// window repaints and the clock runs; every input meanwhile is held back and delivered after
// the drawing, except that Esc and a mouse press ask for the rest to be drawn at once.
// Stepping by hand waits instead for G or a left click on the board; Esc draws the rest at once,
// Y leaves stepping and lets the clock pace the rest.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "core/Canvas.h"

class QEventLoop;
class QWidget;

namespace kazu {

class WindowPacer : public QObject, public Pacer {
    Q_OBJECT
  public:
    // showProgress brings the image drawn so far to the screen.
    explicit WindowPacer(std::function<void()> showProgress, QObject* parent = nullptr);
    ~WindowPacer() override;

    // One drawing: input held back by its pauses is delivered at End.
    void Begin();
    void End();
    bool active() const { return depth_ > 0; }

    void Pause(int milliseconds) override;
    bool SkipRequested() override;
    bool WaitForStep() override;

    // The window with the step instructions, shown while a calculation is stepped; the board,
    // whose left clicks advance; what Y does (called once the wait is over, so it may ask).
    void SetStepping(QWidget* stepWindow, QWidget* board, std::function<void()> leave);

  signals:
    // A step wait has begun and waits for the user.
    void waitingForStep();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> showProgress_;
    int depth_ = 0;
    bool skip_ = false;
    QEventLoop* loop_ = nullptr;
    enum class StepAnswer { Next, Finish, Leave };
    bool stepWaiting_ = false;
    StepAnswer stepAnswer_ = StepAnswer::Finish;
    QPointer<QWidget> stepWindow_;
    QPointer<QWidget> board_;
    std::function<void()> leaveStepping_;

    bool StepInput(QObject* watched, QEvent* event);
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

}  // namespace kazu
