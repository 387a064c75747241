// One running program per user: a second claim fails while the first lives, and nothing a
// finished or killed run leaves behind blocks the next start.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <memory>

#include "app/SingleInstance.h"

namespace kazu {

class SingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void secondClaimFailsWhileTheFirstRuns();
    void aFinishedRunFreesTheName();
    void aStaleSocketFileDoesNotBlock();
    void aStaleRegularFileDoesNotBlock();
    void aCheckThatCannotBeMadeLetsTheProgramRun();
};

namespace {

// Unique per test run and per test, so parallel runs never meet.
QString UniqueName(const char* test) {
    return QStringLiteral("kazutest-%1-%2").arg(QCoreApplication::applicationPid()).arg(test);
}

// Where the instance's socket lives: the name is made per user.
QString SocketPath(const QString& name) {
    return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') +
           QString::number(getuid());
}

// A socket bound and closed without listening: what a process killed with SIGKILL leaves.
bool LeaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::strncpy(address.sun_path, bytes.constData(), sizeof(address.sun_path) - 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

}  // namespace

void SingleInstanceTest::secondClaimFailsWhileTheFirstRuns() {
    const QString name = UniqueName("second");
    SingleInstance first(name);
    QSignalSpy attempts(&first, &SingleInstance::anotherStartAttempted);
    QVERIFY(first.Claim());
    {
        SingleInstance second(name);
        QVERIFY(!second.Claim());
    }
    // The failed start neither took the name over nor removed the first one's socket.
    SingleInstance third(name);
    QVERIFY(!third.Claim());
    QTRY_VERIFY(attempts.count() >= 1);
    SingleInstance other(UniqueName("other"));
    QVERIFY(other.Claim());
}

void SingleInstanceTest::aFinishedRunFreesTheName() {
    const QString name = UniqueName("finished");
    auto first = std::make_unique<SingleInstance>(name);
    QVERIFY(first->Claim());
    first.reset();
    SingleInstance next(name);
    QVERIFY(next.Claim());
    SingleInstance after(name);
    QVERIFY(!after.Claim());
}

void SingleInstanceTest::aStaleSocketFileDoesNotBlock() {
    const QString name = UniqueName("stale");
    const QString path = SocketPath(name);
    QFile::remove(path);
    QVERIFY(LeaveStaleSocket(path));
    QVERIFY(QFileInfo::exists(path));
    SingleInstance next(name);
    QVERIFY(next.Claim());
    SingleInstance after(name);
    QVERIFY(!after.Claim());
}

void SingleInstanceTest::aStaleRegularFileDoesNotBlock() {
    const QString name = UniqueName("file");
    const QString path = SocketPath(name);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("left over");
    }
    SingleInstance next(name);
    QVERIFY(next.Claim());
    SingleInstance after(name);
    QVERIFY(!after.Claim());
}

void SingleInstanceTest::aCheckThatCannotBeMadeLetsTheProgramRun() {
    // The name's folder cannot hold the socket (it is a file), for root as for anyone.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    {
        QFile file(folder.filePath(QStringLiteral("not-a-folder")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString name = folder.filePath(QStringLiteral("not-a-folder/kazutest"));
    SingleInstance first(name);
    QVERIFY(first.Claim());
    SingleInstance second(name);
    QVERIFY(second.Claim());
}

}  // namespace kazu

QTEST_GUILESS_MAIN(kazu::SingleInstanceTest)
#include "SingleInstanceTest.moc"
