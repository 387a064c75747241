// Start-up as a user meets it: the real kazuchan (voice, recogniser, translator, single-instance
// check) started as a process, timed from just before exec to the first frame of its board,
// against a window with one label in the board's font (bench_label_window), interleaved,
// medians. Every run has a fresh HOME and XDG folders; the grammar cache is empty in the cold
// runs and filled in the warm ones. Also: how long after exec the cold runs have their grammars
// compiled, and the resident memory at the first frame and once everything has loaded.
//
// usage: bench_startup [RUNS]   (15 by default; on the display DISPLAY or QT_QPA_PLATFORM names)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

namespace {

constexpr int kFrameTimeoutMs = 30000;
constexpr int kGrammarTimeoutMs = 120000;
constexpr int kSettleMs = 2000;  // after the grammars: the voice and the recogniser load

qint64 Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 ResidentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
            }
        }
    }
    return 0;
}

// Waits on the child, which doubles as the pause between looks; false when the child has ended
// or the time is up before `done`.
template <typename Done>
bool WaitFor(QProcess& child, int timeoutMs, const Done& done) {
    const qint64 until = Now() + static_cast<qint64>(timeoutMs) * 1000000;
    while (!done()) {
        if (child.state() == QProcess::NotRunning || Now() > until) {
            return false;
        }
        child.waitForFinished(1);
    }
    return true;
}

int CompiledGrammars(const QString& cache) {
    return static_cast<int>(QDir(cache + QStringLiteral("/kazuchan/grammars"))
                                .entryList({QStringLiteral("*.grammar")}, QDir::Files)
                                .size());
}

struct Run {
    double firstFrameMs = 0;
    std::optional<double> grammarsMs;  // cold runs: when both grammars were in the cache
    qint64 firstFrameKb = 0;
    qint64 settledKb = 0;
};

// One start in a fresh home; `cache` is XDG_CACHE_HOME. With `settle`, waits until both
// grammars are in the cache and a little longer before ending the program.
std::optional<Run> Start(const QString& program, const QString& cache, bool settle) {
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("tmp"));
    const QString marker = home.filePath(QStringLiteral("first-frame"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    // The single-instance socket lives here: another copy on this machine is not this run's.
    environment.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("KAZU_FIRST_FRAME_FILE"), marker);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(home.path());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setStandardOutputFile(QProcess::nullDevice());

    const qint64 started = Now();
    child.start(program, {});
    std::optional<Run> run;
    if (WaitFor(child, kFrameTimeoutMs, [&] { return QFile::exists(marker); })) {
        QFile file(marker);
        file.open(QIODevice::ReadOnly);
        run.emplace();
        run->firstFrameMs = static_cast<double>(file.readAll().toLongLong() - started) / 1e6;
        run->firstFrameKb = ResidentKb(child.processId());
        const bool cold = CompiledGrammars(cache) < 2;
        if (settle &&
            WaitFor(child, kGrammarTimeoutMs, [&] { return CompiledGrammars(cache) >= 2; })) {
            if (cold) {
                run->grammarsMs = static_cast<double>(Now() - started) / 1e6;
            }
            const qint64 until = Now() + static_cast<qint64>(kSettleMs) * 1000000;
            WaitFor(child, kSettleMs + 1000, [&] { return Now() > until; });
            run->settledKb = ResidentKb(child.processId());
        }
    } else {
        std::fprintf(stderr, "%s showed no frame\n", qUtf8Printable(program));
    }
    child.terminate();
    if (!child.waitForFinished(5000)) {
        child.kill();
        child.waitForFinished(5000);
    }
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? std::max(1, atoi(argv[1])) : 15;
    const QString kazuchan = QStringLiteral(KAZUCHAN_EXE);
    const QString label = QStringLiteral(LABEL_EXE);
    QTemporaryDir warmCache;
    // Fills the warm cache, as the first run on a machine does.
    if (!Start(kazuchan, warmCache.path(), true)) {
        return 1;
    }
    std::vector<double> labelMs, coldMs, warmMs, grammarsMs;
    qint64 firstFrameKb = 0, settledKb = 0;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir coldCache;
        const auto plain = Start(label, coldCache.path(), false);
        const auto cold = Start(kazuchan, coldCache.path(), true);
        const auto warm = Start(kazuchan, warmCache.path(), true);
        if (!plain || !cold || !warm) {
            return 1;
        }
        labelMs.push_back(plain->firstFrameMs);
        coldMs.push_back(cold->firstFrameMs);
        warmMs.push_back(warm->firstFrameMs);
        if (cold->grammarsMs) {
            grammarsMs.push_back(*cold->grammarsMs);
        }
        firstFrameKb = std::max(firstFrameKb, warm->firstFrameKb);
        settledKb = std::max({settledKb, warm->settledKb, cold->settledKb});
    }
    const double floor = Median(labelMs);
    std::printf("%d runs each, interleaved; display %s, platform %s\n", runs,
                qgetenv("DISPLAY").constData(), qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("one-label window, exec to first frame: median %.1f ms\n", floor);
    std::printf("kazuchan, cold cache: median %.1f ms, ratio %.2f\n", Median(coldMs),
                Median(coldMs) / floor);
    std::printf("kazuchan, warm cache: median %.1f ms, ratio %.2f (goal at most 1.5)\n",
                Median(warmMs), Median(warmMs) / floor);
    std::printf("cold cache, both grammars compiled: median %.0f ms after exec\n",
                Median(grammarsMs));
    std::printf("kazuchan resident memory: %lld kB at the first frame, %lld kB once loaded\n",
                static_cast<long long>(firstFrameKb), static_cast<long long>(settledKb));
    return 0;
}
