// The blackboard window around the board: scrolling, repaint, resizing, paced drawing, printing,
// help, window size commands, closing, the carry indicator and the version box.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include "FormFixture.h"
#include "app/About_.h"
#include "app/Face.h"
#include "app/HelpWindow.h"
#include "app/Paths.h"
#include "app/Sikiinpv.h"
#include "app/Stepgov.h"

namespace kazu {

class BoardWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void wheelScrollsOnlyAFinishedBoard();
    void scrollBarAndArrowsFollowTheBoard();
    void repaintNeverPauses();
    void resizingRepaintsIntoTheNewImage();
    void pacedDrawingTakesItsPausesAndKeepsTheWindowAlive();
    void oneKeyDrawsOnceWithPauses();
    void escapeOrAMousePressCutsThePausesShort();
    void keysTypedDuringADrawingComeAfterIt();
    void printingLeavesTheScreenAsItWas();
    void printingInTheBlackboardSchemeIsBlackOnWhite();
    void printingNothingIsRefused();
    void pdfIsOfferedInAFolderThatExists();
    void helpOpensThePagesInItsOwnWindow();
    void defaultSizeThenPreviousSizeRestoresTheBounds();
    void maximiseThenPreviousSizeRestoresTheBounds();
    void closingSavesBoundsAndSettings();
    void smallStoredFontStartsAtTen();
    void clickingTheCarryIndicatorActsAsKeyA();
    void versionBox();
    void halfWidthZeroOfTheBoardFontIsHollow();
    void companionsHaveNoCaptionButtonsAndAreNeverLost();
};

namespace {

// One notch of the wheel on the board widget: positive is away from the user (up).
void Wheel(QWidget* board, int notches) {
    const QPointF at(board->width() / 2.0, board->height() / 2.0);
    QWheelEvent event(at, board->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(board, &event);
}

// The first row of the image holding a pixel of exactly `colour`, or -1.
int TopRowOf(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == colour) {
                return y;
            }
        }
    }
    return -1;
}

bool Spoke(RecordingVoice& voice, const std::string& text) {
    const auto& spoken = voice.spoken();
    return std::find(spoken.begin(), spoken.end(), text) != spoken.end();
}

QRect Bounds(const QWidget& window) {
    return QRect(window.pos(), window.size());
}

// Posts a key press to where the platform would deliver it, as a user typing would.
void PostKey(FormFixture& f, Qt::Key key, const QString& text = {}) {
    QCoreApplication::postEvent(f.KeyTarget(),
                                new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
}

const char* const kClearFirst = "新しい式を入力するには，表示中の式を消去してください。";

}  // namespace

void BoardWindowTest::wheelScrollsOnlyAFinishedBoard() {
    FormFixture f(kTallBoard);  // the finished sum in view without scrolling
    QWidget* board = f.BoardWidget();
    QVERIFY(board != nullptr);
    f.Type("12");
    Wheel(board, -1);
    QCOMPARE(f.model().scrollPosition(), 0);
    QCOMPARE(f.form().scrollBar()->value(), 0);
    f.model().ScrollDown();
    QCOMPARE(f.model().scrollPosition(), 0);

    f.Type("+9=");
    const int top = TopRowOf(f.form().boardImage(), kAnswerRed);
    QVERIFY(top > 0);
    Wheel(board, -1);
    QCOMPARE(f.model().scrollPosition(), 4);
    QCOMPARE(f.form().scrollBar()->value(), 4);
    QCOMPARE(f.model().board.layout.scrollOffset, 4);
    // The board is drawn again, 4 pixels higher.
    QCOMPARE(TopRowOf(f.form().boardImage(), kAnswerRed), top - 4);
    Wheel(board, -2);
    QCOMPARE(f.model().scrollPosition(), 12);
    QCOMPARE(f.form().scrollBar()->value(), 12);
    QCOMPARE(TopRowOf(f.form().boardImage(), kAnswerRed), top - 12);
    Wheel(board, 1);
    QCOMPARE(f.model().scrollPosition(), 8);
    f.Key(Qt::Key_Home);
    QCOMPARE(f.model().scrollPosition(), 0);
    QCOMPARE(f.form().scrollBar()->value(), 0);
    QCOMPARE(TopRowOf(f.form().boardImage(), kAnswerRed), top);
    Wheel(board, 1);
    f.model().ScrollUp();
    QCOMPARE(f.model().scrollPosition(), 0);
    QCOMPARE(f.form().scrollBar()->value(), 0);
    QCOMPARE(f.model().board.operands.result, std::string("21"));
}

void BoardWindowTest::scrollBarAndArrowsFollowTheBoard() {
    FormFixture f(kTallBoard);  // the finished sum in view without scrolling
    QScrollBar* bar = f.form().scrollBar();
    f.Type("12");
    // The bar snaps back while an expression is typed.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(f.model().scrollPosition(), 0);
    QCOMPARE(bar->value(), 0);

    f.Type("+9=");
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(f.model().scrollPosition(), 4);
    QCOMPARE(f.model().board.layout.scrollOffset, 4);
    f.Key(Qt::Key_Down);
    QCOMPARE(f.model().scrollPosition(), 8);
    QCOMPARE(bar->value(), 8);
    f.Key(Qt::Key_Up);
    f.Key(Qt::Key_Up);
    f.Key(Qt::Key_Up);
    QCOMPARE(f.model().scrollPosition(), 0);
    QCOMPARE(bar->value(), 0);
    // The bottom of the range is one printed page.
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(f.model().scrollPosition(), f.model().scrollRange());
    QCOMPARE(bar->maximum(), f.model().scrollRange());
    f.Key(Qt::Key_Down);
    QCOMPARE(f.model().scrollPosition(), f.model().scrollRange());
    // Delete on a scrolled board only brings it back to the top.
    f.Key(Qt::Key_D);
    QCOMPARE(f.model().scrollPosition(), 0);
    QCOMPARE(f.state().expression, std::string("12+9="));
}

void BoardWindowTest::repaintNeverPauses() {
    FormFixture f;
    f.Type("999+1=");
    f.settings().ENZANSPEED = 5;  // 13 pauses of half a second if a repaint paced itself
    QElapsedTimer clock;
    clock.start();
    Wheel(f.BoardWidget(), -1);
    f.Key(Qt::Key_M);
    f.Key(Qt::Key_M);
    f.Key(Qt::Key_Home);
    QVERIFY2(clock.elapsed() < 400, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QCOMPARE(f.settings().ENZANSPEED, 5);
    QVERIFY(f.HasColour(f.AnswerRegion(), kAnswerRed));
}

void BoardWindowTest::resizingRepaintsIntoTheNewImage() {
    FormFixture f;
    f.Type("12+9=");
    QVERIFY(f.HasColour(f.AnswerRegion(), kAnswerRed));
    for (const QSize size : {QSize(980, 640), QSize(700, 360)}) {
        f.form().resize(size);
        QTRY_COMPARE(f.form().size(), size);
        QCoreApplication::processEvents();
        QWidget* central = f.form().centralWidget();
        // The board fills the client area beside the 25 pixel scroll bar; its image holds at
        // least what the board shows.
        QCOMPARE(f.form().boardView()->size(), QSize(central->width() - 25, central->height()));
        QVERIFY(f.form().boardImage().width() >= central->width() - 25);
        QVERIFY(f.form().boardImage().height() >= central->height());
        QCOMPARE(f.form().scrollBar()->geometry().right(), central->width() - 1);
        QVERIFY(f.HasColour(f.AnswerRegion(), kAnswerRed));
        const QImage& image = f.form().boardImage();
        QCOMPARE(f.Pixel(image.width() - 3, image.height() - 3), QRgb(0x008000));
    }
    QCOMPARE(f.model().board.operands.result, std::string("21"));
}

void BoardWindowTest::pacedDrawingTakesItsPausesAndKeepsTheWindowAlive() {
    FormFixture f;
    f.settings().ENZANSPEED = 1;
    f.Type("999+1");
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(50);
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start();
    QElapsedTimer clock;
    clock.start();
    f.Key(Qt::Key_Return);
    const qint64 elapsed = clock.elapsed();
    // 13 steps of 100 ms: the operands, the sign, the rule, each sum digit with its carry.
    QVERIFY2(elapsed >= 1200 && elapsed <= 3000, qPrintable(QString::number(elapsed) + " ms"));
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks) + " ticks"));
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    QCOMPARE(f.settings().ENZANSPEED, 1);
    QVERIFY(!f.model().board.cutShort);
    // One Return is one "=": a second one would meet the finished board and ask to clear it.
    QVERIFY(!Spoke(f.voice(), kClearFirst));
}

void BoardWindowTest::oneKeyDrawsOnceWithPauses() {
    FormFixture f;
    f.Type("999+1=");
    f.settings().ENZANSPEED = 1;
    QElapsedTimer clock;
    clock.start();
    f.Key(Qt::Key_R);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(f.state().expression, std::string("999+1="));
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    // The recalculation is drawn once with its 13 pauses, not twice.
    QVERIFY(elapsed >= 1200);
    QVERIFY2(elapsed < 2400, qPrintable(QString::number(elapsed) + " ms"));
}

void BoardWindowTest::escapeOrAMousePressCutsThePausesShort() {
    {
        FormFixture f;
        f.settings().ENZANSPEED = 1;
        f.Type("999+1");
        QTimer::singleShot(250, [&f] { PostKey(f, Qt::Key_Escape); });
        QElapsedTimer clock;
        clock.start();
        f.Key(Qt::Key_Return);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed()) + " ms"));
        QCOMPARE(f.model().board.operands.result, std::string("1000"));
        QCOMPARE(f.settings().ENZANSPEED, 0);
        QVERIFY(f.HasColour(f.AnswerRegion(), kAnswerRed));
        // The Esc itself reaches the key map afterwards and silences the voice.
        QTRY_VERIFY(std::find(f.voice().requests().begin(), f.voice().requests().end(),
                              "skip Sentence 1000") != f.voice().requests().end());
    }
    {
        FormFixture f;
        f.settings().ENZANSPEED = 1;
        f.Type("999+1");
        QWidget* board = f.BoardWidget();
        QTimer::singleShot(250, [board] {
            const QPointF at(20, board->height() - 20);
            QCoreApplication::postEvent(
                board, new QMouseEvent(QEvent::MouseButtonPress, at, board->mapToGlobal(at),
                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        });
        QElapsedTimer clock;
        clock.start();
        f.Key(Qt::Key_Return);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed()) + " ms"));
        QCOMPARE(f.model().board.operands.result, std::string("1000"));
        QCOMPARE(f.settings().ENZANSPEED, 0);
    }
}

void BoardWindowTest::keysTypedDuringADrawingComeAfterIt() {
    FormFixture f;
    f.settings().ENZANSPEED = 1;
    f.Type("999+1");
    QTimer::singleShot(300, [&f] { PostKey(f, Qt::Key_5, QStringLiteral("5")); });
    QTimer::singleShot(400, [&f] { PostKey(f, Qt::Key_D, QStringLiteral("d")); });
    f.voice().Clear();
    f.Key(Qt::Key_Return);
    // Held back until the drawing ended, then delivered in order: the digit asks for the
    // finished board to be cleared, and D clears it.
    QTRY_COMPARE(f.state().expression, std::string());
    QCOMPARE(f.state().restoreText, std::string("999+1="));
    const auto& spoken = f.voice().spoken();
    QVERIFY(Spoke(f.voice(), kClearFirst));
    QCOMPARE(std::count(spoken.begin(), spoken.end(), std::string(kClearFirst)), 1L);
}

void BoardWindowTest::printingLeavesTheScreenAsItWas() {
    FormFixture f;
    f.Type("999+1=");
    const BoardLayout before = f.model().board.layout;
    const QImage screen = f.Repainted();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("board.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    f.form().PrintTo(&printer);

    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.size() > 1000);
    QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
    QCOMPARE(f.settings().DSP_CL_TYPE, 0);
    QCOMPARE(f.model().board.colours.background, Colour(0x008000));
    QCOMPARE(f.model().board.colours.answer, Colour(kAnswerRed));
    const BoardLayout& after = f.model().board.layout;
    QCOMPARE(after.digitWidth, before.digitWidth);
    QCOMPARE(after.textHeight, before.textHeight);
    QCOMPARE(after.originX, before.originX);
    QCOMPARE(after.originY, before.originY);
    QCOMPARE(after.cellWidth, before.cellWidth);
    QCOMPARE(after.rowHeight, before.rowHeight);
    QCOMPARE(f.Repainted(), screen);
    QCOMPARE(f.state().expression, std::string("999+1="));
}

void BoardWindowTest::printingInTheBlackboardSchemeIsBlackOnWhite() {
    FormFixture f;
    f.Type("999+1=");
    QImage page(1600, 1200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QtCanvas canvas(&page);
        f.model().PrintOn(canvas);
    }
    bool black = false;
    bool colour = false;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel(page.pixel(x, y));
            black = black || (page.pixel(x, y) & 0xFFFFFF) == 0;
            colour = colour || pixel.saturation() > 40;
        }
    }
    QVERIFY2(black, "the digits are black on paper");
    QVERIFY2(!colour, "no blackboard colour reaches the paper");
}

void BoardWindowTest::printingNothingIsRefused() {
    FormFixture f;
    f.form().Print1Click();
    QCOMPARE(f.messages.size(), size_t(1));
    QCOMPARE(f.messages[0].text, QStringLiteral("印刷する式がありません。"));
    QCOMPARE(f.messages[0].caption, QStringLiteral("ご注意！"));
    // With spoken input on, the same words are said instead.
    f.settings().HEAROK = 1;
    f.voice().Clear();
    f.form().Print1Click();
    QCOMPARE(f.messages.size(), size_t(1));
    QVERIFY(Spoke(f.voice(), "印刷する式がありません。"));
}

void BoardWindowTest::pdfIsOfferedInAFolderThatExists() {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    const QString withoutDocuments = PdfFolder();
    QDir(home.path()).mkdir(QStringLiteral("Documents"));
    const QString withDocuments = PdfFolder();
    for (const auto& [name, value] : {std::pair{"HOME", oldHome}, {"XDG_CONFIG_HOME", oldConfig}}) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    QCOMPARE(QDir(withoutDocuments).canonicalPath(), QDir(home.path()).canonicalPath());
    QCOMPARE(QDir(withDocuments).canonicalPath(),
             QDir(home.filePath(QStringLiteral("Documents"))).canonicalPath());
}

void BoardWindowTest::helpOpensThePagesInItsOwnWindow() {
    FormFixture f;
    QVERIFY(f.form().helpWindow() == nullptr);
    f.Key(Qt::Key_F1);  // the menu's shortcut
    HelpWindow* help = f.form().helpWindow();
    QVERIFY(help != nullptr);
    QVERIFY(help->isVisible());
    QVERIFY(f.messages.empty());
    QTextBrowser* browser = help->browser();
    QVERIFY2(browser->source().toLocalFile().endsWith(QLatin1String("/KazuchanV24.html")),
             qPrintable(browser->source().toString()));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("くり上がり")));
    QVERIFY(help->windowTitle().startsWith(QStringLiteral("数ちゃん")));
    QVERIFY(help->width() >= 640 && help->height() >= 480);

    // A link to a section of the page, then back and forward.
    QToolButton* back = nullptr;
    QToolButton* forward = nullptr;
    for (QToolButton* button : help->findChildren<QToolButton*>()) {
        (button->text().contains(QStringLiteral("もどる")) ? back : forward) = button;
    }
    QVERIFY(back != nullptr && forward != nullptr);
    QVERIFY(!back->isEnabled());
    const QUrl page = browser->source();
    QUrl section = page;
    section.setFragment(QStringLiteral("keys"));
    browser->setSource(section);  // what a click on a link to it does
    QTRY_COMPARE(browser->source(), section);
    QVERIFY(back->isEnabled());
    back->click();
    QCOMPARE(browser->source(), page);
    QVERIFY(forward->isEnabled());

    // The voice help button shows its page in the same window.
    help->close();
    QToolButton* voiceHelp = nullptr;
    for (QToolButton* button : f.form().findChildren<QToolButton*>()) {
        if (button->text() == QStringLiteral("音声？(&Q)")) {
            voiceHelp = button;
        }
    }
    QVERIFY(voiceHelp != nullptr);
    voiceHelp->click();
    QCOMPARE(f.form().helpWindow(), help);
    QVERIFY(help->isVisible());
    QVERIFY(browser->source().toLocalFile().endsWith(QLatin1String("/KazuOnCmd_V24.html")));
    QVERIFY(f.messages.empty());

    // A page that cannot be found is reported.
    f.form().OpenHelp(QStringLiteral("NoSuchPage.html"),
                      QStringLiteral("Kazuchan_V24.chm が見あたりません。"));
    QCOMPARE(f.messages.size(), size_t(1));
    QCOMPARE(f.messages[0].text, QStringLiteral("Kazuchan_V24.chm が見あたりません。"));
    QCOMPARE(f.messages[0].caption, QStringLiteral("お知らせ"));
}

void BoardWindowTest::defaultSizeThenPreviousSizeRestoresTheBounds() {
    FormFixture f;
    f.form().move(150, 120);
    f.form().resize(760, 420);
    QTRY_COMPARE(Bounds(f.form()), QRect(150, 120, 760, 420));
    f.form().D1Click();
    QTRY_COMPARE(Bounds(f.form()), QRect(100, 100, 804, 600));
    f.form().Y1Click();
    QTRY_COMPARE(Bounds(f.form()), QRect(150, 120, 760, 420));
    QVERIFY(!f.form().isMaximized());
}

void BoardWindowTest::maximiseThenPreviousSizeRestoresTheBounds() {
    FormFixture f;
    f.form().move(150, 120);
    f.form().resize(640, 380);
    QTRY_COMPARE(Bounds(f.form()), QRect(150, 120, 640, 380));
    f.form().Z1Click();
    QTRY_VERIFY(f.form().isMaximized());
    f.form().Y1Click();
    QTRY_VERIFY(!f.form().isMaximized());
    QTRY_COMPARE(Bounds(f.form()), QRect(150, 120, 640, 380));
}

void BoardWindowTest::closingSavesBoundsAndSettings() {
    FormFixture f;
    QVERIFY(!QFileInfo::exists(f.iniPath()));
    f.form().move(123, 77);
    f.form().resize(820, 480);
    QTRY_COMPARE(Bounds(f.form()), QRect(123, 77, 820, 480));
    f.Key(Qt::Key_M);
    f.Key(Qt::Key_Up, Qt::ControlModifier);
    f.form().close();
    QFile file(f.iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const AppSettings saved = ParseSettings(std::string(bytes.constData(), size_t(bytes.size())));
    QCOMPARE(saved.LEFT, 123);
    QCOMPARE(saved.TOP, 77);
    QCOMPARE(saved.WIDTH, 820);
    QCOMPARE(saved.HEIGHT, 480);
    QCOMPARE(saved.DSP_CL_TYPE, 1);
    QCOMPARE(saved.POINTMAX, 1);
    QVERIFY(f.messages.empty());
}

void BoardWindowTest::smallStoredFontStartsAtTen() {
    FormFixture f("[FONT]\r\nFONTSIZE=8\r\n");
    QCOMPARE(f.model().board.layout.fontSize, 10);
    QCOMPARE(f.settings().FONTSIZE, 10);
    f.form().close();
    QFile file(f.iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.contains("FONTSIZE=10\r\n") || bytes.contains("FONTSIZE=10\n"),
             bytes.constData());
}

void BoardWindowTest::clickingTheCarryIndicatorActsAsKeyA() {
    FormFixture f;
    f.Type("999+1=");
    const QImage board = f.form().boardImage().copy();
    QLabel* carry = f.Label(QStringLiteral(" くり上がり◎"));
    QVERIFY(carry != nullptr);
    QTest::mouseClick(carry, Qt::LeftButton);
    QCOMPARE(f.settings().KURIAGARI, 0);
    QCOMPARE(carry->text(), QStringLiteral(" くり上がり×"));
    QCOMPARE(f.form().boardImage(), board);  // as with A, the board is not drawn again
    f.Key(Qt::Key_A);
    QCOMPARE(f.settings().KURIAGARI, 1);
    QCOMPARE(carry->text(), QStringLiteral(" くり上がり◎"));
    QTest::mouseClick(carry, Qt::LeftButton);
    QCOMPARE(f.settings().KURIAGARI, 0);
    QCOMPARE(f.settings().KURISAGARI, 1);

    QLabel* borrow = f.Label(QStringLiteral(" くり下がり◎"));
    QVERIFY(borrow != nullptr);
    QTest::mouseClick(borrow, Qt::LeftButton);
    QCOMPARE(f.settings().KURISAGARI, 0);
    QCOMPARE(borrow->text(), QStringLiteral(" くり下がり×"));
    QCOMPARE(f.state().expression, std::string("999+1="));
}

void BoardWindowTest::versionBox() {
    {
        TAboutForm about;
        QCOMPARE(about.windowTitle(), QStringLiteral("『数ちゃん(V)』のバージョン"));
        QCOMPARE(about.size(), QSize(202, 129));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QVERIFY(about.isModal());
        // One version, the build's, in the box and in the main window's caption.
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            texts << label->text();
        }
        QVERIFY2(texts.contains(QStringLiteral("v" KAZU_VERSION)), qPrintable(texts.join('|')));
    }
    FormFixture f;
    QVERIFY2(f.form().windowTitle().contains(QStringLiteral("』v" KAZU_VERSION "---")),
             qPrintable(f.form().windowTitle()));
    QString title;
    bool modal = false;
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, [&] {
        auto* about = qobject_cast<TAboutForm*>(QApplication::activeModalWidget());
        if (about == nullptr) {
            return;
        }
        title = about->windowTitle();
        modal = about->isModal();
        for (QPushButton* button : about->findChildren<QPushButton*>()) {
            if (button->isDefault()) {
                button->click();  // "Ｏ Ｋ" closes it
            }
        }
    });
    closer.start();
    f.form().About1Click();
    closer.stop();
    QCOMPARE(title, QStringLiteral("『数ちゃん(V)』のバージョン"));
    QVERIFY(modal);
}

// The face, the input panel and the step window draw their own captions: a window manager's
// caption would carry a close button whatever the window asks. A close from the window manager
// (Alt+F4) never loses one: the face stays, the panel comes back with F8.
void BoardWindowTest::companionsHaveNoCaptionButtonsAndAreNeverLost() {
    FormFixture f;
    TFaceS* face = f.form().face();
    TInputForm* panel = f.form().inputPanel();
    TStepGoForm* step = f.form().stepWindow();
    for (ToolWindow* window : std::initializer_list<ToolWindow*>{face, panel, step}) {
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window->client()->y(), ToolWindow::kBorder + ToolWindow::kCaptionHeight);
        // The caption is whole: it fits the width the window gives it.
        QFont font = window->font();
        font.setPointSize(9);
        font.setBold(true);
        QVERIFY2(QFontMetrics(font).horizontalAdvance(window->windowTitle()) <=
                     window->client()->width() - 5,
                 qPrintable(window->windowTitle()));
    }
    QCOMPARE(face->client()->size(), QSize(162, 127));
    QVERIFY(face->isVisible());
    QVERIFY(!face->close());
    QVERIFY(face->isVisible());

    QVERIFY(panel->isVisible());
    panel->close();
    QVERIFY(!panel->isVisible());
    f.Key(Qt::Key_F8);
    QVERIFY(panel->isVisible());
    QVERIFY(!panel->isMinimized());

    // Once the board has closed, nothing keeps the program from ending.
    QVERIFY(f.form().close());
    QVERIFY(face->close());
}

// The answer is written in half-width digits; a stroke through a digit means "cancelled" on
// this board, so the zero of the board font is an empty oval.
void BoardWindowTest::halfWidthZeroOfTheBoardFontIsHollow() {
    InstallFontSubstitutions();
    QImage image(120, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtCanvas canvas(&image);
        canvas.SetFontName(AppSettings{}.FONTNAME);
        canvas.SetFontSize(60);
        canvas.SetFontColour(0x000000);
        canvas.TextOut(10, 10, "0");
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    QVERIFY(ink.width() > 10 && ink.height() > 20);
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            QVERIFY2(qGray(image.pixel(ink.center() + QPoint(dx, dy))) > 200,
                     "ink in the middle of the zero");
        }
    }
}

}  // namespace kazu

QTEST_MAIN(kazu::BoardWindowTest)
#include "BoardWindowTest.moc"
