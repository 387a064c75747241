#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kazu {

QString ProgramFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

QString UserConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kazuchan/");
}

QString PdfFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString FindDataFile(const QString& name) {
    const QString folders[] = {
        QDir::currentPath() + QLatin1Char('/'),    ProgramFolder(),
        QStringLiteral(KAZU_DATA_DIR "/"),         QStringLiteral(KAZU_DATA_DIR "/help/"),
        QStringLiteral(KAZU_SOURCE_RESOURCES "/"), QStringLiteral(KAZU_SOURCE_RESOURCES "/help/"),
    };
    for (const QString& folder : folders) {
        const QFileInfo file(folder + name);
        if (file.isFile() && file.isReadable()) {
            return file.absoluteFilePath();
        }
    }
    return {};
}

}  // namespace kazu
