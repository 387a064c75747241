// `kazuchan --check` and `--problems`, run as a teacher runs them: the lines printed and the
// exit status.
#include <QRegularExpression>
#include <QTest>

#include "KazuchanRun.h"

namespace {

using Run = kazu::test::KazuchanRun;

Run Kazuchan(const QStringList& arguments) {
    return kazu::test::RunKazuchan(arguments);
}

}  // namespace

class CheckTest : public QObject {
    Q_OBJECT

  private slots:
    void answersAreCheckedAndMistakesNamed();
    void refusedExpressionsExitOneWithTheBoardsMessage();
    void usageErrorsExitTwo();
    void problemsAreListedAndDrawnFromTheSeed();
};

void CheckTest::answersAreCheckedAndMistakesNamed() {
    const Run right = Kazuchan({"--check", "48+35=", "--answer", "83"});
    QCOMPARE(right.exitCode, 0);
    QCOMPARE(right.out, QStringList{"correct"});

    const Run carried = Kazuchan({"--check", "48+35=", "--answer", "713"});
    QCOMPARE(carried.exitCode, 0);
    QCOMPARE(carried.out.size(), 3);
    QCOMPARE(carried.out[0], QStringLiteral("wrong"));
    QVERIFY(carried.out[1].startsWith(QStringLiteral("mistake add-carry-written \"")));
    QVERIFY(carried.out[2].startsWith(QStringLiteral("hint \"")));

    // Full-width, a remainder, and the places asked for.
    QCOMPARE(
        Kazuchan({"--check", "1/3=", "--places", "2", "--answer", "０．３３あまり０．０１"}).out,
        QStringList{"correct"});
    // Wrong with no procedure writing it: no mistake line, only the hint.
    const Run wrong = Kazuchan({"--check", "48+35=", "--answer", "84"});
    QCOMPARE(wrong.out.size(), 2);
    QCOMPARE(wrong.out[1],
             QStringLiteral("hint \"一のくらいのたし算を、もう一ど見直してみよう。\""));
}

void CheckTest::refusedExpressionsExitOneWithTheBoardsMessage() {
    for (const char* expression : {"5-7=", "1/0=", "12+3"}) {
        const Run checked = Kazuchan({"--check", expression, "--answer", "1"});
        const Run rendered = Kazuchan({"--render", expression});
        QCOMPARE(checked.exitCode, 1);
        QVERIFY(checked.out.isEmpty());
        QCOMPARE(checked.err.filter(QRegularExpression("^message ")),
                 rendered.err.filter(QRegularExpression("^message ")));
    }
}

void CheckTest::usageErrorsExitTwo() {
    for (const QStringList& arguments :
         {QStringList{"--check"}, QStringList{"--check", "1+1="},
          QStringList{"--check", "1+1=", "--answer", "two"},
          QStringList{"--check", "1+1=", "--answer", "2", "--places", "11"},
          QStringList{"--check", "1+1=", "--answer"}, QStringList{"--problems"},
          QStringList{"--problems", "g9-nothing"},
          QStringList{"--problems", "g2-add", "--count", "0"},
          QStringList{"--problems", "g2-add", "--seed", "-1"}}) {
        const Run run = Kazuchan(arguments);
        QVERIFY2(run.exitCode == 2, qPrintable(arguments.join(' ')));
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.last().startsWith(QStringLiteral("usage: kazuchan ")));
    }
}

void CheckTest::problemsAreListedAndDrawnFromTheSeed() {
    const Run list = Kazuchan({"--problems", "list"});
    QCOMPARE(list.exitCode, 0);
    QCOMPARE(list.out.size(), 19);
    const QRegularExpression line(QStringLiteral("^(g[2-5]-[a-z0-9-]+) ([2-5]) \"[^\"]+\"$"));
    for (const QString& set : list.out) {
        const auto match = line.match(set);
        QVERIFY2(match.hasMatch(), qPrintable(set));
        QVERIFY(set.startsWith('g' + match.captured(2)));
    }
    const Run sheet =
        Kazuchan({"--problems", "g4-div-zero-quotient", "--seed", "7", "--count", "12"});
    QCOMPARE(sheet.exitCode, 0);
    QCOMPARE(sheet.out.size(), 12);
    QCOMPARE(Kazuchan({"--problems", "g4-div-zero-quotient", "--seed", "7", "--count", "12"}).out,
             sheet.out);
    QVERIFY(Kazuchan({"--problems", "g4-div-zero-quotient", "--seed", "8"}).out != sheet.out);
    for (const QString& typed : sheet.out) {
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{3,4}/\\d=$")).match(typed).hasMatch(),
                 qPrintable(typed));
    }
}

QTEST_GUILESS_MAIN(CheckTest)
#include "CheckTest.moc"
