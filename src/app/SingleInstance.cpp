#include "app/SingleInstance.h"

#include <unistd.h>
#include <QLocalSocket>

namespace kazu {

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name + QLatin1Char('-') + QString::number(getuid())) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            socket->deleteLater();
            emit anotherStartAttempted();
        }
    });
}

bool SingleInstance::Claim() {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(500)) {
        return false;
    }
    // Nobody answers: whatever socket file is left belongs to a run that has ended.
    QLocalServer::removeServer(name_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    // Only a copy that answers is running. When the name cannot be taken (its folder is
    // read-only, say), this one runs unseen by later starts rather than not at all.
    server_.listen(name_);
    return true;
}

}  // namespace kazu
