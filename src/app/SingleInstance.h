// One running program per user. A local socket dies with its process, so a crashed run never
// blocks the next start. Plain sockets: the check runs before the first frame, and Qt Network
// would bring eight libraries to start-up for it.
#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace kazu {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `name` is a socket in the temporary folder, or a path when it starts with "/".
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;
    // False only when another instance answers; any other failure of the check lets this
    // one run.
    bool Claim();

  signals:
    // Another start was attempted while this one runs.
    void anotherStartAttempted();

  private:
    void Listen();
    void Accept();

    QString path_;
    int listening_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kazu
