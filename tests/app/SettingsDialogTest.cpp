// The settings dialog: what each control changes, whether at once or on 決定, its keys, its
// buttons, and the indicators on the speech panel that follow it.
#include <QCheckBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "FormFixture.h"
#include "app/HelpWindow.h"
#include "app/Joukenv24_.h"
#include "support/FedRecognizer.h"

namespace kazu {

class SettingsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void layoutStaysInsideTheDialog();
    void controlsShowTheSettings();
    void atOnceControlsAndTheirIndicators();
    void decideAppliesTheRestAndClosingWithoutItDropsThem();
    void enterPressesDecide();
    void lettersToggleTheirBoxesButNotInTheName();
    void lineBreakRedrawsTheBoard();
    void fontKeyAndButtonOpenTheFontDialog();
    void testSentenceAndHelpButton();
    void voiceInputBoxStartsAndStopsListening();
    void openOnlyOnceAndColoursAfterClosing();
};

namespace {

// Opens the dialog with J and runs `act` on it while it is shown; `act` closes it, or the
// dialog is rejected (closed with its frame) afterwards.
bool WithDialog(FormFixture& f, const std::function<void(TJoukenSetForm&)>& act) {
    int opened = 0;
    const TJoukenSetForm* seen = nullptr;
    // Polled: the key may let events run before the dialog is up. A dialog that comes up
    // again after closing (the key seen twice) is counted and closed.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TJoukenSetForm*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog == seen) {
            return;
        }
        seen = dialog;
        if (++opened == 1) {
            act(*dialog);
        }
        if (dialog->isVisible()) {
            dialog->close();
        }
        seen = nullptr;  // a dialog up again is a new one, wherever it lies
    });
    poll.start();
    f.Key(Qt::Key_J);
    QTest::qWait(20);
    return opened == 1 && f.form().settingsDialog() == nullptr;
}

QPushButton* Button(QWidget& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

void KeyInDialog(QWidget* target, Qt::Key key) {
    QTest::keyClick(target, key);
}

}  // namespace

void SettingsDialogTest::layoutStaysInsideTheDialog() {
    FormFixture f;
    QVERIFY(WithDialog(f, [](TJoukenSetForm& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("□いろいろな条件の設定□"));
        QCOMPARE(d.size(), QSize(255, 473));
        QVERIFY(d.isModal());
        QPushButton* decide = Button(d, QStringLiteral("決　定"));
        QVERIFY(decide != nullptr && decide->isDefault());
        QCOMPARE(decide->geometry(), QRect(176, 12, 70, 22));
        QCOMPARE(Button(d, QStringLiteral("文字（&F）"))->geometry(), QRect(176, 36, 70, 22));
        QCOMPARE(Button(d, QStringLiteral("ヘルプ（&H）"))->geometry(), QRect(176, 62, 70, 22));
        QCOMPARE(Button(d, QStringLiteral("テスト"))->toolTip(),
                 QStringLiteral("読み上げの速さ・音量のテストです。"));
        QVERIFY(d.explain()->isEnabled());
        QVERIFY(d.stepDisplay()->isEnabled());
        QVERIFY(!d.voiceInput()->isVisible());
        // Every visible control lies wholly inside the dialog and inside its group.
        for (QWidget* child : d.findChildren<QWidget*>()) {
            if (!child->isVisible() || child->parentWidget() == nullptr) {
                continue;
            }
            const QRect inParent = child->geometry();
            QVERIFY2(child->parentWidget()->rect().contains(inParent),
                     qPrintable(child->objectName() + QStringLiteral(" ") +
                                child->metaObject()->className()));
        }
        // Every text is wholly readable.
        for (QLabel* label : d.findChildren<QLabel*>()) {
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        }
        for (QCheckBox* box : d.findChildren<QCheckBox*>()) {
            QVERIFY2(box->sizeHint().width() <= box->width() + 2, qPrintable(box->text()));
        }
        QCOMPARE(d.speed()->minimum(), 0);
        QCOMPARE(d.speed()->maximum(), 100);
        QCOMPARE(d.places()->maximum(), 10);
        QCOMPARE(d.rate()->maximum(), 10);
        QCOMPARE(d.volume()->maximum(), 20);
    }));
}

void SettingsDialogTest::controlsShowTheSettings() {
    FormFixture f;
    AppSettings& s = f.settings();
    s.KURIAGARI = 0;
    s.KURISAGARI = 1;
    s.KAIGYO_FLAG = 1;
    s.MSGSPEAK = 0;
    s.ENZANSPEED = 7;
    s.DSP_CL_TYPE = 1;
    s.POINTMAX = 3;
    s.SIKISPEAK = 0;
    s.KEYSPEAK = 1;
    s.SIKISPRATE = 4;
    s.SIKISPVOLUME = 65;
    s.USERSYOBINA = "はなこ";
    f.model().board.stepDisplay = true;
    QVERIFY(WithDialog(f, [](TJoukenSetForm& d) {
        QVERIFY(!d.carries()->isChecked());
        QVERIFY(d.borrows()->isChecked());
        QVERIFY(d.lineBreak()->isChecked());
        QVERIFY(!d.messages()->isChecked());
        QCOMPARE(d.speed()->value(), 7);
        QVERIFY(d.stepDisplay()->isChecked());
        QVERIFY(d.colour(1)->isChecked() && !d.colour(0)->isChecked());
        QCOMPARE(d.places()->value(), 3);
        QVERIFY(!d.expressionSpeech()->isChecked());
        QVERIFY(d.keySpeech()->isChecked());
        QCOMPARE(d.rate()->value(), 4);
        QCOMPARE(d.volume()->value(), 13);
        QCOMPARE(d.name()->text(), QStringLiteral("はなこ"));
    }));
    // Showing the controls changed nothing.
    QCOMPARE(s.SIKISPVOLUME, 65);
    QCOMPARE(s.POINTMAX, 3);
    QCOMPARE(s.DSP_CL_TYPE, 1);
}

void SettingsDialogTest::atOnceControlsAndTheirIndicators() {
    FormFixture f;
    AppSettings& s = f.settings();
    s.KURIAGARI = 1;
    s.KURISAGARI = 1;
    f.form().CaptionsChanged();
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        QTest::mouseClick(d.carries(), Qt::LeftButton, {}, QPoint(6, d.carries()->height() / 2));
        QCOMPARE(s.KURIAGARI, 0);
        QVERIFY(f.Label(QStringLiteral(" くり上がり×")) != nullptr);
        d.borrows()->click();
        QCOMPARE(s.KURISAGARI, 0);
        QVERIFY(f.Label(QStringLiteral(" くり下がり×")) != nullptr);
        d.volume()->setValue(13);
        QCOMPARE(s.SIKISPVOLUME, 65);
        QVERIFY(f.Label(QStringLiteral("65")) != nullptr);
        d.rate()->setValue(9);
        QCOMPARE(s.SIKISPRATE, 9);
        d.places()->stepUp();
        d.places()->setValue(3);
        QCOMPARE(s.POINTMAX, 3);
        QVERIFY(f.Label(QStringLiteral("小数第3位まで")) != nullptr);
        d.places()->setValue(0);
        QVERIFY(f.Label(QStringLiteral("整数まで")) != nullptr);
        d.places()->setValue(2);
        d.colour(1)->click();
        QCOMPARE(s.DSP_CL_TYPE, 1);
        d.name()->setFocus();
        QTest::keyClicks(d.name(), QStringLiteral("Lu"));
        QCOMPARE(QString::fromStdString(s.USERSYOBINA), QStringLiteral("Lu"));
    }));
    // Closed with the frame: what acted at once stays.
    QCOMPARE(s.KURIAGARI, 0);
    QCOMPARE(s.KURISAGARI, 0);
    QCOMPARE(s.SIKISPVOLUME, 65);
    QCOMPARE(s.SIKISPRATE, 9);
    QCOMPARE(s.POINTMAX, 2);
    QCOMPARE(s.DSP_CL_TYPE, 1);
    QCOMPARE(s.USERSYOBINA, std::string("Lu"));
    // Reopened, the dialog shows what was set.
    QVERIFY(WithDialog(f, [](TJoukenSetForm& d) {
        QCOMPARE(d.volume()->value(), 13);
        QVERIFY(d.colour(1)->isChecked());
        QCOMPARE(d.name()->text(), QStringLiteral("Lu"));
    }));
}

void SettingsDialogTest::decideAppliesTheRestAndClosingWithoutItDropsThem() {
    FormFixture f;
    AppSettings& s = f.settings();
    s.MSGSPEAK = 1;
    s.SIKISPEAK = 1;
    s.KEYSPEAK = 1;
    s.ENZANSPEED = 5;
    const AppSettings before = s;
    auto change = [](TJoukenSetForm& d) {
        d.messages()->click();
        d.expressionSpeech()->click();
        d.keySpeech()->click();
        d.speed()->setValue(12);
        d.stepDisplay()->click();
    };
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        change(d);
        QCOMPARE(s.MSGSPEAK, 1);
        QCOMPARE(s.ENZANSPEED, 5);
        QVERIFY(!f.model().board.stepDisplay);
    }));
    QCOMPARE(s.MSGSPEAK, before.MSGSPEAK);
    QCOMPARE(s.SIKISPEAK, before.SIKISPEAK);
    QCOMPARE(s.KEYSPEAK, before.KEYSPEAK);
    QCOMPARE(s.ENZANSPEED, 5);
    QVERIFY(!f.model().board.stepDisplay);

    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        change(d);
        Button(d, QStringLiteral("決　定"))->click();
        QVERIFY(!d.isVisible());
    }));
    QCOMPARE(s.MSGSPEAK, 0);
    QCOMPARE(s.SIKISPEAK, 0);
    QCOMPARE(s.KEYSPEAK, 0);
    QCOMPARE(s.ENZANSPEED, 12);
    QVERIFY(f.model().board.stepDisplay);
    // The speed set there paces the next drawing.
    QCOMPARE(f.model().board.speed(), 12);
}

void SettingsDialogTest::enterPressesDecide() {
    FormFixture f;
    f.settings().ENZANSPEED = 0;
    QVERIFY(WithDialog(f, [](TJoukenSetForm& d) {
        d.speed()->setValue(3);
        d.carries()->setFocus();
        KeyInDialog(d.carries(), Qt::Key_Return);
        QVERIFY(!d.isVisible());
    }));
    QCOMPARE(f.settings().ENZANSPEED, 3);
}

void SettingsDialogTest::lettersToggleTheirBoxesButNotInTheName() {
    FormFixture f;
    AppSettings& s = f.settings();
    s.KURIAGARI = 1;
    s.KURISAGARI = 1;
    s.KAIGYO_FLAG = 0;
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        d.carries()->setFocus();
        KeyInDialog(d.carries(), Qt::Key_U);
        QVERIFY(!d.carries()->isChecked());
        QCOMPARE(s.KURIAGARI, 0);
        QVERIFY(f.Label(QStringLiteral(" くり上がり×")) != nullptr);
        // A is only the label's letter: it changes nothing here.
        KeyInDialog(d.carries(), Qt::Key_A);
        QCOMPARE(s.KURIAGARI, 0);
        KeyInDialog(d.speed(), Qt::Key_D);
        QCOMPARE(s.KURISAGARI, 0);
        KeyInDialog(&d, Qt::Key_L);
        QVERIFY(d.lineBreak()->isChecked());
        QCOMPARE(s.KAIGYO_FLAG, 1);
        // In the name box the letters are the name.
        d.name()->setFocus();
        QTest::keyClicks(d.name(), QStringLiteral("ULD"));
        QCOMPARE(d.name()->text(), QStringLiteral("ULD"));
        QCOMPARE(s.KURIAGARI, 0);
        QCOMPARE(s.KAIGYO_FLAG, 1);
    }));
}

void SettingsDialogTest::lineBreakRedrawsTheBoard() {
    FormFixture f(kTallBoard);
    f.settings().KAIGYO_FLAG = 0;
    f.Type("123+45=");
    const QImage oneLine = f.Repainted();
    QImage broken;
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        d.lineBreak()->click();
        broken = f.form().boardImage().copy();
    }));
    QCOMPARE(f.settings().KAIGYO_FLAG, 1);
    QCOMPARE(f.model().board.operands.result, std::string("168"));
    QVERIFY(broken != oneLine);
    QCOMPARE(f.model().board.layout.scrollOffset, 0);
    // Back again: the board looks as before.
    QVERIFY(WithDialog(f, [](TJoukenSetForm& d) { d.lineBreak()->click(); }));
    QCOMPARE(f.Repainted(), oneLine);
}

void SettingsDialogTest::fontKeyAndButtonOpenTheFontDialog() {
    FormFixture f;
    int fontDialogs = 0;
    auto closeFontDialog = [&] {
        QTimer::singleShot(0, [&] {
            if (auto* fonts = qobject_cast<QFontDialog*>(QApplication::activeModalWidget())) {
                ++fontDialogs;
                fonts->reject();
            }
        });
    };
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        closeFontDialog();
        KeyInDialog(d.carries(), Qt::Key_F);
        closeFontDialog();
        Button(d, QStringLiteral("文字（&F）"))->click();
    }));
    QCOMPARE(fontDialogs, 2);
}

void SettingsDialogTest::testSentenceAndHelpButton() {
    FormFixture f;
    f.settings().SIKISPRATE = 3;
    f.settings().SIKISPVOLUME = 40;
    bool helpOverTheDialog = false;
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        f.voice().Clear();
        Button(d, QStringLiteral("テスト"))->click();
        Button(d, QStringLiteral("ヘルプ（&H）"))->click();
        // Usable while the dialog is open: the dialog does not block it.
        helpOverTheDialog = f.form().helpWindow() != nullptr &&
                            QApplication::activeModalWidget() == f.form().helpWindow();
        if (f.form().helpWindow() != nullptr) {
            f.form().helpWindow()->close();  // back to the dialog
        }
    }));
    const auto& requests = f.voice().requests();
    QVERIFY(std::find(requests.begin(), requests.end(), "rate 3") != requests.end());
    QVERIFY(std::find(requests.begin(), requests.end(), "volume 40") != requests.end());
    QCOMPARE(f.voice().spoken().front(),
             std::string("読み上げの速さと音量のテストです。78+23=101"));
    QVERIFY(helpOverTheDialog);
    QVERIFY(f.form().helpWindow()->browser()->source().toLocalFile().endsWith(
        QLatin1String("/KazuOnCmd_V24.html")));
    QVERIFY(f.messages.empty());
}

void SettingsDialogTest::voiceInputBoxStartsAndStopsListening() {
    FedRecognizer recognizer;  // outlives the form, which detaches from it
    FormFixture f;
    f.model().SpeechSetup(recognizer, "KAZUGrammar.xml");
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        d.voiceInput()->setChecked(true);
        emit d.voiceInput()->clicked(true);
        QCOMPARE(f.settings().SRFLAG, 1);
        d.voiceInput()->setChecked(false);
        emit d.voiceInput()->clicked(false);
        QCOMPARE(f.settings().SRFLAG, 0);
    }));
}

void SettingsDialogTest::openOnlyOnceAndColoursAfterClosing() {
    FormFixture f;
    f.settings().DSP_CL_TYPE = 0;
    bool openWhileShown = false;
    QVERIFY(WithDialog(f, [&](TJoukenSetForm& d) {
        openWhileShown = f.form().SettingsDialogOpen();
        // A second opening while it is shown does nothing.
        f.form().OpenSettingsDialog();
        QCOMPARE(f.form().settingsDialog(), &d);
        d.colour(1)->click();
        Button(d, QStringLiteral("決　定"))->click();
    }));
    QVERIFY(openWhileShown);
    QVERIFY(!f.form().SettingsDialogOpen());
    QCOMPARE(f.settings().DSP_CL_TYPE, 1);
    // The whiteboard look: a light board.
    QCOMPARE(qGray(f.Repainted().pixel(5, 5)) > 128, true);
}

}  // namespace kazu

QTEST_MAIN(kazu::SettingsDialogTest)
#include "SettingsDialogTest.moc"
