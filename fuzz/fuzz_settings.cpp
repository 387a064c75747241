// Any file bytes: reading never fails, and saving what was read over the same bytes gives a
// file that reads back the same settings.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const kazu::AppSettings parsed = kazu::ParseSettings(bytes);
    const std::string saved = kazu::RenderSettings(bytes, parsed);
    if (!(kazu::ParseSettings(saved) == parsed)) {
        std::abort();
    }
    return 0;
}
