// The work stays in view: while a calculation is written every new cell is on the screen, the
// finished working is shown, the longest expression line can be reached, and the companion
// windows stand beside the work rather than on it.
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "FormFixture.h"
#include "app/Face.h"
#include "app/Sikiinpv.h"

namespace kazu {

class WorkInViewTest : public QObject {
    Q_OBJECT

  private slots:
    void everyCellIsInViewWhenItIsWritten_data();
    void everyCellIsInViewWhenItIsWritten();
    void theLongestExpressionLineIsReachable();
    void pageKeysScrollByWhatTheBoardShows();
    void companionsStepAsideFromTheWorkAndComeBack();
};

namespace {

constexpr QRgb kBoardGreen = 0x008000;

// The part of the board's image a child sees: the view below the speech panel and above the
// sideways bar, where the view stands over the image.
QRect Visible(TKokubanForm& form) {
    const QWidget* view = form.boardView();
    const int bar = form.sidewaysBar()->isVisible() ? form.sidewaysBar()->height() : 0;
    return QRect(form.boardView()->offset() + QPoint(0, Kokuban::kSpeechPanelHeight),
                 QSize(view->width(), view->height() - Kokuban::kSpeechPanelHeight - bar));
}

// The pixels that differ between two pictures of the board; outside a picture the board is
// bare.
QRect Changed(const QImage& before, const QImage& after) {
    const auto at = [](const QImage& image, int x, int y) {
        return image.rect().contains(x, y) ? image.pixel(x, y) & 0xFFFFFF : kBoardGreen;
    };
    QRect changed;
    const int width = std::max(before.width(), after.width());
    const int height = std::max(before.height(), after.height());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (at(before, x, y) != at(after, x, y)) {
                changed |= QRect(x, y, 1, 1);
            }
        }
    }
    return changed;
}

QRect Ink(const QImage& image) {
    QImage bare(image.size(), QImage::Format_RGB32);
    bare.fill(kBoardGreen);
    return Changed(bare, image);
}

QRect Ink(const QImage& image, QRgb colour) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == colour) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

void Post(QWidget* target, Qt::Key key) {
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

}  // namespace

void WorkInViewTest::everyCellIsInViewWhenItIsWritten_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("places");
    QTest::newRow("12+9") << QStringLiteral("12+9=") << 0;
    QTest::newRow("1000-1") << QStringLiteral("1000-1=") << 0;
    QTest::newRow("23*45") << QStringLiteral("23*45=") << 0;
    QTest::newRow("100/7, 3 places") << QStringLiteral("100/7=") << 3;
}

// In the default window, stepped by hand: at each wait the cells written since the last one
// lie in view; at the end the lowest row is in view.
void WorkInViewTest::everyCellIsInViewWhenItIsWritten() {
    QFETCH(QString, keys);
    QFETCH(int, places);
    FormFixture f;
    QCOMPARE(f.form().size(), QSize(804, 400));
    f.settings().POINTMAX = places;
    f.model().board.stepDisplay = true;
    f.Type(keys.chopped(1));
    QImage before = f.form().boardImage().copy();
    int waits = 0;
    QStringList outOfView;
    const QMetaObject::Connection connection = QObject::connect(
        f.form().pacer(), &WindowPacer::waitingForStep, f.form().pacer(),
        [&] {
            ++waits;
            const QImage now = f.form().boardImage().copy();
            const QRect written = Changed(before, now);
            if (!Visible(f.form()).contains(written)) {
                outOfView << QStringLiteral("wait %1: (%2,%3 %4x%5)")
                                 .arg(waits)
                                 .arg(written.x())
                                 .arg(written.y())
                                 .arg(written.width())
                                 .arg(written.height());
            }
            before = now;
            Post(f.KeyTarget(), Qt::Key_G);
        },
        Qt::QueuedConnection);
    f.Type(QStringLiteral("="));
    QObject::disconnect(connection);
    QVERIFY(waits > 3);
    QVERIFY2(outOfView.isEmpty(), qPrintable(outOfView.join(QStringLiteral("; "))));
    const QImage done = f.form().boardImage();
    const QRect ink = Ink(done);
    const QRect visible = Visible(f.form());
    QVERIFY(ink.bottom() <= visible.bottom());
    QVERIFY(ink.bottom() >= visible.top());
}

// 17 digits and 17 digits: the line runs beyond the window, maximised too; the sideways bar
// and Home reach its answer.
void WorkInViewTest::theLongestExpressionLineIsReachable() {
    FormFixture f;
    for (const bool maximised : {false, true}) {
        if (maximised) {
            f.form().showMaximized();
            QTRY_VERIFY(f.form().isMaximized());
            QCoreApplication::processEvents();
        }
        f.Key(Qt::Key_Delete);
        f.Type(QStringLiteral("12345678901234567+98765432109876543="));
        QCOMPARE(f.model().board.operands.result, std::string("111111111011111110"));
        QScrollBar* sideways = f.form().sidewaysBar();
        QVERIFY(sideways->isVisible());
        f.Key(Qt::Key_Home);
        sideways->setValue(sideways->maximum());
        // The answer, right of the "=" (the marker in front of the line is red too).
        const QImage& image = f.form().boardImage();
        const int answerX = f.model().board.layout.answerX;
        const QRect answer =
            Ink(image.copy(answerX, 0, image.width() - answerX, image.height()), kAnswerRed)
                .translated(answerX, 0);
        QVERIFY(!answer.isEmpty());
        QVERIFY2(Visible(f.form()).contains(answer), maximised ? "maximised" : "default size");
        // Shift with the wheel goes back sideways, one cell a notch.
        const QPointF at(100, 200);
        QWheelEvent wheel(at, f.form().boardView()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.form().boardView(), &wheel);
        QCOMPARE(sideways->value(), sideways->maximum() - f.model().board.layout.cellWidth);
        QCOMPARE(f.model().scrollPosition(), 0);
    }
}

void WorkInViewTest::pageKeysScrollByWhatTheBoardShows() {
    FormFixture f;
    f.Type(QStringLiteral("100/7"));
    f.Key(Qt::Key_PageDown);
    QCOMPARE(f.model().scrollPosition(), 0);  // no scrolling while an expression is typed
    f.Type(QStringLiteral("="));
    f.Key(Qt::Key_Home);
    const int page = Visible(f.form()).height();
    f.Key(Qt::Key_PageDown);
    QCOMPARE(f.model().scrollPosition(), page);
    f.Key(Qt::Key_Up);
    QCOMPARE(f.model().scrollPosition(), page - 4);
    f.Key(Qt::Key_PageUp);
    QCOMPARE(f.model().scrollPosition(), 0);
}

// A narrow window on the left of the screen, with room beside it: at first start the face keeps
// its place and the panel leaves it; the answer of 1000-1 pushes the face off the work; a clear
// brings both back; a place the child chose is kept.
void WorkInViewTest::companionsStepAsideFromTheWorkAndComeBack() {
    FormFixture f("[FONT]\r\nFONTSIZE=20\r\n");
    TFaceS* face = f.form().face();
    TInputForm* panel = f.form().inputPanel();
    const QRect screen = f.form().screen()->availableGeometry();
    f.form().move(screen.topLeft());
    f.form().resize(400, 400);
    QTRY_COMPARE(f.form().size(), QSize(400, 400));
    QCoreApplication::processEvents();
    const QRect main = f.form().frameGeometry();
    const QPoint faceHome = face->pos();
    QVERIFY(faceHome == QPoint(main.right() + 1 - face->width() - 20, main.top() + 160) ||
            faceHome == QPoint(main.right() + 1 - 160, main.top() + 140));
    const QPoint panelStart = panel->pos();
    QVERIFY(!face->frameGeometry().intersects(panel->frameGeometry()));

    f.Type(QStringLiteral("1000-1="));
    const QImage& image = f.form().boardImage();
    const QRect ink = Ink(image);
    const QRect band = Visible(f.form()).translated(-f.form().boardView()->offset());
    const QRect work = ink.translated(-f.form().boardView()->offset()).intersected(band);
    const QRect onScreen(f.form().boardView()->mapToGlobal(work.topLeft()), work.size());
    QVERIFY(QRect(faceHome, face->size()).intersects(onScreen));  // the face would cover it
    for (const QWidget* window : std::initializer_list<const QWidget*>{face, panel}) {
        QVERIFY(!window->frameGeometry().intersects(onScreen));
        QVERIFY(screen.contains(window->frameGeometry()));
    }
    QVERIFY(!face->frameGeometry().intersects(panel->frameGeometry()));

    f.Key(Qt::Key_Delete);
    QCOMPARE(face->pos(), faceHome);
    QCOMPARE(panel->pos(), panelStart);

    // A panel the child has put somewhere else stays there.
    const QPoint byHand(screen.left() + 10, screen.bottom() - panel->height() - 10);
    panel->move(byHand);
    f.Type(QStringLiteral("7"));
    QCOMPARE(panel->pos(), byHand);
}

}  // namespace kazu

QTEST_MAIN(kazu::WorkInViewTest)
#include "WorkInViewTest.moc"
