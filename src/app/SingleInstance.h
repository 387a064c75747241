// One running program per user. A local socket dies with its process, so a crashed run never
// blocks the next start.
#pragma once

#include <QLocalServer>
#include <QObject>

namespace kazu {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    // False only when another instance answers; any other failure of the check lets this
    // one run.
    bool Claim();

  signals:
    // Another start was attempted while this one runs.
    void anotherStartAttempted();

  private:
    QString name_;
    QLocalServer server_;
};

}  // namespace kazu
