#include "app/WindowPacer.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace kazu {
namespace {

bool IsHeldInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
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
        skip_ = !closing_.empty();
        modalAtBegin_ = QApplication::activeModalWidget();
    }
}

void WindowPacer::End() {
    if (depth_ == 0 || --depth_ > 0) {
        return;
    }
    if (stepWindow_ != nullptr) {
        stepWindow_->hide();  // shown only while a calculation is being stepped
    }
    Deliver();
}

// Each held input once, in order, as if it came now. Input held while one of them is handled
// (its blink, the drawing it starts) joins the end of this same queue, so nothing is held or
// delivered twice however the waits nest.
void WindowPacer::Deliver() {
    if (delivering_) {
        return;
    }
    delivering_ = true;
    while (!closing_.empty() || !held_.empty()) {
        if (!closing_.empty()) {
            // A close comes before the input that waited with it: the user is leaving.
            const auto windows = std::move(closing_);
            closing_.clear();
            for (const QPointer<QWidget>& window : windows) {
                if (window != nullptr) {
                    window->close();
                }
            }
            continue;
        }
        const Held next = std::move(held_.front());
        held_.pop_front();
        // Input for a window that has been closed meanwhile goes nowhere.
        if (next.receiver == nullptr ||
            (next.receiver->isWidgetType() &&
             !static_cast<QWidget*>(next.receiver.data())->window()->isVisible())) {
            continue;
        }
        QCoreApplication::sendEvent(next.receiver, next.event.get());
    }
    delivering_ = false;
}

void WindowPacer::Wait(QEventLoop& loop) {
    waits_.push_back(&loop);
    loop.exec();
    waits_.pop_back();
}

void WindowPacer::FinishAtOnce() {
    skip_ = true;
    for (QEventLoop* wait : waits_) {
        wait->quit();
    }
}

void WindowPacer::Pause(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    Begin();  // a pause outside a drawing still delivers what it held
    if (!skip_) {
        if (showProgress_) {
            showProgress_();
        }
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        Wait(loop);
    }
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
    QEventLoop* const outer = stepWait_;
    stepWait_ = &loop;
    // The program ending quits every loop: then the rest is drawn at once.
    stepAnswer_ = StepAnswer::Finish;
    emit waitingForStep();
    Wait(loop);
    stepWait_ = outer;
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
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease ||
        type == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_G || key == Qt::Key_Y) {
            if (type == QEvent::KeyPress) {
                stepAnswer_ = key == Qt::Key_G ? StepAnswer::Next : StepAnswer::Leave;
                stepWait_->quit();
            }
            return true;
        }
        if (key == Qt::Key_Escape && type == QEvent::KeyPress) {
            stepAnswer_ = StepAnswer::Finish;
            FinishAtOnce();
        }
        return false;  // held, and handled after the drawing
    }
    if (type == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && board_ != nullptr &&
        (watched == board_ || board_->isAncestorOf(static_cast<QWidget*>(watched)))) {
        stepAnswer_ = StepAnswer::Next;
        stepWait_->quit();
        return true;
    }
    return false;
}

// A box that the drawing itself opened (a refusal, the overflow notice) is answered at once.
bool WindowPacer::ForTheUser(QWidget* widget) const {
    const QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal != modalAtBegin_ && widget->window() == modal;
}

bool WindowPacer::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Shortcuts go to actions, everything else to widgets.
    if (depth_ == 0 || (!watched->isWidgetType() && type != QEvent::Shortcut) ||
        (watched->isWidgetType() && ForTheUser(static_cast<QWidget*>(watched)))) {
        return false;
    }
    if (type == QEvent::Close) {
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow()) {
            return false;
        }
        // Closing must not wait for a paced drawing: it ends at once, then the window closes.
        closing_.emplace_back(window);
        FinishAtOnce();
        event->ignore();
        return true;
    }
    if (stepWait_ != nullptr) {
        if (StepInput(watched, event)) {
            return true;
        }
    } else if (IsSkipRequest(event)) {
        FinishAtOnce();
    }
    if (type == QEvent::ShortcutOverride) {
        return true;  // asked again, if at all, when the key itself comes
    }
    if (!IsHeldInput(type)) {
        return false;
    }
    held_.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

}  // namespace kazu
