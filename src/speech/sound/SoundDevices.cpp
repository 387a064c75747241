#include "speech/sound/SoundDevices.h"

#include <dlfcn.h>
#include <cstdio>

#include "core/InstallLayout.h"

namespace kazu {
namespace {

SoundDevices* Load() {
    // Installed among the program's private files; otherwise where the build makes it.
    const std::string installed = InstalledLibFolder();
    const std::string path = (installed.empty() ? std::string(KAZU_SOUND_MODULE_BUILD_DIR "/")
                                                : installed + "modules/") +
                             "kazuchan-sound.so";
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto* const entry =
        module != nullptr
            ? reinterpret_cast<SoundDevices* (*)()>(dlsym(module, "kazu_sound_devices"))
            : nullptr;
    if (entry == nullptr) {
        std::fprintf(stderr, "kazuchan: 音を出せません（%s）。\n", dlerror());
        return nullptr;
    }
    return entry();
}

}  // namespace

SoundDevices* LoadSoundDevices() {
    static SoundDevices* const devices = Load();
    return devices;
}

}  // namespace kazu
