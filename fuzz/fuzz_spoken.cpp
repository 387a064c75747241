// Arbitrary recognised texts: the normaliser must only ever give expression characters, and the
// whole recognition entry (word commands, spoken expressions, numbered commands) must never crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/Kokuban_v24/QuietHost.h"
#include "core/RecordingCanvas.h"
#include "core/SpokenText.h"
#include "support/FedRecognizer.h"
#include "support/RecordingVoice.h"

namespace {

void CheckAlphabet(const std::string& text) {
    const std::string divide = "÷";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, divide.size(), divide) == 0) {
            i += divide.size() - 1;
        } else if (std::string("0123456789=+-*/.&RT").find(text[i]) == std::string::npos) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte chooses the mode and a command number; the rest are recognised texts
    // separated by newlines.
    if (size == 0)
        return 0;
    const int control = data[0];
    const std::string texts(reinterpret_cast<const char*>(data + 1), size - 1);

    kazu::QuietHost host;
    kazu::RecordingVoice voice;
    kazu::MetricsCanvas canvas;
    kazu::FedRecognizer recognizer;  // outlives the model, which detaches from it
    kazu::AppSettings settings;
    settings.SIKISPEAK = control & 1;
    kazu::Kokuban model(host, voice, settings);
    model.Start(canvas, 96);
    model.SpeechSetup(recognizer, "KAZUGrammar.xml");
    model.S2Click();

    size_t start = 0;
    while (start <= texts.size()) {
        size_t end = texts.find('\n', start);
        if (end == std::string::npos)
            end = texts.size();
        const std::string text = texts.substr(start, end - start);
        CheckAlphabet(kazu::NormaliseSpokenText(text));
        kazu::CheckSpokenExpression(text);
        recognizer.Hear(text, model.commandMode ? (control >> 1) % 90 : 0);
        start = end + 1;
    }
    return 0;
}
