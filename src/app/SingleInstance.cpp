#include "app/SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <optional>

namespace kazu {
namespace {

std::optional<sockaddr_un> Address(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    if (static_cast<size_t>(bytes.size()) >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    return address;
}

const sockaddr* Generic(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

// A listener takes the connection, or has too many waiting (a busy one is still alive).
bool Answers(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    const bool answered =
        ::connect(probe, Generic(address), sizeof(address)) == 0 || errno == EAGAIN;
    ::close(probe);
    return answered;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent),
      path_(
          (name.startsWith(QLatin1Char('/')) ? name : QDir::tempPath() + QLatin1Char('/') + name) +
          QLatin1Char('-') + QString::number(getuid())) {}

SingleInstance::~SingleInstance() {
    if (listening_ >= 0) {
        delete notifier_;
        ::close(listening_);
        ::unlink(QFile::encodeName(path_).constData());
    }
}

bool SingleInstance::Claim() {
    const auto address = Address(path_);
    if (!address) {
        return true;  // no socket can have this name: nothing to check
    }
    if (Answers(*address)) {
        return false;
    }
    // Nobody answers: whatever is left under the name belongs to a run that has ended.
    ::unlink(address->sun_path);
    // Only a copy that answers is running. When the name cannot be taken (its folder is
    // read-only, say), this one runs unseen by later starts rather than not at all.
    listening_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listening_ >= 0 && ::bind(listening_, Generic(*address), sizeof(*address)) == 0 &&
        ::chmod(address->sun_path, S_IRUSR | S_IWUSR) == 0 && ::listen(listening_, 8) == 0) {
        Listen();
    } else if (listening_ >= 0) {
        ::close(listening_);
        listening_ = -1;
    }
    return true;
}

void SingleInstance::Listen() {
    notifier_ = new QSocketNotifier(static_cast<qintptr>(listening_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Accept(); });
}

// A later start only knocks: each knock is taken, closed and told.
void SingleInstance::Accept() {
    int knock = -1;
    while ((knock = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0) {
        ::close(knock);
        emit anotherStartAttempted();
    }
}

}  // namespace kazu
