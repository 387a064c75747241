#include "core/InstallLayout.h"

#include <filesystem>
#include <system_error>

namespace kazu {

namespace fs = std::filesystem;

namespace {

// The folder below the executable's prefix, when it exists: the mark of an installed layout.
std::string BelowPrefix(const char* relative) {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    const fs::path folder = executable.parent_path().parent_path() / relative;
    return fs::is_directory(folder, error) ? folder.string() + "/" : std::string();
}

}  // namespace

std::string InstalledDataFolder() {
    return BelowPrefix(KAZU_INSTALL_DATADIR);
}

std::string InstalledLibFolder() {
    return BelowPrefix(KAZU_INSTALL_LIBDIR);
}

}  // namespace kazu
