// Stepping by hand and the step window: each pause of a drawing waits for G or a left click on
// the board, Esc draws the rest at once, Y leaves stepping; the window is shown only meanwhile.
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <functional>

#include "FormFixture.h"
#include "app/Stepgov.h"

namespace kazu {

class StepModeTest : public QObject {
    Q_OBJECT

  private slots:
    void gAdvancesOneStepAtATime();
    void aLeftClickOnTheBoardAdvancesOtherClicksWait();
    void escapeDrawsTheRestAndLeavesStepping();
    void yLeavesSteppingAndTheClockPacesTheRest();
    void keysTypedMeanwhileComeAfterTheDrawing();
    void repaintsAndPrintsNeverWait();
    void theStepWindowsOwnKeys();
};

namespace {

// 999+1= pauses 13 times: the operands, the sign, the rule, each sum digit with its carry.
constexpr int kPausesOf999Plus1 = 13;

void Post(QWidget* target, Qt::Key key) {
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

// Answers each wait of a stepped drawing with `answer` until it returns false; counts the
// waits. A watchdog ends a drawing that would otherwise never finish.
struct Stepper {
    FormFixture& f;
    std::function<bool(int wait)> answer;
    int waits = 0;
    bool windowShownAtEveryWait = true;

    void Run(const std::function<void()>& start) {
        bool answering = true;
        // Queued: answered from within the wait, as a user would.
        const QMetaObject::Connection connection = QObject::connect(
            f.form().pacer(), &WindowPacer::waitingForStep, f.form().pacer(),
            [&] {
                ++waits;
                windowShownAtEveryWait =
                    windowShownAtEveryWait && f.form().stepWindow()->isVisible();
                if (answering) {
                    answering = answer(waits);
                }
            },
            Qt::QueuedConnection);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] { Post(f.KeyTarget(), Qt::Key_Escape); });
        watchdog.start(15000);
        start();
        QObject::disconnect(connection);
        QVERIFY2(watchdog.isActive(), "the drawing waited until the watchdog");
        QVERIFY(windowShownAtEveryWait);
    }
};

void StartStepping(FormFixture& f, int speed) {
    f.settings().ENZANSPEED = speed;
    f.model().board.stepDisplay = true;
}

}  // namespace

void StepModeTest::gAdvancesOneStepAtATime() {
    FormFixture f(kTallBoard);
    StartStepping(f, 0);
    f.Type("999+1");
    std::vector<std::string> results;
    Stepper stepper{f, [&](int) {
                        results.push_back(f.model().board.operands.result);
                        // A step waits: nothing more is drawn until the next G.
                        QTest::qWait(60);
                        Post(f.KeyTarget(), Qt::Key_G);
                        return true;
                    }};
    stepper.Run([&] { f.Key(Qt::Key_Return); });
    QCOMPARE(stepper.waits, kPausesOf999Plus1);
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    QVERIFY(f.model().board.stepDisplay);
    QVERIFY(!f.model().board.cutShort);
    QVERIFY(!f.form().stepWindow()->isVisible());
    // The G keys were the steps', not the key map's: nothing else happened.
    QCOMPARE(f.state().expression, std::string("999+1="));
    QVERIFY(f.messages.empty());
}

void StepModeTest::aLeftClickOnTheBoardAdvancesOtherClicksWait() {
    FormFixture f(kTallBoard);
    StartStepping(f, 0);
    f.Type("999+1");
    QWidget* board = f.BoardWidget();
    QVERIFY(board != nullptr);
    int rightClicks = 0;
    bool stillWaiting = false;
    Stepper stepper{f, [&](int wait) {
                        if (wait == 3 && rightClicks == 0) {
                            // A right click neither steps nor finishes.
                            ++rightClicks;
                            QTest::mouseClick(board, Qt::RightButton, {}, QPoint(200, 300));
                            QTest::qWait(100);
                            stillWaiting = f.form().stepWindow()->isVisible() &&
                                           f.model().board.operands.result.empty();
                        }
                        QTest::mouseClick(board, Qt::LeftButton, {}, QPoint(200, 300));
                        return true;
                    }};
    stepper.Run([&] { f.Key(Qt::Key_Return); });
    QVERIFY(stillWaiting);
    QCOMPARE(stepper.waits, kPausesOf999Plus1);
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    QVERIFY(!f.model().board.cutShort);
}

void StepModeTest::escapeDrawsTheRestAndLeavesStepping() {
    FormFixture f(kTallBoard);
    StartStepping(f, 3);
    f.Type("999+1");
    Stepper stepper{f, [&](int wait) {
                        Post(f.KeyTarget(), wait < 4 ? Qt::Key_G : Qt::Key_Escape);
                        return wait < 4;
                    }};
    QElapsedTimer clock;
    clock.start();
    stepper.Run([&] { f.Key(Qt::Key_Return); });
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QCOMPARE(stepper.waits, 4);
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    QVERIFY(f.HasColour(f.AnswerRegion(), kAnswerRed));
    QVERIFY(!f.model().board.stepDisplay);
    QVERIFY(f.model().board.cutShort);
    QCOMPARE(f.settings().ENZANSPEED, 0);
    QVERIFY(!f.form().stepWindow()->isVisible());
    // The Esc reaches the key map afterwards, as in a paced drawing.
    QTRY_VERIFY(std::find(f.voice().requests().begin(), f.voice().requests().end(),
                          "skip Sentence 1000") != f.voice().requests().end());
    // The next calculation is drawn at once.
    f.Key(Qt::Key_D);
    f.Type("12+3=");
    QCOMPARE(f.model().board.operands.result, std::string("15"));
}

void StepModeTest::yLeavesSteppingAndTheClockPacesTheRest() {
    FormFixture f(kTallBoard);
    StartStepping(f, 1);
    f.Type("999+1");
    Stepper stepper{f, [&](int wait) {
                        Post(f.KeyTarget(), wait < 3 ? Qt::Key_G : Qt::Key_Y);
                        return wait < 3;
                    }};
    QElapsedTimer clock;
    stepper.Run([&] {
        f.Key(Qt::Key_Return);
        clock.start();
    });
    QCOMPARE(stepper.waits, 3);
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    QVERIFY(!f.model().board.stepDisplay);
    QVERIFY(!f.model().board.cutShort);
    QCOMPARE(f.settings().ENZANSPEED, 1);
    QCOMPARE(f.messages.size(), size_t(1));
    QCOMPARE(f.messages[0].text, QStringLiteral("ステップモードからぬけました。"));
    QCOMPARE(f.messages[0].caption, QStringLiteral("お知らせ14"));
    QVERIFY(!f.form().stepWindow()->isVisible());
    // The Y was the step window's, not a key of the board.
    QCOMPARE(f.state().expression, std::string("999+1="));
}

void StepModeTest::keysTypedMeanwhileComeAfterTheDrawing() {
    FormFixture f(kTallBoard);
    StartStepping(f, 0);
    f.Type("999+1");
    bool untouched = false;
    Stepper stepper{f, [&](int wait) {
                        if (wait == 2) {
                            Post(f.KeyTarget(), Qt::Key_5);
                            QTest::qWait(50);
                            // Held: the calculation is not touched during its drawing.
                            untouched = f.state().expression == "999+1=";
                        }
                        Post(f.KeyTarget(), Qt::Key_G);
                        return true;
                    }};
    stepper.Run([&] { f.Key(Qt::Key_Return); });
    QVERIFY(untouched);
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    // Delivered afterwards, the digit meets a finished board and is refused as a typed one is.
    QTRY_VERIFY(std::find(f.voice().spoken().begin(), f.voice().spoken().end(),
                          "新しい式を入力するには，表示中の式を消去してください。") !=
                f.voice().spoken().end());
    QCOMPARE(f.state().expression, std::string("999+1="));
}

void StepModeTest::repaintsAndPrintsNeverWait() {
    FormFixture f(kTallBoard);
    f.Type("999+1=");
    StartStepping(f, 0);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [&f] { Post(f.KeyTarget(), Qt::Key_Escape); });
    watchdog.start(3000);
    QElapsedTimer clock;
    clock.start();
    f.form().resize(f.form().width() + 40, f.form().height());
    f.model().FormPaint();
    f.Key(Qt::Key_L);  // the line break redraws the finished calculation
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QVERIFY(watchdog.isActive());
    QVERIFY(f.model().board.stepDisplay);
    QVERIFY(!f.form().stepWindow()->isVisible());
}

void StepModeTest::theStepWindowsOwnKeys() {
    FormFixture f;
    TStepGoForm* step = f.form().stepWindow();
    QCOMPARE(step->windowTitle(), QStringLiteral("◆ステップの指示◆"));
    QCOMPARE(step->client()->size(), QSize(154, 137));
    QVERIFY(step->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!step->isVisible());
    step->show();
    const QRect main = f.form().frameGeometry();
    QCOMPARE(step->pos(), QPoint(main.left() + main.width() - 220, main.top() + 300));
    f.model().board.stepDisplay = true;
    // Keys other than Y and Enter go on to the main window's key map.
    QTest::keyClick(step, Qt::Key_7);
    QTest::keyClick(step, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(step, Qt::Key_Return);
    QCOMPARE(f.state().expression, std::string("7+"));
    QTest::keyClick(step, Qt::Key_Y);
    QVERIFY(!f.model().board.stepDisplay);
    QVERIFY(!step->isVisible());
    QCOMPARE(f.messages.size(), size_t(1));
    QCOMPARE(f.messages[0].caption, QStringLiteral("お知らせ14"));
}

}  // namespace kazu

QTEST_MAIN(kazu::StepModeTest)
#include "StepModeTest.moc"
