// The window's pacer: a pause shows the board so far and waits in a local event loop, so the
// window repaints and the clock runs; every input meanwhile is held back and delivered after
// the drawing, except that Esc and a mouse press ask for the rest to be drawn at once.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "core/Canvas.h"

class QEventLoop;

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

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> showProgress_;
    int depth_ = 0;
    bool skip_ = false;
    QEventLoop* loop_ = nullptr;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

}  // namespace kazu
