// The main window's key map, driven by real key events: which key types what, which toggles
// what, and that a long storm of random keys never leaves the calculation inconsistent.
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <random>

#include "FormFixture.h"

namespace kazu {

class KeyMapTest : public QObject {
    Q_OBJECT

  private slots:
    void digitsFromBothKeyboards();
    void operatorsOnlyOnTheKeypad();
    void equalsFromMinusAndBothEnterKeys();
    void pointFromBothKeyboards();
    void modifiersLimitTheMap();
    void shiftAAndSToggleAndRedraw();
    void aAndSToggleTheIndicatorsOnly();
    void ctrlArrowsClampQuotientPlaces();
    void mSwitchesTheColourScheme();
    void qTogglesLabels();
    void bBeepsWhileTypingAndTogglesTheGuideWhenFinished();
    void lTogglesLineBreakOnlyOnAFinishedBoard();
    void restoreAndClear();
    void rRecalculates();
    void pTypesPi();
    void backspaceAndLeftRemoveTheLastCharacter();
    void escapeSkipsTheSpeech();
    void vReadsAloudOnlyWithExpressionSpeech();
    void f8KeepsTheRestoreText();
    void oAndTChangeTheFontWithinLimits();
    void keysReachTheMapWhateverHasTheFocus();
    void keyStormKeepsTheCalculationConsistent();
};

namespace {

bool Spoke(RecordingVoice& voice, const std::string& text) {
    const auto& spoken = voice.spoken();
    return std::find(spoken.begin(), spoken.end(), text) != spoken.end();
}

bool Requested(RecordingVoice& voice, const std::string& request) {
    const auto& requests = voice.requests();
    return std::find(requests.begin(), requests.end(), request) != requests.end();
}

}  // namespace

void KeyMapTest::digitsFromBothKeyboards() {
    FormFixture f;
    QVERIFY(f.shown());
    f.Key(Qt::Key_1);
    f.Key(Qt::Key_2);
    f.Key(Qt::Key_3, Qt::KeypadModifier);
    f.Key(Qt::Key_0, Qt::KeypadModifier);
    f.Key(Qt::Key_9, Qt::KeypadModifier);
    // One character per key: the release must not type it again.
    QCOMPARE(f.state().expression, std::string("12309"));
    QCOMPARE(f.state().entry.firstIntLen, 5);
    QCOMPARE(f.state().entry.firstInt, std::string("12309"));
}

void KeyMapTest::operatorsOnlyOnTheKeypad() {
    FormFixture f;
    f.Type("8");
    // On the main keyboard these need Shift, and Shift leaves only A and S.
    f.Key(Qt::Key_Plus);
    f.Key(Qt::Key_Asterisk);
    f.Key(Qt::Key_Slash);
    QCOMPARE(f.state().expression, std::string("8"));
    const std::pair<Qt::Key, char> keypad[] = {
        {Qt::Key_Plus, '+'}, {Qt::Key_Minus, '-'}, {Qt::Key_Asterisk, '*'}, {Qt::Key_Slash, '/'}};
    for (const auto& [key, op] : keypad) {
        f.Key(Qt::Key_D);
        QCOMPARE(f.state().expression, std::string());
        f.Type("8");
        f.Key(key, Qt::KeypadModifier);
        f.Type("2");
        QCOMPARE(f.state().expression, std::string("8") + op + "2");
        QCOMPARE(f.state().entry.opChar, op);
    }
}

void KeyMapTest::equalsFromMinusAndBothEnterKeys() {
    FormFixture f;
    f.Type("123+4");
    f.Key(Qt::Key_Minus);  // the main keyboard's "-" is "="
    QCOMPARE(f.state().expression, std::string("123+4="));
    QCOMPARE(f.model().board.operands.result, std::string("127"));
    QVERIFY(!f.state().entryOpen);

    f.Key(Qt::Key_D);
    f.Type("2+3");
    f.Key(Qt::Key_Return);
    QCOMPARE(f.state().expression, std::string("2+3="));
    QCOMPARE(f.model().board.operands.result, std::string("5"));

    f.Key(Qt::Key_D);
    f.Type("4+4");
    f.Key(Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(f.state().expression, std::string("4+4="));
    QCOMPARE(f.model().board.operands.result, std::string("8"));
}

void KeyMapTest::pointFromBothKeyboards() {
    FormFixture f;
    f.Type("1");
    f.Key(Qt::Key_Period);
    f.Type("5+2");
    f.Key(Qt::Key_Period, Qt::KeypadModifier);
    f.Type("5");
    QCOMPARE(f.state().expression, std::string("1.5+2.5"));
    QCOMPARE(f.state().entry.firstFrac, std::string("5"));
    QCOMPARE(f.state().entry.secondFrac, std::string("5"));
    f.Key(Qt::Key_Return);
    QCOMPARE(f.model().board.operands.result, std::string("4"));
}

void KeyMapTest::modifiersLimitTheMap() {
    FormFixture f;
    f.Key(Qt::Key_1, Qt::ShiftModifier);
    f.Key(Qt::Key_Exclam, Qt::ShiftModifier);  // what a real Shift+1 reports
    f.Key(Qt::Key_1, Qt::ControlModifier);
    f.Key(Qt::Key_1, Qt::AltModifier);
    f.Key(Qt::Key_1, Qt::KeypadModifier | Qt::AltModifier);
    f.Key(Qt::Key_Period, Qt::ControlModifier);
    QCOMPARE(f.state().expression, std::string());

    f.Type("12");
    // With a modifier the plain letters and editing keys do nothing.
    f.Key(Qt::Key_D, Qt::ShiftModifier);
    f.Key(Qt::Key_D, Qt::ControlModifier);
    f.Key(Qt::Key_Backspace, Qt::ControlModifier);
    f.Key(Qt::Key_Backspace, Qt::AltModifier);
    f.Key(Qt::Key_Delete, Qt::ShiftModifier);
    f.Key(Qt::Key_Plus, Qt::KeypadModifier | Qt::ShiftModifier);
    f.Key(Qt::Key_Up, Qt::AltModifier | Qt::ControlModifier);
    QCOMPARE(f.state().expression, std::string("12"));
    QCOMPARE(f.settings().POINTMAX, 0);
    f.Key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f.settings().KURIAGARI, 1);
    QVERIFY(f.messages.empty());
}

void KeyMapTest::shiftAAndSToggleAndRedraw() {
    FormFixture f(kTallBoard);
    f.Type("999+1=");
    const QImage withCarries = f.Repainted();
    f.Key(Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(f.settings().KURIAGARI, 0);
    QVERIFY(f.Label(QStringLiteral(" くり上がり×")) != nullptr);
    // The finished calculation is drawn again at once, now without its small carry figures.
    const QImage withoutCarries = f.form().boardImage().copy();
    QVERIFY(withoutCarries != withCarries);
    QVERIFY(f.HasColour(f.AnswerRegion(), kAnswerRed));
    QCOMPARE(f.model().board.operands.result, std::string("1000"));
    f.Key(Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(f.settings().KURIAGARI, 1);
    QCOMPARE(f.form().boardImage(), withCarries);

    f.Key(Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(f.settings().KURISAGARI, 0);
    QVERIFY(f.Label(QStringLiteral(" くり下がり×")) != nullptr);
    QCOMPARE(f.form().boardImage(), withCarries);  // an addition has no borrows to hide
    f.Key(Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(f.settings().KURISAGARI, 1);

    // While typing the toggle blanks the board but keeps the expression.
    f.Key(Qt::Key_D);
    f.Type("12");
    f.Key(Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(f.settings().KURIAGARI, 0);
    QCOMPARE(f.state().expression, std::string("12"));
}

void KeyMapTest::aAndSToggleTheIndicatorsOnly() {
    FormFixture f(kTallBoard);
    QVERIFY(f.Label(QStringLiteral(" くり上がり◎")) != nullptr);
    QVERIFY(f.Label(QStringLiteral(" くり下がり◎")) != nullptr);
    f.Type("999+1=");
    const QImage board = f.form().boardImage().copy();
    f.Key(Qt::Key_A);
    QCOMPARE(f.settings().KURIAGARI, 0);
    QVERIFY(f.Label(QStringLiteral(" くり上がり×")) != nullptr);
    QVERIFY(f.Label(QStringLiteral(" くり上がり◎")) == nullptr);
    f.Key(Qt::Key_S);
    QCOMPARE(f.settings().KURISAGARI, 0);
    QVERIFY(f.Label(QStringLiteral(" くり下がり×")) != nullptr);
    // Unlike Shift+A, the plain key leaves the board as it is.
    QCOMPARE(f.form().boardImage(), board);
    f.Key(Qt::Key_A);
    f.Key(Qt::Key_S);
    QCOMPARE(f.settings().KURIAGARI, 1);
    QCOMPARE(f.settings().KURISAGARI, 1);
    QVERIFY(f.Label(QStringLiteral(" くり上がり◎")) != nullptr);
    QVERIFY(f.Label(QStringLiteral(" くり下がり◎")) != nullptr);
}

void KeyMapTest::ctrlArrowsClampQuotientPlaces() {
    FormFixture f;
    QVERIFY(f.Label(QStringLiteral("整数まで")) != nullptr);
    f.Key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(f.settings().POINTMAX, 1);
    QVERIFY(f.Label(QStringLiteral("小数第1位まで")) != nullptr);
    for (int i = 0; i < 12; ++i) {
        f.Key(Qt::Key_Up, Qt::ControlModifier);
    }
    QCOMPARE(f.settings().POINTMAX, 10);
    QVERIFY(f.Label(QStringLiteral("小数第10位まで")) != nullptr);
    // Without Ctrl the arrows scroll and leave the places alone.
    f.Key(Qt::Key_Down);
    QCOMPARE(f.settings().POINTMAX, 10);
    for (int i = 0; i < 12; ++i) {
        f.Key(Qt::Key_Down, Qt::ControlModifier);
    }
    QCOMPARE(f.settings().POINTMAX, 0);
    QVERIFY(f.Label(QStringLiteral("整数まで")) != nullptr);
}

void KeyMapTest::mSwitchesTheColourScheme() {
    FormFixture f;
    f.Type("12+9=");
    const int x = f.form().boardImage().width() - 5;
    const int y = f.form().boardImage().height() - 5;
    QCOMPARE(f.Pixel(x, y), QRgb(0x008000));
    f.Key(Qt::Key_M);
    QCOMPARE(f.settings().DSP_CL_TYPE, 1);
    QCOMPARE(f.Pixel(x, y), QRgb(0xFFFFFF));
    QCOMPARE(f.model().board.operands.result, std::string("21"));
    f.Key(Qt::Key_M);
    QCOMPARE(f.settings().DSP_CL_TYPE, 0);
    QCOMPARE(f.Pixel(x, y), QRgb(0x008000));
}

void KeyMapTest::qTogglesLabels() {
    FormFixture f(kTallBoard);
    f.Type("12+9=");
    const QImage plain = f.Repainted();
    f.Key(Qt::Key_Q);
    QCOMPARE(f.model().board.layout.labelsShown, 1);
    QVERIFY(f.form().boardImage() != plain);  // the role labels are drawn at once
    f.Key(Qt::Key_Q);
    QCOMPARE(f.model().board.layout.labelsShown, 0);
    QCOMPARE(f.form().boardImage(), plain);
}

void KeyMapTest::bBeepsWhileTypingAndTogglesTheGuideWhenFinished() {
    FormFixture f;
    f.Type("12");
    f.Key(Qt::Key_B);
    QCOMPARE(f.model().board.layout.guideShown, 0);
    QCOMPARE(f.state().expression, std::string("12"));
    f.Type("+9=");
    f.Key(Qt::Key_B);
    QCOMPARE(f.model().board.layout.guideShown, 1);
    f.Key(Qt::Key_B);
    QCOMPARE(f.model().board.layout.guideShown, 0);
    QCOMPARE(f.state().expression, std::string("12+9="));
}

void KeyMapTest::lTogglesLineBreakOnlyOnAFinishedBoard() {
    FormFixture f(kTallBoard);
    f.Type("12+9");
    f.Key(Qt::Key_L);
    QCOMPARE(f.settings().KAIGYO_FLAG, 0);
    f.Type("=");
    const QImage oneLine = f.Repainted();
    f.Key(Qt::Key_L);
    QCOMPARE(f.settings().KAIGYO_FLAG, 1);
    QVERIFY(f.form().boardImage() != oneLine);  // "=" and the answer move to the next line
    f.Key(Qt::Key_L);
    QCOMPARE(f.settings().KAIGYO_FLAG, 0);
    QCOMPARE(f.form().boardImage(), oneLine);
}

void KeyMapTest::restoreAndClear() {
    FormFixture f;
    f.Type("12+3");
    f.Key(Qt::Key_D);
    QCOMPARE(f.state().expression, std::string());
    QCOMPARE(f.state().restoreText, std::string("12+3"));
    QVERIFY(Spoke(f.voice(), "クリア－しました。"));
    f.Key(Qt::Key_H);
    QCOMPARE(f.state().expression, std::string("12+3"));
    QCOMPARE(f.state().entry.firstIntLen, 2);
    QCOMPARE(f.state().entry.secondIntLen, 1);
    f.Key(Qt::Key_Delete);
    QCOMPARE(f.state().expression, std::string());
    f.Key(Qt::Key_Insert);
    QCOMPARE(f.state().expression, std::string("12+3"));
    // A restored expression goes on being typed as if it had never been cleared.
    f.Type("4=");
    QCOMPARE(f.model().board.operands.result, std::string("46"));
    // A finished calculation comes back without its "=".
    f.Key(Qt::Key_D);
    f.Key(Qt::Key_H);
    QCOMPARE(f.state().expression, std::string("12+34"));
    QVERIFY(f.state().entryOpen);
}

void KeyMapTest::rRecalculates() {
    FormFixture f;
    f.Type("12+9=");
    f.voice().Clear();
    f.Key(Qt::Key_R);
    QCOMPARE(f.state().expression, std::string("12+9="));
    QCOMPARE(f.model().board.operands.result, std::string("21"));
    QVERIFY(!f.state().entryOpen);
    QVERIFY(Spoke(f.voice(), "再計算します。"));
    // The replay itself does not say it cleared the board.
    QVERIFY(!Spoke(f.voice(), "クリア－しました。"));
}

void KeyMapTest::pTypesPi() {
    FormFixture f;
    f.Key(Qt::Key_P);
    QCOMPARE(f.state().expression, std::string("3.14"));
    f.Key(Qt::Key_D);
    f.Type("2.5");
    f.Key(Qt::Key_P);
    QCOMPARE(f.state().expression, std::string("2.5314"));
    QCOMPARE(f.state().entry.firstFrac, std::string("5314"));
    f.Key(Qt::Key_D);
    f.Type("2+");
    f.Key(Qt::Key_P);
    QCOMPARE(f.state().expression, std::string("2+3.14"));
    f.Key(Qt::Key_Return);
    QCOMPARE(f.model().board.operands.result, std::string("5.14"));
}

void KeyMapTest::backspaceAndLeftRemoveTheLastCharacter() {
    FormFixture f;
    f.Type("12+34");
    f.Key(Qt::Key_Backspace);
    QCOMPARE(f.state().expression, std::string("12+3"));
    f.Key(Qt::Key_Left);
    QCOMPARE(f.state().expression, std::string("12+"));
    f.Key(Qt::Key_Backspace);
    QCOMPARE(f.state().expression, std::string("12"));
    QCOMPARE(f.state().entry.opChar, '!');
    QVERIFY(!f.state().opEntered);
    f.Type("+5");
    QCOMPARE(f.state().expression, std::string("12+5"));

    // While voice input is the only allowed entry, neither key edits.
    f.settings().SRFLAG = 1;
    f.settings().HEAROK = 1;
    f.Key(Qt::Key_Backspace);
    f.Key(Qt::Key_Left);
    QCOMPARE(f.state().expression, std::string("12+5"));
    f.settings().HEAROK = 0;
    f.Key(Qt::Key_Backspace);
    QCOMPARE(f.state().expression, std::string("12+"));

    // A finished calculation is not edited either.
    f.settings().SRFLAG = 0;
    f.Type("5=");
    f.Key(Qt::Key_Backspace);
    QCOMPARE(f.state().expression, std::string("12+5="));
}

void KeyMapTest::escapeSkipsTheSpeech() {
    FormFixture f;
    f.Key(Qt::Key_Escape);
    QVERIFY(Requested(f.voice(), "skip Sentence 1000"));
    QCOMPARE(f.voice().spoken().size(), size_t(0));
}

void KeyMapTest::vReadsAloudOnlyWithExpressionSpeech() {
    FormFixture f;
    f.Type("12+9=");
    f.voice().Clear();
    f.Key(Qt::Key_V);
    QCOMPARE(f.voice().spoken().size(), size_t(1));
    const std::string reading = f.voice().spoken().front();
    QVERIFY2(reading.find("たす") != std::string::npos && reading.find("21") != std::string::npos,
             reading.c_str());
    f.settings().SIKISPEAK = 0;
    f.voice().Clear();
    f.Key(Qt::Key_V);
    QVERIFY(f.voice().spoken().empty());
}

void KeyMapTest::f8KeepsTheRestoreText() {
    FormFixture f;
    f.Type("12");
    f.Key(Qt::Key_D);
    QCOMPARE(f.state().restoreText, std::string("12"));
    f.Key(Qt::Key_F8);
    QCOMPARE(f.state().restoreText, std::string("12"));
    QCOMPARE(f.state().expression, std::string());
    QVERIFY(f.state().entryOpen);
    f.Key(Qt::Key_H);
    QCOMPARE(f.state().expression, std::string("12"));
    // With an expression being typed F8 leaves the board alone.
    f.Key(Qt::Key_F8);
    QCOMPARE(f.state().expression, std::string("12"));
    f.Type("+1=");
    QCOMPARE(f.model().board.operands.result, std::string("13"));
}

void KeyMapTest::oAndTChangeTheFontWithinLimits() {
    FormFixture f;
    QCOMPARE(f.model().board.layout.fontSize, 40);
    const int digitWidth = f.model().board.layout.digitWidth;
    f.Key(Qt::Key_O);
    QCOMPARE(f.model().board.layout.fontSize, 41);
    for (int i = 0; i < 15; ++i) {
        f.Key(Qt::Key_O);
    }
    QCOMPARE(f.model().board.layout.fontSize, 50);
    QCOMPARE(f.settings().FONTSIZE, 50);
    QVERIFY(f.model().board.layout.digitWidth > digitWidth);
    for (int i = 0; i < 50; ++i) {
        f.Key(Qt::Key_T);
    }
    QCOMPARE(f.model().board.layout.fontSize, 5);
    QCOMPARE(f.settings().FONTSIZE, 5);
    QVERIFY(f.model().board.layout.digitWidth < digitWidth);
    // The board still takes a calculation at the smallest size.
    f.Type("12+9=");
    QCOMPARE(f.model().board.operands.result, std::string("21"));
}

void KeyMapTest::keysReachTheMapWhateverHasTheFocus() {
    FormFixture f;
    kazu::Memo* memo2 = f.Memo(QStringLiteral("音声入力したコマンド等を表示"));
    kazu::Memo* memo1 = f.Memo(QStringLiteral("音声入力した式を表示"));
    QVERIFY(memo1 != nullptr && memo2 != nullptr);
    f.form().activateWindow();
    memo2->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), memo2);
    f.Type("7+8=");
    QCOMPARE(f.state().expression, std::string("7+8="));
    QCOMPARE(f.model().board.operands.result, std::string("15"));
    QCOMPARE(memo2->toPlainText(), QString());
    QCOMPARE(memo1->toPlainText(), QStringLiteral("7+8="));
    f.Key(Qt::Key_D);
    QCOMPARE(f.state().expression, std::string());

    memo1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), memo1);
    f.Type("6");
    QCOMPARE(f.state().expression, std::string("6"));
    f.BoardWidget()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), f.BoardWidget());
    f.Type("5");
    QCOMPARE(f.state().expression, std::string("65"));
}

namespace {

struct StormKey {
    Qt::Key key;
    bool keypad;
    int weight;
};

// The whole map, weighted so that calculations get finished and cleared often. F and J are
// left out: they open modal dialogs that would wait for a user.
std::vector<StormKey> StormKeys() {
    std::vector<StormKey> keys;
    for (int d = 0; d <= 9; ++d) {
        keys.push_back({static_cast<Qt::Key>(Qt::Key_0 + d), false, 6});
        keys.push_back({static_cast<Qt::Key>(Qt::Key_0 + d), true, 3});
    }
    for (Qt::Key op : {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Asterisk, Qt::Key_Slash}) {
        keys.push_back({op, true, 5});
        keys.push_back({op, false, 1});
    }
    keys.push_back({Qt::Key_Return, false, 4});
    keys.push_back({Qt::Key_Enter, true, 2});
    keys.push_back({Qt::Key_Period, false, 3});
    keys.push_back({Qt::Key_Period, true, 2});
    keys.push_back({Qt::Key_Comma, true, 1});
    for (int letter = Qt::Key_A; letter <= Qt::Key_Z; ++letter) {
        if (letter != Qt::Key_F && letter != Qt::Key_J) {
            keys.push_back({static_cast<Qt::Key>(letter), false, 1});
        }
    }
    keys.push_back({Qt::Key_D, false, 4});
    keys.push_back({Qt::Key_H, false, 2});
    keys.push_back({Qt::Key_R, false, 2});
    keys.push_back({Qt::Key_P, false, 1});
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Delete}) {
        keys.push_back({key, false, 3});
    }
    for (Qt::Key key : {Qt::Key_Insert, Qt::Key_Home, Qt::Key_F8, Qt::Key_Up, Qt::Key_Down,
                        Qt::Key_Right, Qt::Key_Escape, Qt::Key_Space, Qt::Key_Tab}) {
        keys.push_back({key, false, 1});
    }
    return keys;
}

// What the entry can hold: empty, a first operand (never starting with a point), then an
// operator and a second operand (which may start with a point), and "=" only after a second
// operand with an integer digit.
const QRegularExpression kExpressionShape(
    QStringLiteral(R"(^(?:\d+(?:\.\d*)?(?:[-+*/](?:\d*(?:\.\d*)?|\d+(?:\.\d*)?=))?)?$)"));
const QRegularExpression kExpressionParts(
    QStringLiteral(R"(^(\d*)(\.(\d*))?(?:([-+*/])(\d*)(\.(\d*))?)?(=?)$)"));

// Empty when the state agrees with its expression, else what disagrees.
QString Inconsistency(const CalcState& s) {
    const QString expression = QString::fromStdString(s.expression);
    if (!kExpressionShape.match(expression).hasMatch()) {
        return QStringLiteral("malformed expression");
    }
    const QRegularExpressionMatch parts = kExpressionParts.match(expression);
    const CalcEntry& e = s.entry;
    auto same = [&](const std::string& digits, int32_t count, int group) {
        const QString captured = parts.captured(group);
        return QString::fromStdString(digits) == captured && count == captured.size();
    };
    if (!same(e.firstInt, e.firstIntLen, 1) || !same(e.firstFrac, e.firstFracLen, 3) ||
        !same(e.secondInt, e.secondIntLen, 5) || !same(e.secondFrac, e.secondFracLen, 7)) {
        return QStringLiteral("digit counts differ from the expression");
    }
    const QString op = parts.captured(4);
    if ((op.isEmpty() ? '!' : op.front().toLatin1()) != e.opChar || s.opEntered == op.isEmpty()) {
        return QStringLiteral("operator differs from the expression");
    }
    if (s.firstHasPoint != parts.hasCaptured(2) || s.secondHasPoint != parts.hasCaptured(6)) {
        return QStringLiteral("point flags differ from the expression");
    }
    const bool finished = !parts.captured(8).isEmpty();
    if (s.equalsEntered != finished || (!s.entryOpen && !finished)) {
        return QStringLiteral("finished state differs from the expression");
    }
    if (std::max({e.firstIntLen, e.firstFracLen, e.secondIntLen, e.secondFracLen}) > 18) {
        return QStringLiteral("an operand is over its digit limit");
    }
    return {};
}

}  // namespace

void KeyMapTest::keyStormKeepsTheCalculationConsistent() {
    // Silent: every spoken message blinks the face for 100 ms, which would make the storm
    // last half an hour.
    FormFixture f("[SPEAK]\r\nSIKISPEAK=0\r\n");
    const std::vector<StormKey> keys = StormKeys();
    std::vector<int> weights;
    for (const StormKey& key : keys) {
        weights.push_back(key.weight);
    }
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    std::uniform_int_distribution<int> modifier(0, 19);
    QStringList recent;
    int finished = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 20000; ++i) {
        const StormKey& key = keys[pick(random)];
        Qt::KeyboardModifiers mods = key.keypad ? Qt::KeypadModifier : Qt::NoModifier;
        const bool letter = key.key >= Qt::Key_A && key.key <= Qt::Key_Z;
        switch (modifier(random)) {
            case 0:
                mods |= Qt::ShiftModifier;
                break;
            case 1:
                mods |= Qt::ControlModifier;
                break;
            case 2:
                // Alt with a letter is a menu mnemonic: it opens a menu, not a key of the map.
                mods |= letter ? Qt::ShiftModifier : Qt::AltModifier;
                break;
            default:
                break;
        }
        recent.push_back(QKeySequence(key.key | mods.toInt()).toString());
        if (recent.size() > 24) {
            recent.pop_front();
        }
        f.Key(key.key, mods);
        const QString problem = Inconsistency(f.state());
        if (!problem.isEmpty()) {
            const QString report = QStringLiteral(
                                       "key %1 (seed %2): %3; expression \"%4\"; last "
                                       "keys %5")
                                       .arg(i)
                                       .arg(seed)
                                       .arg(problem, QString::fromStdString(f.state().expression),
                                            recent.join(QLatin1Char(' ')));
            QFAIL(qPrintable(report));
        }
        finished += f.state().equalsEntered ? 1 : 0;
        if (i % 200 == 0) {
            QCoreApplication::processEvents();  // paints and the timer run between keys
            f.voice().Clear();
            f.messages.clear();
        }
    }
    QVERIFY2(finished > 100, "the storm should finish calculations now and then");
    QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed()) + " ms"));
    qInfo("20000 keys in %lld ms", clock.elapsed());
}

}  // namespace kazu

QTEST_MAIN(kazu::KeyMapTest)
#include "KeyMapTest.moc"
