#include "core/Leftovers.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>

namespace kazu {

namespace {

namespace fs = std::filesystem;

// The process id right after `prefix` in `name`, when the name has our form.
std::optional<pid_t> ProcessIdIn(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    name.remove_prefix(prefix.size());
    const std::string_view digits = name.substr(0, name.find('-'));
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

// Only "no such process" means it has ended; a process of another user answers EPERM.
bool HasEnded(pid_t pid) {
    return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

std::string OwnName(const std::string& prefix) {
    return prefix + std::to_string(getpid());
}

void RemoveLeftovers(const std::string& folder, const std::string& prefix) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::optional<pid_t> pid = ProcessIdIn(it->path().filename().string(), prefix);
        struct stat info {};
        if (!pid || lstat(it->path().c_str(), &info) != 0 || info.st_uid != geteuid() ||
            !HasEnded(*pid)) {
            continue;
        }
        std::error_code ignored;  // what cannot be removed now is tried again next start
        fs::remove_all(it->path(), ignored);
    }
}

}  // namespace kazu
