#include "app/WindowPacer.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

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

bool WindowPacer::eventFilter(QObject* watched, QEvent* event) {
    // The platform window hands every input on to its widgets; hold it there, once.
    if (loop_ == nullptr || !watched->isWidgetType() || !IsUserInput(event->type())) {
        return false;
    }
    const bool escape = event->type() == QEvent::KeyPress &&
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (escape || event->type() == QEvent::MouseButtonPress) {
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
