// A voice that plays nothing and keeps every request in order, for tests, benchmarks and
// fuzzing.
#pragma once

#include <string>
#include <vector>

#include "speech/Voice.h"

namespace kazu {

class RecordingVoice : public Voice {
  public:
    void Speak(const std::string& text, int flags) override;
    void Skip(const std::string& type, int count) override;
    void SetRate(int rate) override;
    void SetVolume(int volume) override;
    std::vector<std::string> Voices() override { return {}; }
    void SetListener(VoiceListener* listener) override { listener_ = listener; }

    // "speak "TEXT" FLAGS", "skip TYPE COUNT", "rate N", "volume N".
    const std::vector<std::string>& requests() const { return requests_; }
    // Only the spoken texts, in order.
    const std::vector<std::string>& spoken() const { return spoken_; }
    void Clear() {
        requests_.clear();
        spoken_.clear();
    }

  private:
    std::vector<std::string> requests_;
    std::vector<std::string> spoken_;
    VoiceListener* listener_ = nullptr;
};

}  // namespace kazu
