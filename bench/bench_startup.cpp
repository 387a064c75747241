// Start-up to the first painted board, against a minimal Qt window that shows itself and
// quits, both started as fresh processes side by side; and the resident memory after start.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QPaintEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Kokuban_v24.h"
#include "app/QtCanvas.h"
#include "support/RecordingVoice.h"

namespace {

// Quits the program once the watched widget has painted.
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && !done_) {
            done_ = true;
            QTimer::singleShot(0, qApp, [] {
                QFile status(QStringLiteral("/proc/self/status"));
                if (status.open(QIODevice::ReadOnly)) {
                    for (const QByteArray& line : status.readAll().split('\n')) {
                        if (line.startsWith("VmRSS:")) {
                            std::fprintf(stderr, "%s\n", line.constData());
                        }
                    }
                }
                QApplication::exit(0);
            });
        }
        return false;
    }

  private:
    bool done_ = false;
};

int Child(int argc, char** argv, bool board) {
    QApplication app(argc, argv);
    FirstPaint watcher;
    app.installEventFilter(&watcher);
    std::unique_ptr<QWidget> window;
    if (board) {
        kazu::InstallFontSubstitutions();
        const QString folder = QString::fromLocal8Bit(argv[2]);
        auto store =
            std::make_unique<kazu::SettingsStore>(folder.toStdString(), folder.toStdString());
        window = std::make_unique<kazu::TKokubanForm>(std::move(store),
                                                      std::make_unique<kazu::RecordingVoice>());
    } else {
        window = std::make_unique<QMainWindow>();
        window->resize(804, 400);
    }
    window->show();
    return app.exec();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "--child-minimal") {
        return Child(argc, argv, false);
    }
    if (argc >= 3 && QByteArray(argv[1]) == "--child-board") {
        return Child(argc, argv, true);
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const int runs = argc >= 2 ? std::max(1, atoi(argv[1])) : 15;
    std::vector<double> minimal, board;
    QByteArray rss;
    for (int i = 0; i < runs; ++i) {
        for (const bool isBoard : {false, true}) {
            QProcess child;
            QStringList args{isBoard ? QStringLiteral("--child-board")
                                     : QStringLiteral("--child-minimal")};
            if (isBoard) {
                args << folder.path() + QLatin1Char('/');
            }
            QElapsedTimer clock;
            clock.start();
            child.start(QCoreApplication::applicationFilePath(), args);
            child.waitForFinished(30000);
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            (isBoard ? board : minimal).push_back(ms);
            if (isBoard) {
                rss = child.readAllStandardError().trimmed();
            }
        }
    }
    const double m = Median(minimal), b = Median(board);
    std::printf("platform %s, %d runs each\n", qgetenv("QT_QPA_PLATFORM").constData(), runs);
    std::printf("minimal Qt window: median %.1f ms\n", m);
    std::printf("blackboard window: median %.1f ms\n", b);
    std::printf("ratio: %.2f (goal at most 1.3)\n", b / m);
    std::printf("blackboard after start: %s\n", rss.constData());
    return 0;
}
