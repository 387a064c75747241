// The word-problem example window: opened by Z after a calculation, its picture, its keys,
// its stored position, and the JPEG decoder behind its picture.
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <random>

#include "FormFixture.h"
#include "app/Bunex.h"
#include "app/JpegImage.h"

namespace kazu {

class ExampleWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void zShowsTheExampleOfTheCalculation();
    void escapeInTheWindowClearsAndCloses();
    void positionComesFromTheSettingsAndGoesBack();
    void jpegDecodesAndDamagedBytesGiveNoPicture();
};

namespace {

bool HasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                return true;
            }
        }
    }
    return false;
}

QToolButton* Button(TKokubanForm& form, const QString& text) {
    for (QToolButton* button : form.findChildren<QToolButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

}  // namespace

void ExampleWindowTest::zShowsTheExampleOfTheCalculation() {
    FormFixture f;
    QVERIFY(f.shown());
    TSenExForm* window = f.form().senEx();
    QVERIFY(window != nullptr);
    QVERIFY(f.model().example.available);  // the shipped patterns
    QVERIFY(!Button(f.form(), QStringLiteral("●"))->isVisibleTo(&f.form()));
    f.Type(QStringLiteral("17/5="));
    f.Key(Qt::Key_Z);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("文章題の例文"));
    QCOMPARE(window->size(), QSize(805, 336));
    QVERIFY(window->hintLabel()->text().startsWith(QStringLiteral("考え方: ")));
    QVERIFY(window->picture()->isVisible());
    QVERIFY(HasInk(window->content()));
    QCOMPARE(f.model().example.type, 17);
    QVERIFY(Button(f.form(), QStringLiteral("文"))->styleSheet().contains(QStringLiteral("red")));
    QVERIFY(Button(f.form(), QStringLiteral("●"))->isVisibleTo(&f.form()));
    QVERIFY(f.voice().spoken().back() == "文章題の例文を表示しました。");

    f.Key(Qt::Key_Z);
    QVERIFY(!window->isVisible());
    QVERIFY(Button(f.form(), QStringLiteral("文"))->styleSheet().contains(QStringLiteral("blue")));
}

void ExampleWindowTest::escapeInTheWindowClearsAndCloses() {
    FormFixture f;
    f.Type(QStringLiteral("12+5="));
    f.Key(Qt::Key_Z);
    TSenExForm* window = f.form().senEx();
    QVERIFY(window->isVisible());
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QVERIFY(f.state().expression.empty());
    QVERIFY(f.model().example.on);  // the switch is not changed
    // The next calculation brings the window back by itself.
    f.Type(QStringLiteral("3*4="));
    QVERIFY(window->isVisible());
    QCOMPARE(f.model().example.type, 9);
}

void ExampleWindowTest::positionComesFromTheSettingsAndGoesBack() {
    FormFixture f("[BFORMPOS]\r\nBLEFT=120\r\nBTOP=90\r\n");
    TSenExForm* window = f.form().senEx();
    QCOMPARE(window->pos(), QPoint(120, 90));
    window->move(60, 70);
    f.form().close();
    QCOMPARE(f.settings().BLEFT, 60);
    QCOMPARE(f.settings().BTOP, 70);
}

void ExampleWindowTest::jpegDecodesAndDamagedBytesGiveNoPicture() {
    QFile file(QStringLiteral(KAZU_SOURCE_RESOURCES "/bunex.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    const QImage picture = DecodeJpeg(jpeg);
    QCOMPARE(picture.size(), QSize(280, 200));
    QVERIFY(HasInk(picture));

    QVERIFY(DecodeJpeg({}).isNull());
    QVERIFY(DecodeJpeg(QByteArray("not a picture at all")).isNull());
    QVERIFY(DecodeJpeg(jpeg.left(20)).isNull());
    // Damaged bodies decode to something or to nothing, never end the program.
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        QByteArray damaged = jpeg.left(static_cast<int>(random() % jpeg.size()));
        for (int i = 0; i < 8 && !damaged.isEmpty(); ++i) {
            damaged[static_cast<int>(random() % damaged.size())] = static_cast<char>(random());
        }
        const QImage any = DecodeJpeg(damaged);
        QVERIFY(any.isNull() || any.width() > 0);
    }

    // A window without its picture still shows.
    FormFixture f;
    f.form().senEx()->LoadPicture(QStringLiteral("/nonexistent/bunex.jpg"));
    f.Type(QStringLiteral("1.5*2="));
    f.Key(Qt::Key_Z);
    QVERIFY(f.form().senEx()->isVisible());
    QVERIFY(!f.form().senEx()->picture()->isVisible());
    QCOMPARE(f.model().example.type, 10);
}

}  // namespace kazu

QTEST_MAIN(kazu::ExampleWindowTest)
#include "ExampleWindowTest.moc"
