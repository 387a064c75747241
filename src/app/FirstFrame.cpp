#include "app/FirstFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSaveFile>
#include <QWidget>
#include <ctime>
#include <vector>

namespace kazu {
namespace {

void WriteClock(const QString& path) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Whole or not at all: the reader may look while it is written.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(
            QByteArray::number(static_cast<qint64>(now.tv_sec) * 1000000000LL + now.tv_nsec));
        file.commit();
    }
}

// One per widget, so that what waits for the first paint runs in the order it was asked for:
// the start-up mark first, before anything that comes after the frame.
class FirstPaintWatcher : public QObject {
  public:
    explicit FirstPaintWatcher(QWidget* widget) : QObject(widget) {
        setObjectName(QLatin1String(kName));
        widget->installEventFilter(this);
    }
    static constexpr const char* kName = "kazu-first-paint";
    void Add(std::function<void()> then) { waiting_.push_back(std::move(then)); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            // Queued: after the paint handler has drawn and the frame has gone out. Each on its
            // own, so that one waiting in a local event loop (a blink) holds up none of the rest.
            for (auto& then : waiting_) {
                QMetaObject::invokeMethod(qApp, std::move(then), Qt::QueuedConnection);
            }
            waiting_.clear();
            watched->removeEventFilter(this);
            setObjectName(QString());  // what is asked for from now on waits for another paint
            deleteLater();
        }
        return false;
    }

  private:
    std::vector<std::function<void()>> waiting_;
};

}  // namespace

void AfterFirstPaint(QWidget* widget, std::function<void()> then) {
    auto* watcher = static_cast<FirstPaintWatcher*>(widget->findChild<QObject*>(
        QLatin1String(FirstPaintWatcher::kName), Qt::FindDirectChildrenOnly));
    if (watcher == nullptr) {
        watcher = new FirstPaintWatcher(widget);
    }
    watcher->Add(std::move(then));
}

void WatchFirstFrame(QWidget* widget) {
    const QString path = qEnvironmentVariable("KAZU_FIRST_FRAME_FILE");
    if (!path.isEmpty()) {
        AfterFirstPaint(widget, [path] { WriteClock(path); });
    }
}

}  // namespace kazu
