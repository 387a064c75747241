// The input panel: every button calls what its key calls, the panel follows the main window,
// keeps the keyboard with the main window and is shown, hidden and minimised as it should be.
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <random>

#include "FormFixture.h"
#include "app/Joukenv24_.h"
#include "app/Sikiinpv.h"

namespace kazu {

class InputPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void windowAndButtons();
    void buttonsDrawWhatTheKeysDraw();
    void commandButtons();
    void voiceOnlyEntryRefusesDigitsButNotBackspace();
    void keyboardContinuesAfterAButton();
    void timerGivesTheFocusBackUnlessThePanelIsInUse();
    void followsTheMainWindowAndF8MinimisesIt();
    void pacedDrawingFromThePanelAndEscape();
};

namespace {

// The panel's button for each character of an expression.
QString Caption(QChar ch) {
    switch (ch.unicode()) {
        case '*':
            return QStringLiteral("×");
        case '/':
            return QStringLiteral("÷");
        case '+':
            return QStringLiteral("＋");
        case '-':
            return QStringLiteral("－");
        case '.':
            return QStringLiteral(" ．");
        case '=':
            return QStringLiteral("＝");
        default:
            return QString(QChar(0xFF10 + ch.digitValue()));  // full-width digit
    }
}

void Click(FormFixture& f, const QString& caption) {
    QPushButton* button = f.form().inputPanel()->Button(caption);
    QVERIFY2(button != nullptr, qPrintable(caption));
    QTest::mouseClick(button, Qt::LeftButton);
}

void ClickAll(FormFixture& f, const QString& expression) {
    for (const QChar ch : expression) {
        Click(f, Caption(ch));
    }
}

bool Spoke(RecordingVoice& voice, const std::string& text) {
    return std::find(voice.spoken().begin(), voice.spoken().end(), text) != voice.spoken().end();
}

}  // namespace

void InputPanelTest::windowAndButtons() {
    FormFixture f;
    TInputForm* panel = f.form().inputPanel();
    QCOMPARE(panel->windowTitle(), QStringLiteral("入力パネル　▼Ｆ８▲"));
    QCOMPARE(panel->client()->size(), QSize(174, 199));
    QVERIFY(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!panel->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(panel->isVisible());
    const struct {
        const char* caption;
        QRect bounds;
        const char* hint;
    } expected[] = {
        {"×", {4, 6, 25, 25}, ""},
        {"←", {126, 6, 36, 25}, "字を一つ消して前にもどる"},
        {"９", {62, 35, 25, 25}, ""},
        {"式復活H", {98, 36, 68, 18}, "消去した式を復活する"},
        {"消 去D", {98, 58, 68, 18}, "式をぜんぶ消す"},
        {"再計算Ｒ", {98, 79, 68, 18}, "筆算をやり直す"},
        {"１", {4, 93, 25, 25}, ""},
        {"円周率Ｐ", {98, 101, 68, 18}, "3.14 を入力する"},
        {" ．", {33, 122, 20, 25}, "小数点"},
        {"＝", {56, 122, 31, 25}, "キーボードでは<Enter>を押します。"},
        {"読Ｖ", {90, 126, 34, 20}, "式を読み上げる"},
        {"条件Ｊ", {126, 126, 40, 20}, "条件設定ダイアログを開く"},
        {"説明Ｅ", {4, 151, 162, 20}, "計算のしかたを説明する"},
        {"ノートＮ", {4, 173, 162, 20}, "ノートで筆算の練習をする"},
    };
    for (const auto& e : expected) {
        QPushButton* button = panel->Button(QString::fromUtf8(e.caption));
        QVERIFY2(button != nullptr, e.caption);
        QCOMPARE(button->geometry(), e.bounds);
        QCOMPARE(button->toolTip(), QString::fromUtf8(e.hint));
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }
    QCOMPARE(panel->findChildren<QPushButton*>().size(), 25);
}

// Random expressions, clicked and then typed: the same calculation and the same board, pixel
// for pixel.
void InputPanelTest::buttonsDrawWhatTheKeysDraw() {
    FormFixture f;
    std::mt19937 random(6);
    const QString ops = QStringLiteral("+-*/");
    for (int round = 0; round < 12; ++round) {
        auto number = [&random] {
            QString text = QString::number(std::uniform_int_distribution<int>(0, 999)(random));
            if (random() % 3 == 0) {
                text += QLatin1Char('.') + QString::number(random() % 10);
            }
            return text;
        };
        const QString expression = number() + ops[round % 4] + number() + QLatin1Char('=');
        Click(f, QStringLiteral("消 去D"));
        ClickAll(f, expression);
        const std::string clicked = f.state().expression;
        const std::string clickedResult = f.model().board.operands.result;
        // Redrawn from the state: the blinking cursor would differ with the moment.
        const QImage clickedBoard = f.Repainted();
        const int clickedCursorX = f.model().board.layout.nextEntryX;
        f.Key(Qt::Key_D);
        f.Type(expression);
        QCOMPARE(QString::fromStdString(clicked), QString::fromStdString(f.state().expression));
        QCOMPARE(clickedResult, f.model().board.operands.result);
        QCOMPARE(clickedCursorX, f.model().board.layout.nextEntryX);
        QCOMPARE(clickedBoard, f.Repainted());
    }
    Click(f, QStringLiteral("消 去D"));
    ClickAll(f, QStringLiteral("3+4="));
    QCOMPARE(f.state().expression, std::string("3+4="));
    QCOMPARE(f.model().board.operands.result, std::string("7"));
}

void InputPanelTest::commandButtons() {
    FormFixture f;
    ClickAll(f, QStringLiteral("12+5"));
    Click(f, QStringLiteral("←"));
    QCOMPARE(f.state().expression, std::string("12+"));
    Click(f, QStringLiteral("円周率Ｐ"));
    QCOMPARE(f.state().expression, std::string("12+3.14"));
    Click(f, QStringLiteral("＝"));
    QCOMPARE(f.model().board.operands.result, std::string("15.14"));
    f.voice().Clear();
    Click(f, QStringLiteral("読Ｖ"));
    QVERIFY(Spoke(f.voice(), "12たす3.14=15.14"));
    Click(f, QStringLiteral("消 去D"));
    QCOMPARE(f.state().expression, std::string());
    // The restored expression waits for its "=" again.
    Click(f, QStringLiteral("式復活H"));
    QCOMPARE(QString::fromStdString(f.state().expression), QStringLiteral("12+3.14"));
    Click(f, QStringLiteral("＝"));
    QCOMPARE(f.model().board.operands.result, std::string("15.14"));
    f.model().board.operands.result.clear();
    Click(f, QStringLiteral("再計算Ｒ"));
    QCOMPARE(f.model().board.operands.result, std::string("15.14"));
    // 条件Ｊ opens the settings dialog; a volume set there shows on the speech panel.
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TJoukenSetForm*>(QApplication::activeModalWidget());
        opened = dialog != nullptr && f.form().settingsDialog() == dialog;
        if (dialog != nullptr) {
            dialog->volume()->setValue(4);
            dialog->reject();
        }
    });
    Click(f, QStringLiteral("条件Ｊ"));
    QVERIFY(opened);
    QVERIFY(f.form().settingsDialog() == nullptr);
    QCOMPARE(f.settings().SIKISPVOLUME, 20);
    QVERIFY(f.Label(QStringLiteral("20")) != nullptr);
}

void InputPanelTest::voiceOnlyEntryRefusesDigitsButNotBackspace() {
    FormFixture f;
    f.Type("45");
    f.settings().SRFLAG = 1;
    f.settings().HEAROK = 1;
    Click(f, QStringLiteral("７"));
    QVERIFY(Spoke(f.voice(), "現在は，式は音声入力しか使えません。"));
    QCOMPARE(f.state().expression, std::string("45"));
    // The panel's backspace has no voice-only condition, the key's has.
    f.Key(Qt::Key_Backspace);
    QCOMPARE(f.state().expression, std::string("45"));
    Click(f, QStringLiteral("←"));
    QCOMPARE(f.state().expression, std::string("4"));
}

void InputPanelTest::keyboardContinuesAfterAButton() {
    FormFixture f;
    f.form().activateWindow();
    f.Type("2");
    Click(f, QStringLiteral("＋"));
    QTRY_VERIFY(QApplication::activeWindow() == &f.form());
    f.Type("8=");
    QCOMPARE(f.state().expression, std::string("2+8="));
    QCOMPARE(f.model().board.operands.result, std::string("10"));
}

void InputPanelTest::timerGivesTheFocusBackUnlessThePanelIsInUse() {
    FormFixture f;
    TInputForm* panel = f.form().inputPanel();
    panel->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == panel);
    QVERIFY(!panel->panelInUse());
    // Within a tick or two of the 500 ms timer.
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == &f.form(), 1500);
}

void InputPanelTest::followsTheMainWindowAndF8MinimisesIt() {
    FormFixture f;
    TInputForm* panel = f.form().inputPanel();
    // Tall enough that the panel's place lies below the face's.
    f.form().resize(700, 560);
    f.form().move(40, 30);
    QTRY_VERIFY([&] {
        const QRect main = f.form().frameGeometry();
        return panel->pos() ==
               QPoint(main.left() + main.width() - 200, main.top() + main.height() - 220);
    }());
    f.Type("12");
    f.Key(Qt::Key_F8);
    QVERIFY(panel->isMinimized());
    // With an expression being typed F8 only toggles the panel.
    QCOMPARE(f.state().expression, std::string("12"));
    const QPoint minimisedAt = panel->pos();
    f.form().resize(760, 520);
    QCoreApplication::processEvents();
    QCOMPARE(panel->pos(), minimisedAt);  // a minimised panel is not placed
    f.Key(Qt::Key_F8);
    QVERIFY(!panel->isMinimized());
    QVERIFY(panel->isVisible());
}

void InputPanelTest::pacedDrawingFromThePanelAndEscape() {
    FormFixture f(kTallBoard);
    f.settings().ENZANSPEED = 1;
    ClickAll(f, QStringLiteral("999+1"));
    QElapsedTimer clock;
    clock.start();
    Click(f, QStringLiteral("＝"));
    const qint64 paced = clock.elapsed();
    // 13 pauses of 100 ms.
    QVERIFY2(paced >= 1200 && paced <= 3000, qPrintable(QString::number(paced) + " ms"));
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    Click(f, QStringLiteral("消 去D"));
    ClickAll(f, QStringLiteral("999+1"));
    QTimer::singleShot(250, [&f] {
        QCoreApplication::postEvent(
            f.KeyTarget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    clock.start();
    Click(f, QStringLiteral("＝"));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    QCOMPARE(f.settings().ENZANSPEED, 0);
}

}  // namespace kazu

QTEST_MAIN(kazu::InputPanelTest)
#include "InputPanelTest.moc"
