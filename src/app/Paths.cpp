#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/InstallLayout.h"

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

QString SettingsFolder() {
    return InstalledDataFolder().empty() ? ProgramFolder() : UserConfigFolder();
}

QString FindDataFile(const QString& name) {
    const std::string installed = InstalledDataFolder();
    // An installed program reads what was installed with it, a built one the source tree's.
    const QString data = installed.empty() ? QStringLiteral(KAZU_SOURCE_RESOURCES "/")
                                           : QString::fromStdString(installed);
    const QString folders[] = {
        QDir::currentPath() + QLatin1Char('/'),
        ProgramFolder(),
        data,
        data + QStringLiteral("help/"),
    };
    for (const QString& folder : folders) {
        const QFileInfo file(folder + name);
        if (file.isFile() && file.isReadable()) {
            return file.absoluteFilePath();
        }
    }
    return {};
}

QString ProgressFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kazuchan/progress");
}

}  // namespace kazu
