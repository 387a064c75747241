// What the window's start links: every library the program needs at exec is loaded before its
// first frame, so what only sounds or listens later (Qt Multimedia and the sound server's
// libraries) is in the sound module, and the single-instance check needs no Qt Network.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

QStringList Needed(const QString& file) {
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), file});
    if (!readelf.waitForFinished(30000) || readelf.exitCode() != 0) {
        return {};
    }
    QStringList needed;
    static const QRegularExpression entry(QStringLiteral(R"(\(NEEDED\).*\[(.+)\])"));
    for (const QString& line : QString::fromUtf8(readelf.readAllStandardOutput()).split('\n')) {
        if (const auto match = entry.match(line); match.hasMatch()) {
            needed << match.captured(1);
        }
    }
    return needed;
}

}  // namespace

class StartupLibrariesTest : public QObject {
    Q_OBJECT

  private slots:
    void theWindowLinksNothingThatOnlySoundsOrListens() {
        const QStringList program = Needed(QStringLiteral(KAZUCHAN_EXE));
        if (program.isEmpty()) {
            QSKIP("readelf could not read the program");
        }
        QVERIFY(program.contains(QStringLiteral("libQt6Widgets.so.6")));
        for (const QString& library : program) {
            QVERIFY2(!library.startsWith(QLatin1String("libQt6Multimedia")) &&
                         !library.startsWith(QLatin1String("libQt6Network")) &&
                         !library.startsWith(QLatin1String("libpulse")),
                     qPrintable(library));
        }
        QVERIFY(Needed(QStringLiteral(KAZU_SOUND_MODULE))
                    .contains(QStringLiteral("libQt6Multimedia.so.6")));
    }
};

QTEST_GUILESS_MAIN(StartupLibrariesTest)
#include "StartupLibrariesTest.moc"
