#include "support/RecordingVoice.h"
#include "core/RecordingCanvas.h"

namespace kazu {

void RecordingVoice::Speak(const std::string& text, int flags) {
    requests_.push_back("speak " + QuotedText(text) + " " + std::to_string(flags));
    spoken_.push_back(text);
    if (listener_ != nullptr) {
        // A real engine ends every stream with this event, after the audio.
        listener_->OnEndStream();
    }
}

void RecordingVoice::Skip(const std::string& type, int count) {
    requests_.push_back("skip " + type + " " + std::to_string(count));
}

void RecordingVoice::SetRate(int rate) {
    requests_.push_back("rate " + std::to_string(rate));
}

void RecordingVoice::SetVolume(int volume) {
    requests_.push_back("volume " + std::to_string(volume));
}

}  // namespace kazu
