// Input that meets a message box or a wait: the key that closes a box stays with the box, and
// input held back while the window waits is delivered once, in order, after the wait.
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "FormFixture.h"

namespace kazu {

class HeldInputTest : public QObject {
    Q_OBJECT

  private slots:
    void theKeyThatClosesABoxNeverReachesTheBoard_data();
    void theKeyThatClosesABoxNeverReachesTheBoard();
    void aKeyStormIsDeliveredOnceInOrder();
    void closingEndsAPacedDrawingAtOnce();
};

namespace {

// Remembers the last key that went down on a widget of the window, and where.
class LastKeyDown : public QObject {
  public:
    explicit LastKeyDown(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~LastKeyDown() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_ && at == nullptr) {
            key = static_cast<Qt::Key>(static_cast<QKeyEvent*>(event)->key());
            at = static_cast<QWidget*>(watched);
        }
        return false;
    }
    Qt::Key key = Qt::Key_unknown;
    QPointer<QWidget> at;

  private:
    QWidget* window_;
};

// The window's real boxes, recorded as well; the user answers each with `closingKey`, and may
// hold it down so that it repeats once the box has gone. As under X, the release of the key
// that opened the box comes while the box is up, to the widget the key went down on, and the
// window has no focus widget until it is activated again.
void AnswerBoxesWith(FormFixture& f, LastKeyDown& opening, Qt::Key closingKey, bool heldDown) {
    f.form().SetMessageSink([&f, &opening, closingKey, heldDown](
                                const QString& text, const QString& caption, bool exclamation) {
        f.messages.push_back({text, caption, exclamation});
        QMessageBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, caption, text,
                        QMessageBox::Ok, &f.form());
        QTimer::singleShot(0, &box, [&box, &opening, closingKey, heldDown] {
            if (opening.at != nullptr) {
                QTest::keyRelease(opening.at, opening.key);
            }
            QWidget* focus = box.focusWidget() != nullptr ? box.focusWidget() : &box;
            QTest::keyPress(focus, closingKey);
            if (!heldDown) {
                QTest::keyRelease(focus, closingKey);
            }
        });
        box.exec();
        QApplication::setActiveWindow(nullptr);
        if (heldDown) {
            for (int i = 0; i < 3; ++i) {
                QKeyEvent repeat(QEvent::KeyPress, closingKey, Qt::NoModifier, {}, true);
                QApplication::sendEvent(f.KeyTarget(), &repeat);
            }
            QTest::keyRelease(f.KeyTarget(), closingKey);
        }
    });
}

// Counts the key presses dispatched to one widget: a press held and delivered later counts
// twice, a press held again each time the window waits counts without end.
class PressCounter : public QObject {
  public:
    explicit PressCounter(QWidget* widget) : widget_(widget) { qApp->installEventFilter(this); }
    ~PressCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        count += watched == widget_ && event->type() == QEvent::KeyPress ? 1 : 0;
        return false;
    }
    int count = 0;

  private:
    QWidget* widget_;
};

// Posts a key's press and release as the platform queues them for a fast typist.
void PostClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, modifiers));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
}

void PostTyped(QWidget* target, const QString& keys) {
    for (const QChar ch : keys) {
        switch (ch.unicode()) {
            case '+':
                PostClick(target, Qt::Key_Plus, Qt::KeypadModifier);
                break;
            case '=':
                PostClick(target, Qt::Key_Return);
                break;
            case 'D':
                PostClick(target, Qt::Key_Delete);
                break;
            default:
                PostClick(target, static_cast<Qt::Key>(Qt::Key_0 + ch.digitValue()));
                break;
        }
        // Keys outside the key map between them, each waiting its turn like the rest.
        for (int i = 0; i < 50; ++i) {
            PostClick(target, Qt::Key_K);
        }
    }
}

}  // namespace

void HeldInputTest::theKeyThatClosesABoxNeverReachesTheBoard_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("places");
    QTest::addColumn<bool>("heldDown");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("message");
    QTest::newRow("division by zero") << "5/0=" << 0 << false << "5/0"
                                      << "０で割ることはできません。";
    QTest::newRow("division by zero, Enter held down") << "5/0=" << 0 << true << "5/0"
                                                       << "０で割ることはできません。";
    QTest::newRow("below zero") << "3-5=" << 0 << false << "3-5"
                                << "引く数の方が大きい．";
    QTest::newRow("19 digits") << "1234567890123456789" << 0 << false << "123456789012345678"
                               << "Keta Over!!";
    QTest::newRow("operator after 19 digits")
        << "123456789012345678.5+" << 0 << false << "123456789012345678.5"
        << "わられる数が、18ケタをオーバー!!";
    QTest::newRow("division, 18 digits")
        << "7/123456789012345678" << 0 << false << "7/12345678901234567"
        << "割る数、割られる数は１７桁以下までです。残念！";
    QTest::newRow("overflow")
        << "12345678901234567/87654321=" << 10 << false << "12345678901234567/87654321"
        << "＜オーバーフロウ＞\n ケタ数オーバーしました。商の小数の位を減らして"
           "下さい。\nDeleteキーを押して再入力します。";
}

void HeldInputTest::theKeyThatClosesABoxNeverReachesTheBoard() {
    QFETCH(QString, typed);
    QFETCH(int, places);
    QFETCH(bool, heldDown);
    QFETCH(QString, expression);
    QFETCH(QString, message);
    FormFixture f;
    f.settings().POINTMAX = places;
    LastKeyDown opening(&f.form());
    AnswerBoxesWith(f, opening, Qt::Key_Return, heldDown);
    for (const QChar ch : typed) {
        opening.at = nullptr;
        f.Type(ch);
    }
    QCoreApplication::processEvents();
    QCOMPARE(f.messages.size(), size_t(1));
    QCOMPARE(f.messages[0].text, message);
    QCOMPARE(QString::fromStdString(f.state().expression), expression);
}

// The reporter's typing, several times over and all at once, with every digit echoed and so
// every key a blink during which the rest waits.
void HeldInputTest::aKeyStormIsDeliveredOnceInOrder() {
    FormFixture f;
    QCOMPARE(f.settings().KEYSPEAK, 1);
    QWidget* target = f.KeyTarget();
    PressCounter presses(target);
    const QString typed = QStringLiteral("1234+56=D1234+56=D1234+56=D78+9=");
    PostTyped(target, typed);
    const int posted = typed.size() * 51;
    QTRY_COMPARE_WITH_TIMEOUT(f.state().expression, std::string("78+9="), 60000);
    QCoreApplication::processEvents();
    QCOMPARE(f.model().board.operands.result, std::string("87"));
    QCOMPARE(f.state().restoreText, std::string("1234+56="));
    // Each press at most twice: once held, once delivered.
    QVERIFY2(presses.count <= 2 * posted,
             qPrintable(QString("%1 presses for %2 posted").arg(presses.count).arg(posted)));
    QVERIFY(f.form().close());
    QVERIFY(!f.form().isVisible());
}

// A close while a drawing is paced (the window manager's Alt+F4, the close button) ends the
// drawing at once and then closes the window.
void HeldInputTest::closingEndsAPacedDrawingAtOnce() {
    FormFixture f;
    f.settings().ENZANSPEED = 5;
    f.Type("999+1");
    QTimer::singleShot(200, &f.form(), [&f] { f.form().close(); });
    f.Key(Qt::Key_Return);
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    QVERIFY(f.model().board.cutShort);
    QVERIFY(!f.form().isVisible());
}

}  // namespace kazu

QTEST_MAIN(kazu::HeldInputTest)
#include "HeldInputTest.moc"
