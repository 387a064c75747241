// The board's first frame comes before what it does not show: the face's pictures come after
// it and the example window's picture when the window is first shown, and input that arrives
// before the first frame reaches them all the same.
#include <QTest>
#include <vector>

#include "FormFixture.h"
#include "app/Bunex.h"
#include "app/Face.h"
#include "app/FirstFrame.h"

namespace kazu {

class FirstFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void whatWaitsForTheFirstPaintRunsOnceInOrder();
    void inputBeforeTheFirstFrameReachesWhatComesLater();
};

namespace {

bool AllOneColour(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != colour) {
                return false;
            }
        }
    }
    return true;
}

void Type(QWidget* target, const QString& keys) {
    for (const QChar ch : keys) {
        if (ch == '/') {
            QTest::keyClick(target, Qt::Key_Slash, Qt::KeypadModifier);
        } else if (ch == '=') {
            QTest::keyClick(target, Qt::Key_Return);
        } else {
            QTest::keyClick(target, static_cast<Qt::Key>(Qt::Key_0 + ch.digitValue()));
        }
    }
}

}  // namespace

// The start-up mark is asked for first and must not wait behind what follows the frame.
void FirstFrameTest::whatWaitsForTheFirstPaintRunsOnceInOrder() {
    QWidget widget;
    widget.resize(120, 80);
    std::vector<int> ran;
    for (int i = 0; i < 3; ++i) {
        AfterFirstPaint(&widget, [&ran, i] { ran.push_back(i); });
    }
    QCoreApplication::processEvents();
    QVERIFY(ran.empty());
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QTRY_COMPARE(ran, (std::vector<int>{0, 1, 2}));

    // Asked for once the first paint is over: it waits for the next paint, and runs once.
    AfterFirstPaint(&widget, [&ran] { ran.push_back(3); });
    QCoreApplication::processEvents();
    QCOMPARE(ran.size(), size_t{3});
    widget.repaint();
    QTRY_COMPARE(ran, (std::vector<int>{0, 1, 2, 3}));
    widget.repaint();
    QCoreApplication::processEvents();
    QCOMPARE(ran.size(), size_t{4});
}

void FirstFrameTest::inputBeforeTheFirstFrameReachesWhatComesLater() {
    InstallFontSubstitutions();
    QTemporaryDir folder;
    const std::string dir = folder.path().toStdString();
    TKokubanForm form(std::make_unique<SettingsStore>(dir, dir),
                      std::make_unique<RecordingVoice>());
    std::vector<QString> messages;
    form.SetMessageSink(
        [&messages](const QString& text, const QString&, bool) { messages.push_back(text); });
    form.show();
    // Not a turn of the event loop yet: the board has not painted, the face is still bare.
    constexpr QRgb kFaceGround = 0x00FF00;
    QVERIFY(AllOneColour(form.face()->picture(), kFaceGround));

    Type(&form, QStringLiteral("17/5="));
    QTest::keyClick(&form, Qt::Key_Z);
    TSenExForm* example = form.senEx();
    QVERIFY(example->isVisible());
    QVERIFY(example->picture()->isVisible());
    QVERIFY(!example->picture()->pixmap().isNull());
    QCOMPARE(form.model().example.type, 17);

    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(form.face()->isVisible());
    QVERIFY(!AllOneColour(form.face()->picture(), kFaceGround));
    QVERIFY(messages.empty());
}

}  // namespace kazu

QTEST_MAIN(kazu::FirstFrameTest)
#include "FirstFrameTest.moc"
