// The window's pacer: a pause shows the board so far and waits in a local event loop, so the
// window repaints and the clock runs; every input meanwhile is held back and delivered after
// the drawing, except that Esc and a mouse press ask for the rest to be drawn at once.
// Stepping by hand waits instead for G or a left click on the board; Esc draws the rest at once,
// Y leaves stepping and lets the clock pace the rest.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <deque>
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

    // One drawing: input held back meanwhile is delivered at the End of the outermost one.
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
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    std::function<void()> showProgress_;
    int depth_ = 0;
    bool skip_ = false;
    // The waits in progress, innermost last: a blink may wait inside a pause.
    std::vector<QEventLoop*> waits_;
    // A box that was already up when the drawing began waits with it; one opened since is the
    // user's to answer.
    QPointer<QWidget> modalAtBegin_;
    // One queue for all held input, filled by every wait, emptied at the outermost End.
    std::deque<Held> held_;
    bool delivering_ = false;
    // Windows whose close was asked for during the drawing: closed as soon as it ends.
    std::vector<QPointer<QWidget>> closing_;

    enum class StepAnswer { Next, Finish, Leave };
    QEventLoop* stepWait_ = nullptr;
    StepAnswer stepAnswer_ = StepAnswer::Finish;
    QPointer<QWidget> stepWindow_;
    QPointer<QWidget> board_;
    std::function<void()> leaveStepping_;

    void Wait(QEventLoop& loop);
    void FinishAtOnce();
    void Deliver();
    bool ForTheUser(QWidget* widget) const;
    bool StepInput(QObject* watched, QEvent* event);
};

}  // namespace kazu
