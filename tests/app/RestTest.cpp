// The window at rest: the half-second timer brings only the entry cursor's cell to the screen,
// and once a finished calculation is shown the board is not painted at all.
#include <QTest>

#include "FormFixture.h"

namespace kazu {

class RestTest : public QObject {
    Q_OBJECT

  private slots:
    void cursorTicksPaintOnlyTheCursorCell();
};

namespace {

// The board's paints, by region.
class PaintLog : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        }
        return false;
    }
    std::vector<QRegion> regions;
};

// Waits for `ticks` turns of the cursor's blink phase, which only the timer turns.
bool WaitForTicks(FormFixture& f, int ticks) {
    const BoardLayout& l = f.model().board.layout;
    for (int i = 0; i < ticks; ++i) {
        const int phase = l.cursorBlinkPhase;
        if (!QTest::qWaitFor([&] { return l.cursorBlinkPhase != phase; }, 5000)) {
            return false;
        }
    }
    QCoreApplication::processEvents();
    return true;
}

}  // namespace

void RestTest::cursorTicksPaintOnlyTheCursorCell() {
    FormFixture f;
    QVERIFY(f.shown());
    BoardView* board = f.form().boardView();
    // The start settles within a tick or two (the greeting, the window becoming active).
    QVERIFY(WaitForTicks(f, 2));
    PaintLog log;
    board->installEventFilter(&log);
    QVERIFY(WaitForTicks(f, 4));
    const BoardLayout& l = f.model().board.layout;
    const QRect cell = QRect(l.nextEntryX, f.state().nextEntryY, l.digitWidth, l.textHeight)
                           .translated(-board->offset());
    QVERIFY(!log.regions.empty());
    for (const QRegion& region : log.regions) {
        QVERIFY2(cell.contains(region.boundingRect()),
                 qPrintable(QStringLiteral("painted %1,%2 %3x%4")
                                .arg(region.boundingRect().x())
                                .arg(region.boundingRect().y())
                                .arg(region.boundingRect().width())
                                .arg(region.boundingRect().height())));
    }

    // A finished calculation leaves the cursor erased: the timer paints nothing more, over
    // several of its ticks.
    f.Type(QStringLiteral("12+9="));
    QTRY_VERIFY(!f.model().drawing());
    QTest::qWait(600);
    log.regions.clear();
    QTest::qWait(1600);
    QVERIFY2(log.regions.empty(), qPrintable(QString::number(log.regions.size())));
}

}  // namespace kazu

QTEST_MAIN(kazu::RestTest)
#include "RestTest.moc"
