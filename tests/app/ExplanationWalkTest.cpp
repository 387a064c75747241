// 数ちゃん walks the explanation over the board: driven by real keys, clicks and fed
// recognitions, with the recording voice, whose every sentence ends at once.
#include <QPushButton>
#include <QTest>

#include "FormFixture.h"
#include "app/ExplanationWalk.h"
#include "app/Sikiinpv.h"
#include "support/FedRecognizer.h"

namespace kazu {
namespace {

const QByteArray kExplaining = kTallBoard + "[EXPLAIN]\r\nEXPLAIN_FLAG=1\r\n";
const QRgb kFrameOrange = 0xFF8C00;

bool BoardShows(TKokubanForm& form, QRgb colour) {
    const QImage shot = form.boardView()->grab().toImage();
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if ((shot.pixel(x, y) & 0xFFFFFF) == colour) {
                return true;
            }
        }
    }
    return false;
}

// The sentences of the board's calculation, as the walk reads them.
std::vector<std::string> Sentences(Kokuban& model) {
    return ExplainBoard(model)->sentences;
}

}  // namespace
}  // namespace kazu

using namespace kazu;

class ExplanationWalkTest : public QObject {
    Q_OBJECT

  private slots:
    void stepsFollowTheEndOfEachSentence();
    void keysAndClicksStepAtOnceAndEscLeavesTheBoardAsDrawn();
    void withoutTheVoiceTheStepPauseOrTheChildGoesOn();
    void everyWayInStartsItAndTheFlagOffKeepsTheReply();
    void spokenWordsStepInBothVoiceModes();
};

void ExplanationWalkTest::stepsFollowTheEndOfEachSentence() {
    for (const int scheme : {0, 1}) {
        FormFixture f(kExplaining);
        f.settings().DSP_CL_TYPE = scheme;
        f.Type(QStringLiteral("402-175="));
        const std::vector<std::string> sentences = Sentences(f.model());
        QCOMPARE(sentences.size(), size_t(7));
        f.voice().Clear();
        f.Key(Qt::Key_E);
        ExplanationWalk& walk = *f.form().explanationWalk();
        QVERIFY(walk.active());
        QVERIFY(BoardShows(f.form(), kFrameOrange));
        // Each end of speech brings the next step, marked and read, up to the last, which stays.
        for (size_t step = 0; step < sentences.size(); ++step) {
            QCOMPARE(walk.step(), step);
            QCOMPARE(f.voice().spoken().back(), sentences[step]);
            QVERIFY2(!walk.marks().empty(), sentences[step].c_str());
            QCoreApplication::processEvents();
        }
        QCOMPARE(f.voice().spoken(), sentences);
        QVERIFY(walk.active());
        QCOMPARE(walk.step(), sentences.size() - 1);
    }
}

void ExplanationWalkTest::keysAndClicksStepAtOnceAndEscLeavesTheBoardAsDrawn() {
    FormFixture f(kExplaining);
    f.Type(QStringLiteral("23*45="));
    const QImage drawn = f.form().boardImage().copy();
    const std::vector<std::string> sentences = Sentences(f.model());
    ExplanationWalk& walk = *f.form().explanationWalk();
    f.Key(Qt::Key_E);
    // G before the end of the sentence has come through: the next step at once; that end,
    // still on its way, does not count for the new step, only the new step's own end does.
    f.Key(Qt::Key_G);
    QCOMPARE(walk.step(), size_t(1));
    QCoreApplication::processEvents();
    QCOMPARE(walk.step(), size_t(2));
    f.Key(Qt::Key_Space);
    QCOMPARE(walk.step(), size_t(3));
    QTest::mouseClick(f.BoardWidget(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(walk.step(), size_t(4));
    f.Key(Qt::Key_K);
    QCOMPARE(walk.step(), size_t(3));
    QCOMPARE(f.voice().spoken().back(), sentences[3]);
    // The marks lie over the board's own drawing, which stays as it was.
    QVERIFY(BoardShows(f.form(), kFrameOrange));
    QCOMPARE(f.form().boardImage(), drawn);
    f.Key(Qt::Key_Escape);
    QVERIFY(!walk.active());
    QVERIFY(walk.marks().empty());
    QVERIFY(!BoardShows(f.form(), kFrameOrange));
    QCOMPARE(f.form().boardImage(), drawn);
    // Any other key ends the walk and does its own work.
    f.Key(Qt::Key_E);
    QVERIFY(walk.active());
    f.Key(Qt::Key_D);
    QVERIFY(!walk.active());
    QVERIFY(f.state().entryOpen);
}

void ExplanationWalkTest::withoutTheVoiceTheStepPauseOrTheChildGoesOn() {
    FormFixture f(kExplaining);
    ExplanationWalk& walk = *f.form().explanationWalk();
    f.Type(QStringLiteral("7/2="));
    f.settings().SIKISPEAK = 0;
    f.voice().Clear();
    f.Key(Qt::Key_E);
    QCoreApplication::processEvents();
    QCOMPARE(walk.step(), size_t(0));
    QVERIFY(f.voice().spoken().empty());
    f.Key(Qt::Key_G);
    QCOMPARE(walk.step(), size_t(1));
    f.settings().ENZANSPEED = 1;
    f.Key(Qt::Key_G);
    QTRY_COMPARE(walk.step(), size_t(3));
    QVERIFY(f.voice().spoken().empty());
}

void ExplanationWalkTest::everyWayInStartsItAndTheFlagOffKeepsTheReply() {
    {
        FormFixture f(kTallBoard);
        QCOMPARE(f.settings().EXPLAIN_FLAG, 0);
        f.Type(QStringLiteral("100/7="));
        f.voice().Clear();
        f.Key(Qt::Key_E);
        QVERIFY(!f.form().explanationWalk()->active());
        QCOMPARE(f.voice().spoken(),
                 std::vector<std::string>{"ごめんなさい。説明の準備がまだなんです。"});
    }
    FormFixture f(kExplaining);
    ExplanationWalk& walk = *f.form().explanationWalk();
    f.Key(Qt::Key_E);
    QVERIFY(!walk.active());
    QCOMPARE(f.voice().spoken().back(), std::string("まず、式の計算をしてください。"));
    f.Type(QStringLiteral("100/7="));
    QPushButton* button = f.form().inputPanel()->Button(QStringLiteral("説明Ｅ"));
    QVERIFY(button != nullptr);
    button->click();
    QVERIFY(walk.active());
    f.Key(Qt::Key_Escape);
    QAction* item = nullptr;
    for (QAction* action : f.form().findChildren<QAction*>()) {
        if (action->text() == QStringLiteral("説明(&E)")) {
            item = action;
        }
    }
    QVERIFY(item != nullptr);
    item->trigger();
    QVERIFY(walk.active());
    QCOMPARE(walk.step(), size_t(0));
}

void ExplanationWalkTest::spokenWordsStepInBothVoiceModes() {
    FormFixture f(kExplaining);
    auto owned = std::make_unique<FedRecognizer>();
    FedRecognizer& recognizer = *owned;
    f.form().SetRecognizer(std::move(owned), "KAZUGrammar.xml");
    f.model().S2Click();
    ExplanationWalk& walk = *f.form().explanationWalk();
    recognizer.Hear("402マイナス175わ");
    QVERIFY(!f.state().entryOpen);
    recognizer.Hear("説明");
    QVERIFY(walk.active());
    const std::vector<std::string> sentences = Sentences(f.model());
    // Calculation mode: the words as dictation writes them.
    recognizer.Hear("次");
    QCOMPARE(walk.step(), size_t(1));
    recognizer.Hear("戻って");
    QCOMPARE(walk.step(), size_t(0));
    recognizer.Hear("次");
    recognizer.Hear("もう一度");
    QCOMPARE(walk.step(), size_t(1));
    QCOMPARE(f.voice().spoken().back(), sentences[1]);
    QCOMPARE(f.voice().spoken()[f.voice().spoken().size() - 2], sentences[1]);
    recognizer.Hear("終わり");
    QVERIFY(!walk.active());
    QVERIFY(!f.state().entryOpen);  // "戻って" went to the walk, not to the expression
    // Command mode: the grammar's rules, with their numbers.
    recognizer.Hear("コマンド");
    QVERIFY(f.model().commandMode);
    f.Key(Qt::Key_E);
    QVERIFY(walk.active());
    recognizer.Hear("次", 90);
    QCOMPARE(walk.step(), size_t(1));
    recognizer.Hear("戻って", 5);
    QCOMPARE(walk.step(), size_t(0));
    recognizer.Hear("もう一度", 91);
    QCOMPARE(walk.step(), size_t(0));
    recognizer.Hear("終わり", 92);
    QVERIFY(!walk.active());
    QVERIFY(!f.state().entryOpen);
}

QTEST_MAIN(ExplanationWalkTest)
#include "ExplanationWalkTest.moc"
