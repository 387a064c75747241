// Random key sequences into the owner object: every key, in any order and number, must leave
// a consistent calculation and never crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/Kokuban_v24/QuietHost.h"
#include "core/RecordingCanvas.h"
#include "support/RecordingVoice.h"

namespace {

// The keys of the map and a few it ignores.
constexpr int kKeys[] = {'0',
                         '1',
                         '2',
                         '5',
                         '9',
                         'A',
                         'B',
                         'D',
                         'F',
                         'H',
                         'L',
                         'M',
                         'O',
                         'P',
                         'Q',
                         'R',
                         'S',
                         'T',
                         'V',
                         'Z',
                         'J',
                         'X',
                         kazu::vk::kBack,
                         kazu::vk::kReturn,
                         kazu::vk::kEscape,
                         kazu::vk::kHome,
                         kazu::vk::kLeft,
                         kazu::vk::kUp,
                         kazu::vk::kDown,
                         kazu::vk::kInsert,
                         kazu::vk::kDelete,
                         kazu::vk::kNumpad0,
                         kazu::vk::kNumpad9,
                         kazu::vk::kMultiply,
                         kazu::vk::kAdd,
                         kazu::vk::kSubtract,
                         kazu::vk::kDecimal,
                         kazu::vk::kDivide,
                         kazu::vk::kF8,
                         kazu::vk::kOemMinus,
                         kazu::vk::kOemPeriod};

// Counts of the entry record agree with the expression text.
void CheckConsistent(const kazu::Kokuban& model) {
    const kazu::CalcEntry& e = model.state.entry;
    const std::string& x = model.state.expression;
    int digits = 0;
    for (char c : x) {
        digits += (c >= '0' && c <= '9') ? 1 : 0;
    }
    if (!x.empty() && e.firstIntLen + e.firstFracLen + e.secondIntLen + e.secondFracLen != digits) {
        std::abort();
    }
    if (e.firstIntLen > 18 || e.firstFracLen > 18 || e.secondIntLen > 18 || e.secondFracLen > 18 ||
        model.settings.POINTMAX < 0 || model.settings.POINTMAX > 10 ||
        model.board.layout.fontSize < 5 || model.board.layout.fontSize > 50) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kazu::QuietHost host;
    kazu::RecordingVoice voice;
    kazu::MetricsCanvas canvas;
    kazu::AppSettings settings;
    settings.SIKISPEAK = 0;
    kazu::Kokuban model(host, voice, settings);
    model.Start(canvas, 96);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const int key = kKeys[data[i] % (sizeof kKeys / sizeof kKeys[0])];
        kazu::KeyModifiers modifiers;
        modifiers.shift = (data[i + 1] & 1) != 0;
        modifiers.ctrl = (data[i + 1] & 2) != 0;
        modifiers.alt = (data[i + 1] & 4) != 0 && (data[i + 1] & 8) != 0;
        if ((data[i + 1] & 0x70) == 0x70) {
            model.Timer1Timer();
        }
        model.FormKeyDown(key, modifiers);
        CheckConsistent(model);
    }
    return 0;
}
