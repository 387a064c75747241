// `kazuchan --explain`: the built program run as a teacher runs it, checked on its step lines,
// its exit status and, for refused input, the same messages as `--render` gives.
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QStringList out;
    QStringList messages;  // the `message` lines of standard error
};

Run Kazuchan(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KAZUCHAN_EXE), arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QStringList err =
        QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    for (const QString& line : err) {
        if (line.startsWith(QLatin1String("message "))) {
            run.messages.push_back(line);
        }
    }
    return run;
}

}  // namespace

class ExplainTest : public QObject {
    Q_OBJECT

  private slots:
    void stepsAreNumberedAndEndInTheBoardsAnswer_data();
    void stepsAreNumberedAndEndInTheBoardsAnswer();
    void refusedInputExitsOneWithRendersMessages_data();
    void refusedInputExitsOneWithRendersMessages();
    void outDrawsTheBoardWithTheStepMarked();
    void usageErrorsExitTwo();
};

void ExplainTest::stepsAreNumberedAndEndInTheBoardsAnswer_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("answer");
    QTest::newRow("borrow across 0") << QStringList{"402-175="} << QStringLiteral("227");
    QTest::newRow("remainder") << QStringList{"7/2="} << QStringLiteral("3あまり1");
    QTest::newRow("places") << QStringList{"1/3=", "--places", "2"}
                            << QStringLiteral("0.33あまり0.01");
}

void ExplainTest::stepsAreNumberedAndEndInTheBoardsAnswer() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, answer);
    const Run run = Kazuchan(QStringList{QStringLiteral("--explain")} + arguments);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.out.isEmpty());
    const QRegularExpression line(QStringLiteral(
        "^step (\\d+) (align|column|carry|borrow|multiply|add|point|estimate|correct|subtract|"
        "bringdown|zero|remainder|answer) \"[^\"]+\"$"));
    for (qsizetype i = 0; i < run.out.size(); ++i) {
        const auto match = line.match(run.out[i]);
        QVERIFY2(match.hasMatch(), qPrintable(run.out[i]));
        QCOMPARE(match.captured(1).toInt(), i + 1);
    }
    QVERIFY2(run.out.back().contains(QStringLiteral(" answer \"答えは") + answer + "です。\""),
             qPrintable(run.out.back()));
}

void ExplainTest::refusedInputExitsOneWithRendersMessages_data() {
    QTest::addColumn<QString>("expression");
    QTest::newRow("larger second number") << QStringLiteral("5-7=");
    QTest::newRow("division by zero") << QStringLiteral("1/0=");
    QTest::newRow("too many digits") << QStringLiteral("123456789012345678/7=");
    QTest::newRow("no equals") << QStringLiteral("12+3");
}

void ExplainTest::refusedInputExitsOneWithRendersMessages() {
    QFETCH(QString, expression);
    const Run explained = Kazuchan({QStringLiteral("--explain"), expression});
    const Run rendered = Kazuchan({QStringLiteral("--render"), expression});
    QCOMPARE(explained.exitCode, 1);
    QCOMPARE(rendered.exitCode, 1);
    QVERIFY(explained.out.isEmpty());
    QCOMPARE(explained.messages, rendered.messages);
}

namespace {

// The marks' frame: an orange no colour scheme of the board uses.
bool HasFrame(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == 0xFF8C00) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void ExplainTest::outDrawsTheBoardWithTheStepMarked() {
    QTemporaryDir dir;
    const QString marked = dir.filePath(QStringLiteral("marked.png"));
    const QString rendered = dir.filePath(QStringLiteral("rendered.png"));
    for (const QString& scheme : {QStringLiteral("0"), QStringLiteral("1")}) {
        const Run run = Kazuchan({QStringLiteral("--explain"), QStringLiteral("23*45="),
                                  QStringLiteral("--out"), marked, QStringLiteral("--step"),
                                  QStringLiteral("3"), QStringLiteral("--scheme"), scheme});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(Kazuchan({QStringLiteral("--render"), QStringLiteral("23*45="),
                           QStringLiteral("--out"), rendered, QStringLiteral("--scheme"), scheme})
                     .exitCode,
                 0);
        const QImage image(marked);
        const QImage board(rendered);
        QVERIFY(HasFrame(image));
        QVERIFY(!HasFrame(board));
        // The same board as --render draws it, below the speech panel; the marks lie on top,
        // and nothing differs outside them.
        QCOMPARE(image.size(), board.size());
        QRect frames;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if ((image.pixel(x, y) & 0xFFFFFF) == 0xFF8C00) {
                    frames |= QRect(x, y, 1, 1);
                }
            }
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                QVERIFY2(frames.contains(x, y) || image.pixel(x, y) == board.pixel(x, y),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        }
    }
}

void ExplainTest::usageErrorsExitTwo() {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"--places", "2"}, QStringList{"1+1=", "--places", "11"},
          QStringList{"1+1=", "--places"}, QStringList{"1+1=", "--out", "x.png"},
          QStringList{"1+1=", "--step", "1"}, QStringList{"1+1=", "--out", "x.pdf", "--step", "1"},
          QStringList{"1+1=", "--out", "x.png", "--step", "0"},
          QStringList{"1+1=", "--out", "x.png", "--step", "99"}}) {
        const Run run = Kazuchan(QStringList{QStringLiteral("--explain")} + arguments);
        QVERIFY2(run.exitCode == 2, qPrintable(arguments.join(' ')));
        QVERIFY(run.out.isEmpty());
    }
}

QTEST_GUILESS_MAIN(ExplainTest)
#include "ExplainTest.moc"
