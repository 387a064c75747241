// `kazuchan --render`: the built program run as teachers run it, checked on its exit status,
// its dump, its messages and speech on standard error, and the pictures it writes.
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QStringList out;  // standard output, one entry a line
    QStringList err;
};

Run Render(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KAZUCHAN_EXE),
                  QStringList{QStringLiteral("--render")} + arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    return run;
}

QStringList Starting(const QStringList& lines, const QString& prefix) {
    QStringList found;
    for (const QString& line : lines) {
        if (line.startsWith(prefix)) {
            found.push_back(line);
        }
    }
    return found;
}

QRgb Corner(const QString& png) {
    const QImage image(png);
    return image.isNull() ? 0x12345678 : image.pixel(0, 0) & 0xFFFFFF;
}

}  // namespace

class RenderTest : public QObject {
    Q_OBJECT

  private slots:
    void dumpDescribesTheBoard();
    void refusedInputExitsOneWithItsMessage();
    void usageErrorsExitTwo_data();
    void usageErrorsExitTwo();
    void writesPictures();
    void speedOnlyShowsInTheDump();
    void settingsFileIsReadAndOptionsOverrideIt();
    void exampleWindowOfTheCalculation();
    void exampleWithBadPatternFiles();
};

void RenderTest::dumpDescribesTheBoard() {
    const Run run = Render({QStringLiteral("999+1="), QStringLiteral("--dump")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.out.isEmpty());
    QVERIFY2(run.out.front().startsWith(QLatin1String("metrics fontSize=40 ")),
             qPrintable(run.out.front()));
    QCOMPARE(run.out.back(), QStringLiteral("result \"1000\""));
    const QStringList texts = Starting(run.out, QStringLiteral("text "));
    // Full-width digits in their cells: 999 on the expression line and in the first row.
    QVERIFY(texts.filter(QStringLiteral("\"９\"")).size() >= 6);
    QVERIFY(!texts.filter(QStringLiteral("\"１\"")).isEmpty());
    QVERIFY(texts.filter(QStringLiteral("\"０\"")).size() >= 3);
    QVERIFY(!texts.filter(QStringLiteral("\"1000\"")).isEmpty());  // the answer after "="
    for (const QString& line : run.out) {
        QVERIFY2(line.startsWith(QLatin1String("metrics ")) ||
                     line.startsWith(QLatin1String("fill ")) ||
                     line.startsWith(QLatin1String("text ")) ||
                     line.startsWith(QLatin1String("line ")) ||
                     line.startsWith(QLatin1String("result ")),
                 qPrintable(line));
    }
    QVERIFY(Starting(run.out, QStringLiteral("pause ")).isEmpty());
    // The answer is read aloud.
    const QStringList spoken = Starting(run.err, QStringLiteral("speak \""));
    QVERIFY2(!spoken.filter(QStringLiteral("1000")).isEmpty(),
             qPrintable(run.err.join(QLatin1Char('\n'))));
}

void RenderTest::refusedInputExitsOneWithItsMessage() {
    const Run run = Render({QStringLiteral("3-5=")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("message \"注意!\" \"引く数の方が大きい．\"")),
             qPrintable(run.err.join(QLatin1Char('\n'))));
    QCOMPARE(Render({QStringLiteral("12+")}).exitCode, 1);  // never finished

    // A division whose working does not fit: the overflow message, nothing drawn.
    const QStringList overflow = {QStringLiteral("12345678901234567/99999999999999999="),
                                  QStringLiteral("--places"), QStringLiteral("10")};
    const Run overflowed = Render(overflow);
    QCOMPARE(overflowed.exitCode, 1);
    QVERIFY2(!overflowed.err.filter(QStringLiteral("オーバーフロウ")).isEmpty(),
             qPrintable(overflowed.err.join(QLatin1Char('\n'))));
    QCOMPARE(Render(overflow + QStringList{QStringLiteral("--example")}).exitCode, 1);
}

void RenderTest::usageErrorsExitTwo_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("places over 10") << QStringList{"1+1=", "--places", "11"};
    QTest::newRow("scheme 2") << QStringList{"1+1=", "--scheme", "2"};
    QTest::newRow("not a number") << QStringList{"1+1=", "--speed", "fast"};
    QTest::newRow("unknown option") << QStringList{"1+1=", "--colour", "1"};
    QTest::newRow("missing value") << QStringList{"1+1=", "--places"};
    QTest::newRow("missing expression") << QStringList{};
    QTest::newRow("option for expression") << QStringList{"--dump"};
    QTest::newRow("other picture type") << QStringList{"1+1=", "--out", "board.gif"};
    QTest::newRow("missing settings") << QStringList{"1+1=", "--settings", "/nonexistent/x.ini"};
}

void RenderTest::usageErrorsExitTwo() {
    QFETCH(QStringList, arguments);
    const Run run = Render(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(!Starting(run.err, QStringLiteral("usage:")).isEmpty());
}

void RenderTest::writesPictures() {
    QTemporaryDir folder;
    const QString blackboard = folder.filePath(QStringLiteral("blackboard.png"));
    QCOMPARE(Render({QStringLiteral("12+9="), QStringLiteral("--out"), blackboard}).exitCode, 0);
    const QImage image(blackboard);
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, QRgb(0x008000));

    const QString whiteboard = folder.filePath(QStringLiteral("whiteboard.png"));
    QCOMPARE(Render({QStringLiteral("12+9="), QStringLiteral("--scheme"), QStringLiteral("1"),
                     QStringLiteral("--out"), whiteboard})
                 .exitCode,
             0);
    QCOMPARE(Corner(whiteboard), QRgb(0xFFFFFF));

    const QString page = folder.filePath(QStringLiteral("page.pdf"));
    QCOMPARE(Render({QStringLiteral("12+9="), QStringLiteral("--out"), page}).exitCode, 0);
    QFile pdf(page);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.read(4), QByteArray("%PDF"));
    QVERIFY(pdf.size() > 1000);
}

void RenderTest::speedOnlyShowsInTheDump() {
    QElapsedTimer clock;
    clock.start();
    const Run run = Render({QStringLiteral("999+1="), QStringLiteral("--speed"),
                            QStringLiteral("3"), QStringLiteral("--dump")});
    QCOMPARE(run.exitCode, 0);
    const QStringList pauses = Starting(run.out, QStringLiteral("pause "));
    QCOMPARE(pauses.size(), 13);
    QCOMPARE(pauses.filter(QStringLiteral("pause 300")).size(), 13);
    QVERIFY2(clock.elapsed() < 3900, "pauses are written, not waited");
    QCOMPARE(run.out.back(), QStringLiteral("result \"1000\""));
}

void RenderTest::settingsFileIsReadAndOptionsOverrideIt() {
    QTemporaryDir folder;
    const QString ini = folder.filePath(QStringLiteral("kazuchanV24.ini"));
    {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[FONT]\r\nFONTSIZE=20\r\n[DSPCLTYPE]\r\nDSP_CL_TYPE=1\r\n");
    }
    const QString fromFile = folder.filePath(QStringLiteral("file.png"));
    const Run run = Render({QStringLiteral("12+9="), QStringLiteral("--settings"), ini,
                            QStringLiteral("--dump"), QStringLiteral("--out"), fromFile});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.front().startsWith(QLatin1String("metrics fontSize=20 ")),
             qPrintable(run.out.front()));
    QCOMPARE(Corner(fromFile), QRgb(0xFFFFFF));

    // Options win over the file, wherever --settings stands.
    const QString overridden = folder.filePath(QStringLiteral("overridden.png"));
    const Run over =
        Render({QStringLiteral("12+9="), QStringLiteral("--scheme"), QStringLiteral("0"),
                QStringLiteral("--font-size"), QStringLiteral("30"), QStringLiteral("--settings"),
                ini, QStringLiteral("--dump"), QStringLiteral("--out"), overridden});
    QCOMPARE(over.exitCode, 0);
    QVERIFY2(over.out.front().startsWith(QLatin1String("metrics fontSize=30 ")),
             qPrintable(over.out.front()));
    QCOMPARE(Corner(overridden), QRgb(0x008000));
}

void RenderTest::exampleWindowOfTheCalculation() {
    QTemporaryDir folder;
    const QString png = folder.filePath(QStringLiteral("example.png"));
    const Run run = Render({QStringLiteral("17/5="), QStringLiteral("--example"),
                            QStringLiteral("--dump"), QStringLiteral("--out"), png});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(
        run.out.contains(QStringLiteral("text 100 259 16 #000000 \"（検算式： 5×3＋2＝17 ）\"")));
    QVERIFY(Starting(run.out, QStringLiteral("text 30 10 18 #0000FF \"★タイプ [17]："))
                .front()
                .endsWith(QStringLiteral("（余り有り)》の問題例\"")));
    QCOMPARE(run.out.back(), QStringLiteral("result \"3R2\""));
    QVERIFY(run.err.contains(QStringLiteral("speak \"文章題の例文を表示しました。\"")));
    QCOMPARE(QImage(png).size(), QSize(805, 336));

    // No finished calculation, or no pattern file: nothing to draw.
    QCOMPARE(Render({QStringLiteral("12+"), QStringLiteral("--example")}).exitCode, 1);
    const Run missing = Render({QStringLiteral("12+5="), QStringLiteral("--example"),
                                QStringLiteral("--patterns"), folder.filePath("none.txt")});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(!Starting(missing.err, QStringLiteral("message \"★☆お願い☆★\"")).isEmpty());
    QCOMPARE(Render({QStringLiteral("1+2="), QStringLiteral("--patterns"), png}).exitCode, 2);
}

void RenderTest::exampleWithBadPatternFiles() {
    QTemporaryDir folder;
    QByteArray binary(3000, '\0');
    for (int i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>((i * 7919) % 251);
    }
    const QByteArray files[] = {
        {},
        "NUM:-1\nBun1:@[前数]\nNUM:99\nBun1:" + QByteArray(1000, 'x') + "\nxxKang:mid\n",
        "NUM:1\nBun1:\xEF\xBB\xBF\xE3\x82\x8A\xE3\x82\x93\xE3\x81\x94 @[前数]\n",  // UTF-8
        "NUM:1\nBun1:" + binary,
    };
    for (const QByteArray& bytes : files) {
        const QString path = folder.filePath(QStringLiteral("bunExPtrn.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const Run run = Render({QStringLiteral("12+5="), QStringLiteral("--example"),
                                QStringLiteral("--patterns"), path, QStringLiteral("--dump")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains(QStringLiteral("text 30 225 20 #FF0000 \"［式］\"")));
    }
}

QTEST_GUILESS_MAIN(RenderTest)
#include "RenderTest.moc"
