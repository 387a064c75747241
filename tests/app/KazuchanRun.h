// The built program run as a user runs it from a terminal: its exit status and both streams.
#pragma once

#include <QProcess>
#include <QStringList>

namespace kazu::test {

struct KazuchanRun {
    int exitCode = -1;  // -1 when it did not end by itself within half a minute
    QString outText, errText;
    QStringList out, err;  // the same, one entry a line, empty lines left out
};

inline KazuchanRun RunKazuchan(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KAZUCHAN_EXE), arguments);
    KazuchanRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        return run;
    }
    run.exitCode = process.exitCode();
    run.outText = QString::fromUtf8(process.readAllStandardOutput());
    run.errText = QString::fromUtf8(process.readAllStandardError());
    run.out = run.outText.split('\n', Qt::SkipEmptyParts);
    run.err = run.errText.split('\n', Qt::SkipEmptyParts);
    return run;
}

}  // namespace kazu::test
