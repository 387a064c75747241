#include "app/WindowPacer.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace kazu {
namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Close:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

bool IsSkipRequest(QEvent* event) {
    return event->type() == QEvent::MouseButtonPress ||
           (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape);
}

}  // namespace

// The filter stays installed: adding or removing an application filter while Qt walks the
// filters for the very key that started the drawing would let that key be seen twice.
WindowPacer::WindowPacer(std::function<void()> showProgress, QObject* parent)
    : QObject(parent), showProgress_(std::move(showProgress)) {
    qApp->installEventFilter(this);
}

WindowPacer::~WindowPacer() {
    qApp->removeEventFilter(this);
}

void WindowPacer::Begin() {
    if (depth_++ == 0) {
        skip_ = false;
    }
}

void WindowPacer::End() {
    if (depth_ == 0 || --depth_ > 0) {
        return;
    }
    if (stepWindow_ != nullptr) {
        stepWindow_->hide();  // shown only while a calculation is being stepped
    }
    // Deliver what was typed or clicked meanwhile, in order, as if it came now.
    auto held = std::move(held_);
    held_.clear();
    for (auto& [receiver, event] : held) {
        if (!receiver) {
            continue;
        }
        if (event->type() == QEvent::Close) {
            // A close asked for during the drawing closes the window properly afterwards.
            QMetaObject::invokeMethod(receiver, "close", Qt::QueuedConnection);
        } else {
            QCoreApplication::postEvent(receiver, event.release());
        }
    }
}

void WindowPacer::Pause(int milliseconds) {
    if (skip_ || milliseconds <= 0) {
        return;
    }
    Begin();  // a pause outside a drawing still delivers what it held
    if (showProgress_) {
        showProgress_();
    }
    // Input is held only inside the wait: outside it nothing is processed anyway, and a
    // message box shown by the drawing must still get its clicks.
    QEventLoop loop;
    loop_ = &loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    loop_ = nullptr;
    End();
}

bool WindowPacer::SkipRequested() {
    return skip_;
}

void WindowPacer::SetStepping(QWidget* stepWindow, QWidget* board, std::function<void()> leave) {
    stepWindow_ = stepWindow;
    board_ = board;
    leaveStepping_ = std::move(leave);
}

bool WindowPacer::WaitForStep() {
    if (skip_) {
        return false;
    }
    Begin();
    if (showProgress_) {
        showProgress_();
    }
    if (stepWindow_ != nullptr && !stepWindow_->isVisible()) {
        stepWindow_->show();
    }
    QEventLoop loop;
    loop_ = &loop;
    stepWaiting_ = true;
    // The program ending quits every loop: then the rest is drawn at once.
    stepAnswer_ = StepAnswer::Finish;
    emit waitingForStep();
    loop.exec();
    stepWaiting_ = false;
    loop_ = nullptr;
    const StepAnswer answer = stepAnswer_;
    if (answer == StepAnswer::Leave && leaveStepping_) {
        leaveStepping_();
    }
    End();
    return answer != StepAnswer::Finish;
}

// Input during a step wait: G and a left click on the board advance, Y leaves stepping, Esc
// finishes at once; everything else waits for the end of the drawing.
bool WindowPacer::StepInput(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Close) {
        // Closing the window must not wait for the user's next step.
        skip_ = true;
        stepAnswer_ = StepAnswer::Finish;
        loop_->quit();
        return false;
    }
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease ||
        type == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_G || key == Qt::Key_Y) {
            if (type == QEvent::KeyPress) {
                stepAnswer_ = key == Qt::Key_G ? StepAnswer::Next : StepAnswer::Leave;
                loop_->quit();
            }
            return true;
        }
        if (key == Qt::Key_Escape && type == QEvent::KeyPress) {
            skip_ = true;
            stepAnswer_ = StepAnswer::Finish;
            loop_->quit();
        }
        return false;  // held, and handled after the drawing
    }
    if (type == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && board_ != nullptr &&
        (watched == board_ || board_->isAncestorOf(static_cast<QWidget*>(watched)))) {
        stepAnswer_ = StepAnswer::Next;
        loop_->quit();
        return true;
    }
    return false;
}

bool WindowPacer::eventFilter(QObject* watched, QEvent* event) {
    // The platform window hands every input on to its widgets; hold it there, once.
    if (loop_ == nullptr || !watched->isWidgetType() || !IsUserInput(event->type())) {
        return false;
    }
    if (stepWaiting_) {
        if (StepInput(watched, event)) {
            return true;
        }
    } else if (IsSkipRequest(event)) {
        skip_ = true;
        if (loop_ != nullptr) {
            loop_->quit();
        }
    }
    held_.emplace_back(watched, event->clone());
    if (event->type() == QEvent::Close) {
        event->ignore();  // an accepted close would go through at once
    }
    return true;
}

}  // namespace kazu
