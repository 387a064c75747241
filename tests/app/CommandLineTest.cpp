// `kazuchan --help`, `--version` and arguments it does not know, run as a user runs them: exit
// status, and which stream says what.
#include <QRegularExpression>
#include <QTest>

#include "KazuchanRun.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run Kazuchan(const QStringList& arguments) {
    const kazu::test::KazuchanRun run = kazu::test::RunKazuchan(arguments);
    return {run.exitCode, run.outText, run.errText};
}

// The options of "usage: kazuchan [--a | --b | …] [ARGUMENTS]".
QStringList UsageOptions(const QString& text) {
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("^usage: kazuchan \\[([^\\]]*)\\] \\[ARGUMENTS\\]$"),
                           QRegularExpression::MultilineOption)
            .match(text);
    return line.hasMatch() ? line.captured(1).split(QStringLiteral(" | ")) : QStringList();
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

  private slots:
    // Every option of the usage line has its one line in the list, and every mode its own
    // usage after it; nothing on standard error.
    void HelpListsEveryMode() {
        const Run run = Kazuchan({QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        const QStringList options = UsageOptions(run.out);
        QVERIFY2(options.size() >= 6, qPrintable(run.out));
        for (const QString& option : options) {
            const QRegularExpression listed(
                QStringLiteral("^  %1( [^ ]+)?  +\\S").arg(QRegularExpression::escape(option)),
                QRegularExpression::MultilineOption);
            QVERIFY2(run.out.count(listed) == 1, qPrintable(option));
            if (option != QLatin1String("--help") && option != QLatin1String("--version")) {
                QVERIFY2(run.out.contains(QStringLiteral("usage: kazuchan %1 ").arg(option)),
                         qPrintable(option));
            }
        }
        QVERIFY(run.out.contains(QStringLiteral("  (none)  ")));
    }

    // The version of the build, the one the title bar and the version box show.
    void VersionIsTheBuilds() {
        const Run run = Kazuchan({QStringLiteral("--version")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("kazuchan " KAZU_VERSION "\n"));
        QVERIFY(run.err.isEmpty());
    }

    // Anything else is a usage error: status 2, the usage line on standard error, nothing on
    // standard output, no window.
    void UnknownArgumentsAreUsageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")};
        QTest::newRow("a mode without dashes") << QStringList{QStringLiteral("render")};
        QTest::newRow("a single dash") << QStringList{QStringLiteral("-")};
        QTest::newRow("an empty argument") << QStringList{QString()};
        QTest::newRow("--version with more")
            << QStringList{QStringLiteral("--version"), QStringLiteral("--help")};
        QTest::newRow("--help with more")
            << QStringList{QStringLiteral("--help"), QStringLiteral("x")};
    }
    void UnknownArgumentsAreUsageErrors() {
        QFETCH(QStringList, arguments);
        const Run run = Kazuchan(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        QVERIFY2(run.err.startsWith(QStringLiteral("kazuchan: ")), qPrintable(run.err));
        QVERIFY2(UsageOptions(run.err).contains(QStringLiteral("--render")), qPrintable(run.err));
    }

    // An expression that stops short of "=" is never calculated: each mode that types one
    // exits 1 and says why, instead of ending without a word.
    void UnfinishedExpressionsAreSaidSo_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString unfinished = QStringLiteral("52-38");
        QTest::newRow("--render") << QStringList{QStringLiteral("--render"), unfinished};
        QTest::newRow("--explain") << QStringList{QStringLiteral("--explain"), unfinished};
        QTest::newRow("--check") << QStringList{QStringLiteral("--check"), unfinished,
                                                QStringLiteral("--answer"), QStringLiteral("14")};
    }
    void UnfinishedExpressionsAreSaidSo() {
        QFETCH(QStringList, arguments);
        const Run run = Kazuchan(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("ends with \"=\"")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
